#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>

#include <memory>

class AbstractShape;
class QTextEdit;
struct Settings;

// The whiteboard's drawing surface: keeps the annotation shapes, turns the
// presses, moves and releases the top plate forwards into new shapes of the
// selected tool, paints them oldest first on a transparent background and
// runs the small in-place text editor of the text tool.
//
// The shapes are drawn into a transparent layer of the board's size, which
// is then laid over whatever lies below; so the eraser clears only what
// earlier shapes painted, never the live picture under the board.
class QBasePlate : public QWidget {
    Q_OBJECT
public:
    explicit QBasePlate(QWidget* parent = nullptr);
    ~QBasePlate() override;

    // Tool Pen, not drawing, no shapes; width, opacity and colour from the
    // settings.
    void loadPenSettings();
    void setSettings(Settings* settings) { m_settings = settings; }

    // Only shapes created afterwards use new values; nothing is repainted.
    void setTool(int tool) { m_tool = tool; }
    void setColor(const QColor& color) { m_color = color; }
    void setOpacity(int opacity) { m_opacity = opacity; }
    void setLineWidth(int width) { m_lineWidth = width; }

    int tool() const { return m_tool; }
    QColor color() const { return m_color; }
    int opacity() const { return m_opacity; }
    int lineWidth() const { return m_lineWidth; }
    bool isDrawing() const { return m_drawing; }

    // Removes every shape from the board. The current shape stays valid;
    // an open text box stays open.
    void clear();
    // Removes the newest shape; false when there is none.
    bool removeLastShape();
    void closeTextBox();

    AbstractShape* currentShape() const { return m_current; }
    const QList<AbstractShape*>& shapes() const { return m_shapes; }
    QWidget* textBox() const { return m_textBox; }
    QTextEdit* textEdit() const { return m_textEdit; }

    // Paints the shapes, oldest first, onto a transparent image of that size;
    // transform maps board coordinates onto the image.
    QImage renderShapes(const QSize& size, const QTransform& transform) const;

    // Public so that the top plate can forward its events unchanged.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

public slots:
    // Each change of the edited text: the box follows the text's size and
    // the text shape follows the box.
    void setTextItemContent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setCurrent(AbstractShape* shape);
    void discard(AbstractShape* shape);
    void openTextBox(QPoint p);
    QPoint boxOffset() const;
    QPoint paintedTextOffset() const;
    void shapesChanged();

    Settings* m_settings = nullptr;
    QColor m_color;
    QList<AbstractShape*> m_shapes;
    AbstractShape* m_current = nullptr;
    // The current shape once it has left the list (cleared or undone): kept
    // alive while it is current.
    std::unique_ptr<AbstractShape> m_detachedCurrent;
    int m_tool = 0;
    bool m_drawing = false;
    int m_lineWidth = 5;
    int m_opacity = 255;
    QWidget* m_textBox = nullptr;
    QTextEdit* m_textEdit = nullptr;

    QImage m_layer;
    bool m_layerStale = true;
};
