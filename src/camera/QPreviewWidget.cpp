#include "camera/QPreviewWidget.h"

#include "camera/CameraPair.h"

#include <orvcore/OrvCoreLib.h>

#include <QMouseEvent>
#include <QWheelEvent>

QPreviewWidget::QPreviewWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void QPreviewWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    OrvOnLMousePress(winId(), p.x(), p.y());
}

void QPreviewWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    OrvOnLMouseRelease(winId(), p.x(), p.y());
}

void QPreviewWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    OrvOnMouseMoving(winId(), p.x(), p.y());
}

void QPreviewWidget::wheelEvent(QWheelEvent* event) {
    if (!pair || !pair->zoomEnabled())
        return;
    OrvOnWheel(winId(), event->angleDelta().y());
}

void QPreviewWidget::paintEvent(QPaintEvent*) {
    if (pair)
        OrvUpdateVideo(pair->main());
}
