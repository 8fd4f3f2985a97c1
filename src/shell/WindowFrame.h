#pragma once

#include <QPoint>
#include <QRect>

namespace shell {

// The frameless main window's own frame without widgets: maximising and
// restoring, and moving the window by a drag on the title bar.
class WindowFrame {
public:
    // The geometry the window takes when the maximise button is pressed:
    // the available screen area, or back where it was before.
    QRect toggleMaximized(const QRect& current, const QRect& available);
    bool maximized() const { return maximized_; }

    // A left press at a global position, the window's frame at topLeft.
    void press(QPoint global, QPoint topLeft);
    // Where the window's frame goes when the mouse is at global with the
    // left button down; false when no drag runs.
    bool dragTo(QPoint global, QPoint* topLeft) const;
    void release() { dragging_ = false; }
    bool dragging() const { return dragging_; }

private:
    bool maximized_ = false;
    QRect restored_;
    bool dragging_ = false;
    QPoint offset_;
};

} // namespace shell
