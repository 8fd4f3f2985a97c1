#include "camera/QSmallWidget.h"

QSmallWidget::QSmallWidget(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_NativeWindow);
    setCursor(Qt::ArrowCursor);
    setMinimumSize(128, 96);
    setFixedSize(136, 100);
    hide();
}

void QSmallWidget::paintEvent(QPaintEvent*) {
    // The camera library paints the picture.
}
