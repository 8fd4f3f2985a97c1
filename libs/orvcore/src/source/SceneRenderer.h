#pragma once

// The pictures virtual cameras show: synthetic scenes drawn once per frame
// size, the clock that keeps them visibly live, and pages from a folder fitted
// into a frame. Thread-safe (QPainter on QImage only), used by source threads.

#include <QImage>
#include <QSize>
#include <QString>
#include <QTime>

namespace orv {

enum class SceneKind {
    Document, // an A4 page with Chinese and English text and two codes on a wooden desk
    Card,     // a visitor card with a QR code on a dark mat
};

// Even camera indices show documents, odd ones cards, so main and vice differ.
SceneKind sceneKindForCamera(int cameraIndex);

// The texts encoded in a camera's scene. barcodeText is empty when the scene
// has no 1-D code.
struct SceneCodes {
    QString qrText;
    QString barcodeText; // Code 128
};
SceneCodes sceneCodes(int cameraIndex);

// The scene of cameraIndex at size (Format_RGB32), without the clock.
QImage renderScene(int cameraIndex, QSize size);

// Stamps time into the bottom-right corner of the desk of a rendered scene.
// Paints into frame, so pass a copy that nobody else holds.
void paintClock(QImage& frame, const QTime& time);

// picture scaled into a frame of size with its aspect kept, centred on a dark
// background (Format_RGB32).
QImage fitPicture(const QImage& picture, QSize size);

} // namespace orv
