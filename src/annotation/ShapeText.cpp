#include "annotation/ShapeText.h"

#include <QPainter>

QFont ShapeText::textFont() {
    QFont font;
    font.setPointSize(50);
    font.setFamily(QStringLiteral("宋体"));
    return font;
}

void ShapeText::paint(QPainter& painter) {
    applyStrokePen(painter);
    if (m_text.isEmpty())
        return;
    painter.setFont(textFont());
    painter.drawText(m_rect, Qt::AlignLeft, m_text);
}
