#include "annotation/QSnapWidget.h"

#include "annotation/SnapNaming.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

QSnapWidget::QSnapWidget(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("QSnapWidget"));
    setWindowTitle(QStringLiteral("QSnapWidget"));
    setCursor(Qt::OpenHandCursor);
    holdTimer.setParent(this);
    connect(&holdTimer, &QTimer::timeout, this, &QSnapWidget::mouseClick);
}

QRect QSnapWidget::placeIn(const QRect& available) {
    return QRect(available.width() - 320, available.height() - 240, 320, 240);
}

void QSnapWidget::mousePressEvent(QMouseEvent*) {
    holdTimer.start(300);
}

void QSnapWidget::mouseReleaseEvent(QMouseEvent*) {
    // A click shorter than the hold captures nothing: the drag starts only
    // while the button is still down, so it never sticks to a free pointer.
    holdTimer.stop();
    setCursor(Qt::OpenHandCursor);
}

void QSnapWidget::mouseMoveEvent(QMouseEvent*) {
    setCursor(Qt::OpenHandCursor);
}

void QSnapWidget::mouseDoubleClickEvent(QMouseEvent*) {
    leaveSnapMode();
}

void QSnapWidget::reject() {
    leaveSnapMode();
}

void QSnapWidget::leaveSnapMode() {
    holdTimer.stop();
    hide();
    emit leaveRequested();
}

void QSnapWidget::mouseClick() {
    holdTimer.stop();
    setCursor(Qt::ClosedHandCursor);

    const QByteArray path = snapshot::snapshotPath(platform::privateTempFolder(), snapCounter);
    ++snapCounter;
    // Whatever lies at the name (an earlier snapshot, or a link) goes first,
    // and the camera library creates the file anew.
    const QString file = platform::fromLocal(path);
    QFile::remove(file);
    emit captureRequested(path);
    if (!QFileInfo(file).isFile()) {
        setCursor(Qt::OpenHandCursor);
        emit captureFailed();
        return;
    }

    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file)});
    platform::startDrag(this, data, Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    setCursor(Qt::OpenHandCursor);
}

void QSnapWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawText(QRect(0, 0, 100, 100), Qt::AlignLeft, QStringLiteral("鼠标按住,拖动"));
}
