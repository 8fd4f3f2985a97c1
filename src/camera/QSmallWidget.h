#pragma once

#include "camera/SmallWindowGeometry.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

// The small frameless window that shows the vice camera over the main
// picture. It can be dragged, but never leaves the visible video.
class QSmallWidget : public QDialog {
    Q_OBJECT
public:
    explicit QSmallWidget(QWidget* parent);

    // Where the window's top-left corner may be, in screen coordinates, and
    // where each change of the main window puts it.
    smallwindow::Placement placement;
    int hitZone = 11;
    bool dragging = false;
    QPoint last;
    Qt::CursorShape cursorShape = Qt::ArrowCursor;

    // Moves the top-left corner to pos, clamped to the area. Every move,
    // by the user or by the program, goes through the clamp.
    void moveClamped(QPoint pos);

signals:
    // The user moved the window: the picture below needs repainting.
    void dragged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
