#pragma once

#include <QWidget>

class QBasePlate;
class QPanel;

// The input layer of the whiteboard: lies over the board, paints nothing,
// catches every press, move and release over the live picture and hands
// them to the board; after each release it raises the tool panel above
// itself. It shows the cursor of the chosen tool.
class QTopPlate : public QWidget {
    Q_OBJECT
public:
    explicit QTopPlate(QWidget* parent = nullptr);

    void setBoard(QBasePlate* board) { m_board = board; }
    void setPanel(QPanel* panel) { m_panel = panel; }
    QBasePlate* board() const { return m_board; }
    QPanel* panel() const { return m_panel; }

    // The cursor that belongs to tool-panel button index.
    void setToolCursor(int index);

    static QCursor eraserCursor();
    static QCursor pencilCursor();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QBasePlate* m_board = nullptr;
    QPanel* m_panel = nullptr;
};
