#include "annotation/PanelGeometry.h"

namespace panel {

QRect buttonRect(int i) {
    const bool left = i % 2 == 0;
    const int row = left ? i / 2 : (i - 1) / 2;
    const int x = left ? kLeftMargin : kLeftMargin + kButtonSize + kColumnGap;
    const int y = kTopMargin + (kRowGap + kButtonSize) * row;
    return QRect(x, y, kButtonSize, kButtonSize);
}

bool hits(int i, QPoint pos) {
    return i >= 0 && i < kButtonCount && buttonRect(i).contains(pos);
}

int buttonAt(QPoint pos) {
    for (int i = 0; i < kButtonCount; ++i)
        if (hits(i, pos))
            return i;
    return -1;
}

bool selects(int i) {
    return i != Clear && i != LineWidth && i != Color && i != Opacity;
}

bool toolOf(int i, int* tool) {
    int t = 0;
    switch (i) {
    case Mouse:
        t = -1;
        break;
    case Pen:
        t = 0;
        break;
    case Line:
        t = 1;
        break;
    case Text:
        t = 5;
        break;
    case Triangle:
        t = 2;
        break;
    case Rect:
        t = 3;
        break;
    case Ellipse:
        t = 4;
        break;
    case Eraser:
        t = 7;
        break;
    default:
        return false;
    }
    if (tool)
        *tool = t;
    return true;
}

Highlight highlightAfterPress(const Highlight& current, QPoint pos) {
    const int hit = buttonAt(pos);
    if (hit < 0 || !selects(hit))
        return current;
    Highlight next{};
    for (int i = 0; i < kButtonCount; ++i)
        next[size_t(i)] = hits(i, pos);
    return next;
}

QRect highlightRect(int i) {
    return buttonRect(i).adjusted(-2, -2, 2, 2);
}

} // namespace panel
