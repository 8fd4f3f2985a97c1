#include "annotation/QBasePlate.h"

#include "annotation/AnnotationSettings.h"
#include "annotation/Shapes.h"
#include "annotation/TextBoxGeometry.h"
#include "config/Settings.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

namespace {
QCursor imageCursor(const QString& resource) {
    const QPixmap pixmap(resource);
    return QCursor(pixmap, pixmap.width() / 2, pixmap.height() / 2);
}
} // namespace

QBasePlate::QBasePlate(QWidget* parent)
    : QWidget(parent), m_settings(annotation::currentSettings()) {
    setObjectName(QStringLiteral("QBasePlate"));
    setWindowTitle(QStringLiteral("QBasePlate"));
    resize(400, 300);
    if (!parent)
        setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    loadPenSettings();
}

QBasePlate::~QBasePlate() {
    closeTextBox();
    qDeleteAll(m_shapes);
    m_shapes.clear();
}

void QBasePlate::loadPenSettings() {
    setCurrent(nullptr);
    m_tool = 0;
    m_drawing = false;
    qDeleteAll(m_shapes);
    m_shapes.clear();
    const Settings defaults;
    const Settings& s = m_settings ? *m_settings : defaults;
    m_lineWidth = s.LineWidth;
    m_opacity = s.Opcity;
    m_color = QColor(s.rval, s.gval, s.bval, 255);
    shapesChanged();
}

void QBasePlate::setCurrent(AbstractShape* shape) {
    if (m_detachedCurrent && m_detachedCurrent.get() != shape)
        m_detachedCurrent.reset();
    m_current = shape;
}

void QBasePlate::discard(AbstractShape* shape) {
    if (shape == m_current)
        m_detachedCurrent.reset(shape); // still read while it is current
    else
        delete shape;
}

void QBasePlate::shapesChanged() {
    m_layerStale = true;
}

void QBasePlate::clear() {
    const QList<AbstractShape*> gone = m_shapes;
    m_shapes.clear();
    for (AbstractShape* s : gone)
        discard(s);
    shapesChanged();
    update();
}

bool QBasePlate::removeLastShape() {
    if (m_shapes.isEmpty())
        return false;
    AbstractShape* last = m_shapes.takeLast();
    if (last == m_current && m_textBox)
        closeTextBox(); // nothing left to type into
    discard(last);
    shapesChanged();
    update();
    return true;
}

void QBasePlate::closeTextBox() {
    if (!m_textBox)
        return;
    delete m_textEdit;
    m_textEdit = nullptr;
    delete m_textBox;
    m_textBox = nullptr;
    shapesChanged(); // the text stays painted where the box was
}

QPoint QBasePlate::boxOffset() const {
    // A box inside the board's parent is placed in the parent's coordinates;
    // a box of its own is placed on the screen, which the board covers from
    // its origin.
    return m_textBox && m_textBox->parentWidget() ? pos() : QPoint(0, 0);
}

void QBasePlate::openTextBox(QPoint p) {
    // The box lies over the top plate in the same parent, so that it gets
    // the mouse and the keyboard; without a parent it is a window of its own.
    QWidget* host = parentWidget();
    m_textBox = new QWidget(host);
    m_textBox->setAttribute(Qt::WA_TranslucentBackground);
    if (!host)
        m_textBox->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint |
                                  Qt::WindowStaysOnTopHint);
    m_textBox->setGeometry(textbox::initialBox(p).translated(boxOffset()));

    if (auto* text = dynamic_cast<ShapeText*>(m_current))
        text->setRect(QRect(p, QSize(textbox::kMinWidth, textbox::kInitialHeight)));

    m_textEdit = new QTextEdit(m_textBox);
    m_textEdit->setGeometry(0, 0, textbox::kMinWidth, textbox::kInitialHeight);
    connect(m_textEdit, &QTextEdit::textChanged, this, &QBasePlate::setTextItemContent);
    // Transparent, with a 2-pixel blue frame; the skin's padding and rounded
    // corners for edits are taken back, so that the box fits its text.
    m_textEdit->setStyleSheet(
        QStringLiteral("background-color: rgba(0,0,0,0);color: rgba(0,0,0,255);border-width:2px;"
                       "border-color:#1464C8;border-style:solid;padding:0px;border-radius:0px;"));
    m_textEdit->setTextColor(QColor(100, 200, 30, 255));
    m_textEdit->setFont(ShapeText::textFont());
    m_textEdit->setLineWrapMode(QTextEdit::NoWrap);
    m_textEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The box is as wide as the text, cut to whole pixels: a document a
    // fraction of a pixel wider must not bring up a scroll bar.
    m_textEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_textEdit->show();
    m_textBox->show();
    if (host)
        m_textBox->raise();
    m_textEdit->setFocus();
}

QPoint QBasePlate::paintedTextOffset() const {
    // Where the edit shows its first line (its frame, the document margin and
    // the line's ascent), against where the text shape paints it.
    const QTextDocument* doc = m_textEdit->document();
    const QFontMetricsF edited(m_textEdit->font());
    qreal left = doc->documentMargin();
    qreal baseline = doc->documentMargin() + edited.ascent();
    if (const QTextLayout* layout = doc->firstBlock().layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineAt(0);
        left = layout->position().x() + line.x();
        baseline = layout->position().y() + line.y() + line.ascent();
    }
    const QPoint viewport = m_textEdit->viewport()->geometry().topLeft();
    return textbox::textOffset(viewport.x() + left, viewport.y() + baseline,
                               QFontMetricsF(ShapeText::textFont()).ascent());
}

void QBasePlate::setTextItemContent() {
    auto* text = dynamic_cast<ShapeText*>(m_current);
    if (m_textEdit) {
        const QSizeF doc = m_textEdit->document()->size();
        const QSize size = textbox::editSize(doc.width(), doc.height(), m_textEdit->frameWidth());
        m_textEdit->setFixedSize(size);
        if (m_textBox) {
            m_textBox->resize(size);
            const QRect box = m_textBox->geometry().translated(-boxOffset());
            if (text)
                text->setRect(textbox::shapeRect(box, paintedTextOffset()));
        }
    }
    if (text)
        text->setText(m_textEdit ? m_textEdit->toPlainText() : QString());
    shapesChanged();
    update();
}

void QBasePlate::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    AbstractShape* shape = nullptr;
    switch (m_tool) {
    case int(ShapeKind::Pen):
    case int(ShapeKind::Line):
    case int(ShapeKind::Triangle):
    case int(ShapeKind::Rect):
    case int(ShapeKind::Ellipse):
    case int(ShapeKind::Arrow):
        shape = createShape(m_tool);
        setCurrent(shape);
        shape->setLineWidth(m_lineWidth);
        shape->setColor(m_color);
        shape->setAlpha(m_opacity);
        shape->setShapeType(m_tool);
        break;
    case int(ShapeKind::Eraser):
        shape = createShape(m_tool);
        shape->setShapeType(m_tool);
        setCurrent(shape);
        setCursor(imageCursor(QStringLiteral(":/image/eraser.png")));
        break;
    case int(ShapeKind::Text):
        shape = createShape(m_tool);
        shape->setShapeType(m_tool);
        shape->setColor(m_color);
        shape->setAlpha(m_opacity);
        setCurrent(shape);
        if (m_textBox) {
            update();
            closeTextBox();
        }
        openTextBox(p);
        break;
    default:
        setCurrent(nullptr);
        if (m_textBox) {
            closeTextBox();
            update();
        }
        break;
    }
    if (!shape)
        return;
    m_drawing = true;
    if (m_textBox && m_tool != int(ShapeKind::Text))
        closeTextBox();
    shape->setStart(p);
    m_shapes.append(shape);
    shapesChanged();
}

void QBasePlate::mouseMoveEvent(QMouseEvent* event) {
    if (!m_current || !m_drawing)
        return;
    m_current->dragTo(event->position().toPoint());
    shapesChanged();
    update();
}

void QBasePlate::mouseReleaseEvent(QMouseEvent* event) {
    if (m_current) {
        m_current->setEnd(event->position().toPoint());
        shapesChanged();
    }
    m_drawing = false;
}

QImage QBasePlate::renderShapes(const QSize& size, const QTransform& transform) const {
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(transform);
    for (AbstractShape* s : m_shapes) {
        p.setBrush(Qt::NoBrush);
        s->paint(p);
    }
    return layer;
}

void QBasePlate::paintEvent(QPaintEvent* event) {
    if (m_shapes.isEmpty())
        return; // fully transparent: the picture below repaints often
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (m_layerStale || m_layer.size() != pixels) {
        m_layer = renderShapes(pixels, QTransform::fromScale(ratio, ratio));
        m_layer.setDevicePixelRatio(ratio);
        m_layerStale = false;
    }
    QPainter p(this);
    p.setClipRegion(event->region());
    p.drawImage(QPoint(0, 0), m_layer);
}

void QBasePlate::hideEvent(QHideEvent* event) {
    closeTextBox();
    QWidget::hideEvent(event);
}
