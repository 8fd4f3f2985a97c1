#pragma once

#include "annotation/AbstractShape.h"

#include <QFont>
#include <QRect>
#include <QString>

// Text typed in the board's text box, painted left-aligned into its
// rectangle in a 50-point font; line breaks start new lines.
class ShapeText : public AbstractShape {
    Q_OBJECT
public:
    void paint(QPainter& painter) override;
    void dragTo(QPoint) override {}

    void setText(const QString& text) { m_text = text; }
    void setRect(const QRect& rect) { m_rect = rect; }
    QString text() const { return m_text; }
    QRect textRect() const { return m_rect; }

    // The face and size of annotation text (the text box edits in the same).
    static QFont textFont();

private:
    QString m_text;
    QRect m_rect; // null: left 0, top 0, right -1, bottom -1
};
