// Where the parts of a strip item go: the picture on top, the check box and
// the name in a row under it.
#ifndef ORVTHUMBNAIL_ITEMLAYOUT_H
#define ORVTHUMBNAIL_ITEMLAYOUT_H

#include <QRect>

class QWidget;

namespace orv::thumb {

struct ItemLayout {
    QRect picture;
    QRect check;
    QRect name;
};

// The parts of the item at itemRect in view (whose style and font count).
ItemLayout layoutItem(const QRect& itemRect, const QWidget* view);

// Height of every item; their width is the strip's.
int itemHeight(const QWidget* view);

// Smallest item width that still leaves room for anything.
inline constexpr int kMinItemWidth = 16;

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_ITEMLAYOUT_H
