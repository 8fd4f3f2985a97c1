#include "annotation/QTopPlate.h"

#include "annotation/AbstractShape.h"
#include "annotation/PanelGeometry.h"
#include "annotation/QBasePlate.h"
#include "annotation/QPanel.h"

#include <QMouseEvent>
#include <QPixmap>

QTopPlate::QTopPlate(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QTopPlate"));
    setWindowTitle(QStringLiteral("QTopPlate"));
    if (!parent) {
        setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setWindowOpacity(0.01);
    }
    // Inside the whiteboard window it simply paints nothing: the board and
    // the picture show through, and it still receives all mouse input.
}

QCursor QTopPlate::eraserCursor() {
    const QPixmap pixmap(QStringLiteral(":/image/eraser.png"));
    return QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
}

QCursor QTopPlate::pencilCursor() {
    return QCursor(QPixmap(QStringLiteral(":/image/pencil.png")), 0, 24);
}

void QTopPlate::setToolCursor(int index) {
    switch (index) {
    case panel::Mouse:
    case panel::Clear:
    case panel::LineWidth:
    case panel::Color:
    case panel::Opacity:
    case panel::Back:
        setCursor(Qt::ArrowCursor);
        break;
    case panel::Pen:
        setCursor(pencilCursor());
        break;
    case panel::Line:
    case panel::Triangle:
    case panel::Rect:
    case panel::Ellipse:
        setCursor(Qt::CrossCursor);
        break;
    case panel::Text:
        setCursor(Qt::IBeamCursor);
        break;
    case panel::Eraser:
        setCursor(eraserCursor());
        break;
    default: // Quit: unchanged
        break;
    }
}

void QTopPlate::mousePressEvent(QMouseEvent* event) {
    if (m_board)
        m_board->mousePressEvent(event);
}

void QTopPlate::mouseReleaseEvent(QMouseEvent* event) {
    if (m_board)
        m_board->mouseReleaseEvent(event);
    if (m_panel)
        m_panel->raise();
}

void QTopPlate::mouseMoveEvent(QMouseEvent* event) {
    if (!m_board)
        return;
    m_board->mouseMoveEvent(event);
    const AbstractShape* shape = m_board->currentShape();
    if (!shape)
        setCursor(Qt::ArrowCursor);
    else if (shape->shapeType() == int(ShapeKind::Eraser))
        setCursor(eraserCursor());
    else if (shape->shapeType() == int(ShapeKind::Pen))
        setCursor(pencilCursor());
}
