#include "camera/MainLayout.h"

namespace {
QRect corners(int x1, int y1, int x2, int y2) {
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}
} // namespace

void layoutActionRow(MainLayout& l, int W, int H, int language) {
    l.title = corners(0, 0, W - 1, 19);
    l.actionButtons.clear();
    const int top = H - 62;
    if (language == 0) {
        const int k = (W - 796) / 2 + 75;
        for (int i = 0; i < 8; ++i)
            l.actionButtons << QRect(W - k - 102 * i, top, 75, 31);
    } else if (language == 1) {
        const int k = (W - 763) / 2;
        int slot = 0;
        for (int i = 0; i < 8; ++i) {
            if (i == 4) { // the ID card reader is offered in Chinese only
                l.actionButtons << QRect();
                continue;
            }
            l.actionButtons << QRect(W - k - 85 - 113 * slot, top, 85, 31);
            ++slot;
        }
    }
}

MainLayout computeMainLayout(int W, int H, int language) {
    MainLayout l;
    l.thumbnailHost = QRect(W - 144, 66, 142, H - 167);
    l.preview = corners(202, 66, W - 149, H - 102);
    l.pathBar = corners(202, 32, W - 3, 57);
    l.tabs = corners(4, 24, 197, H - 67);
    const int c = (W - 350) / 2;
    const int offsets[] = {0, 42, 84, 126, 168, 300, 342};
    for (int dx : offsets)
        l.toolButtons << QRect(c + dx, H - 101, 28, 28);
    l.scaleSlider = corners(c + 210, H - 95, c + 293, H - 77);
    l.line = corners(10, H - 28, W - 11, H - 13);
    l.compinfo = corners(10, H - 24, 289, H + 3);
    l.markLink = corners(W - 198, H - 20, W - 119, H - 2);
    l.snapLink = corners(W - 95, H - 20, W - 16, H - 2);
    layoutActionRow(l, W, H, language);
    return l;
}
