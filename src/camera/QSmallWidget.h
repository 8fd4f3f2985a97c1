#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>

// The small frameless window that shows the vice camera over the main
// picture. It can be dragged, but never leaves the visible video.
class QSmallWidget : public QDialog {
    Q_OBJECT
public:
    explicit QSmallWidget(QWidget* parent);

    // Where the window's top-left corner may be, in screen coordinates
    // (left, top, right, bottom).
    QRect allowedArea{QPoint(0, 0), QPoint(-1, -1)};
    int hitZone = 11;
    bool dragging = false;
    QPoint last;
    Qt::CursorShape cursorShape = Qt::ArrowCursor;

    // Moves the top-left corner to pos, clamped to allowedArea. Every move,
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
