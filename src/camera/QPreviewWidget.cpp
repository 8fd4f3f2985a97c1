#include "camera/QPreviewWidget.h"

#include "app/MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QMouseEvent>
#include <QWheelEvent>

QPreviewWidget::QPreviewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void QPreviewWidget::mousePressEvent(QMouseEvent* event) {
    if (!theMainForm)
        return;
    const QPoint p = event->position().toPoint();
    OrvOnLMousePress(theMainForm->previewHandle, p.x(), p.y());
}

void QPreviewWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!theMainForm)
        return;
    const QPoint p = event->position().toPoint();
    OrvOnLMouseRelease(theMainForm->previewHandle, p.x(), p.y());
}

void QPreviewWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!theMainForm)
        return;
    const QPoint p = event->position().toPoint();
    OrvOnMouseMoving(theMainForm->previewHandle, p.x(), p.y());
}

void QPreviewWidget::wheelEvent(QWheelEvent* event) {
    if (!theMainForm || !theMainForm->zoomEnabled)
        return;
    OrvOnWheel(theMainForm->previewHandle, event->angleDelta().y());
}

void QPreviewWidget::paintEvent(QPaintEvent*) {
    if (!theMainForm)
        return;
    OrvUpdateVideo(theMainForm->cfg.mainCameraIndex);
}
