#include "shell/WindowFrame.h"

namespace shell {

QRect WindowFrame::toggleMaximized(const QRect& current, const QRect& available) {
    maximized_ = !maximized_;
    if (!maximized_)
        return restored_;
    restored_ = current;
    return available.isValid() ? available : current;
}

void WindowFrame::press(QPoint global, QPoint topLeft) {
    offset_ = global - topLeft;
    dragging_ = true;
}

bool WindowFrame::dragTo(QPoint global, QPoint* topLeft) const {
    if (!dragging_)
        return false;
    *topLeft = global - offset_;
    return true;
}

} // namespace shell
