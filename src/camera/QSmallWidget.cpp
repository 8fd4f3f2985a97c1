#include "camera/QSmallWidget.h"

#include "camera/SmallWindowGeometry.h"

#include <QMouseEvent>

QSmallWidget::QSmallWidget(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_NativeWindow);
    setCursor(Qt::ArrowCursor);
    setMinimumSize(128, 96);
    setFixedSize(136, 100);
    hide();
}

void QSmallWidget::moveClamped(QPoint pos) {
    move(placement.clamped(pos));
}

void QSmallWidget::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // A move made by the window system (or anyone else) is put back inside.
    const QPoint inside = placement.clamped(pos());
    if (inside != pos())
        move(inside);
}

void QSmallWidget::mousePressEvent(QMouseEvent* event) {
    dragging = true;
    last = event->globalPosition().toPoint();
    hitZone = smallwindow::hitZone(event->position().toPoint(), size());
    event->ignore();
}

void QSmallWidget::mouseMoveEvent(QMouseEvent* event) {
    const Qt::CursorShape shape =
        smallwindow::cursorForZone(smallwindow::hitZone(event->position().toPoint(), size()));
    if (shape != cursorShape) {
        cursorShape = shape;
        setCursor(shape);
    }
    if (dragging) {
        const QPoint now = event->globalPosition().toPoint();
        // Only the inside moves the window: the border zones would resize it,
        // and its size is fixed.
        if (hitZone == 11)
            moveClamped(pos() + (now - last));
        last = now;
        emit dragged();
    }
    event->ignore();
}

void QSmallWidget::mouseReleaseEvent(QMouseEvent* event) {
    dragging = false;
    event->ignore();
}

void QSmallWidget::paintEvent(QPaintEvent*) {
    // The camera library paints the picture.
}
