#pragma once

#include <QDialog>
#include <QTimer>

// The snapshot window: the live picture in a small window in the corner of
// the screen. Holding the mouse button on it for 300 ms captures the picture
// to "Image%05d.jpg" in the temporary folder and starts a drag of that file,
// so that it can be dropped into another program; a shorter click does
// nothing. A double click (or Esc)
// brings the main window back.
class QSnapWidget : public QDialog {
    Q_OBJECT
public:
    explicit QSnapWidget(QWidget* parent = nullptr);

    int snapCounter = 0; // number of the next snapshot file
    QTimer holdTimer;

    // The geometry of the window in a screen's available area.
    static QRect placeIn(const QRect& available);

signals:
    void leaveRequested();
    // The picture is to be captured to path now; the window looks for the
    // file afterwards (connect directly).
    void captureRequested(const QByteArray& path);
    void captureFailed();

public slots:
    // 300 ms after a press whose button is still down: capture and drag.
    void mouseClick();
    // Leaves snapshot mode (also Esc and a close by the window system).
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void leaveSnapMode();
};
