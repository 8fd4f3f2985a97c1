#pragma once

#include <QWidget>

namespace camera {
class CameraPair;
}

// The preview surface: a native child window into which the camera library
// renders the main camera. Mouse input goes to the library; painting asks the
// library to repaint.
class QPreviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit QPreviewWidget(QWidget* parent = nullptr);

    // The cameras whose main camera this surface shows.
    void setCameras(const camera::CameraPair* cameras) { pair = cameras; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const camera::CameraPair* pair = nullptr;
};
