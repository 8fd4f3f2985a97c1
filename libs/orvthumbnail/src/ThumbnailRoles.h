// Data roles of the strip's model beyond Qt's own, and the states of an item's
// thumbnail. The library's tests read them through the view's model.
#ifndef ORVTHUMBNAIL_THUMBNAILROLES_H
#define ORVTHUMBNAIL_THUMBNAILROLES_H

#include <Qt>

namespace orv::thumb {

enum Role {
    FilePathRole = Qt::UserRole + 1, // QString: the file the item stands for
    ThumbStateRole,                  // int: a ThumbState
};

enum ThumbState {
    ThumbPending = 0, // being made; the delegate draws a placeholder
    ThumbReady = 1,   // DecorationRole holds the thumbnail as a QImage
    ThumbFailed = 2,  // DecorationRole holds a file icon as a QIcon
};

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_THUMBNAILROLES_H
