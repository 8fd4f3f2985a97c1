#pragma once

#include <QWidget>

// The preview surface: a native child window into which the camera library
// renders the main camera. Mouse input goes to the library; painting asks the
// library to repaint.
class QPreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit QPreviewWidget(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
