#pragma once

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QPoint>
#include <QWidget>

class QPainter;

// The numbers of the annotation shapes; the drawing board uses the same
// numbers for its drawing tools.
enum class ShapeKind : int {
    Pen = 0,
    Line = 1,
    Triangle = 2,
    Rect = 3,
    Ellipse = 4,
    Text = 5,
    Arrow = 6,
    Eraser = 7,
};

// The board's tool number when no drawing tool is selected.
constexpr int kNoTool = -1;

// One annotation stroke: the geometry gathered between press and release and
// the colour, opacity and width in force when it began. A shape is never
// shown as a widget; the board draws it through paint(). Deriving from
// QWidget gives it Qt's meta-object for its two slots.
class AbstractShape : public QWidget {
    Q_OBJECT
public:
    AbstractShape();

    // Draws the shape; the painter has antialiasing on and no brush.
    virtual void paint(QPainter& painter) = 0;
    // The pointer was dragged to p with the button held.
    virtual void dragTo(QPoint p) = 0;

    void setStart(QPoint p) { m_start = p; }
    void setEnd(QPoint p) { m_end = p; }
    void setLineWidth(int width) { m_lineWidth = width; }
    void setColor(const QColor& color) { m_color = color; }
    void setAlpha(int alpha) { m_alpha = alpha; }
    void setShapeType(int type) { m_shapeType = type; }

    QPoint start() const { return m_start; }
    QPoint end() const { return m_end; }
    int lineWidth() const { return m_lineWidth; }
    QColor color() const { return m_color; }
    int alpha() const { return m_alpha; }
    int shapeType() const { return m_shapeType; }
    QPen storedPen() const { return m_pen; }
    QBrush storedBrush() const { return m_brush; }

public slots:
    void setPen(const QPen& pen);
    void setBrush(const QBrush& brush);

protected:
    // The stroke every kind but the eraser draws with: the colour with the
    // shape's alpha (kept in the colour afterwards), the line width, round
    // caps and joins.
    void applyStrokePen(QPainter& painter);
    // The stored pen and brush (never changed by the program: the default
    // pen and no brush).
    void applyStoredPenAndBrush(QPainter& painter) const;

    QPoint m_start{0, 0};
    QPoint m_end{0, 0};
    QBrush m_brush;
    QPen m_pen;
    int m_lineWidth = 2;
    QColor m_color{Qt::red};
    int m_alpha = 255;
    int m_shapeType = 0;
};
