#include "ItemLayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace orv::thumb {

namespace {

constexpr int kMargin = 4;
constexpr int kPictureHeight = 84; // 4:3 at the strip's usual width
constexpr int kGap = 3;            // between the picture and the name row

QSize checkSize(const QWidget* view) {
    const QStyle* style = view ? view->style() : nullptr;
    if (!style)
        return {16, 16};
    return {style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view),
            style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, view)};
}

int nameRowHeight(const QWidget* view) {
    const int text = view ? view->fontMetrics().height() : 16;
    return std::max(text, checkSize(view).height());
}

} // namespace

int itemHeight(const QWidget* view) {
    return kMargin + kPictureHeight + kGap + nameRowHeight(view) + kMargin;
}

ItemLayout layoutItem(const QRect& itemRect, const QWidget* view) {
    ItemLayout l;
    const QRect inner = itemRect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    l.picture = QRect(inner.left(), inner.top(), std::max(0, inner.width()), kPictureHeight);
    const int rowTop = l.picture.bottom() + 1 + kGap;
    const int rowHeight = nameRowHeight(view);
    const QSize check = checkSize(view);
    l.check = QRect(QPoint(inner.left(), rowTop + (rowHeight - check.height()) / 2), check);
    const int nameLeft = l.check.right() + 1 + kMargin;
    l.name = QRect(nameLeft, rowTop, std::max(0, inner.right() + 1 - nameLeft), rowHeight);
    return l;
}

} // namespace orv::thumb
