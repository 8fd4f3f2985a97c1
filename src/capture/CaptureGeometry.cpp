#include "capture/CaptureGeometry.h"

namespace capture {

Placement placeSubPicture(const Composition& c) {
    Placement p;
    const int videoW = c.videoRight - c.videoLeft;
    const int videoH = c.videoBottom - c.videoTop;
    if (videoW <= 0 || videoH <= 0)
        return p;
    const float fx = float(c.imageWidth) / float(videoW);
    const float fy = float(c.imageHeight) / float(videoH);
    p.width = int(float(c.smallSize.width()) * fx);
    p.height = int(float(c.smallSize.height()) * fy);
    p.offsetX = int(float(c.smallPos.x() - c.videoOrigin.x()) * fx);
    p.offsetY =
        int(float((c.videoOrigin.y() + videoH) - (c.smallPos.y() + c.smallSize.height())) * fy);
    return p;
}

} // namespace capture
