#pragma once

#include "annotation/PanelGeometry.h"

#include <QWidget>

class QBasePlate;
class QPushButton;
class QVisualizer;
struct Settings;

// The whiteboard's tool panel: 14 image buttons in two columns painted by
// the panel itself, acting on press. Tool buttons set the board's tool and
// stay highlighted; three buttons open the line width, colour and opacity
// dialogs, whose results go to the board and to the pen settings; two
// leave the whiteboard or end the program.
class QPanel : public QWidget {
    Q_OBJECT
public:
    explicit QPanel(QWidget* parent = nullptr);

    void setBoard(QBasePlate* board) { m_board = board; }
    void setVisualizer(QVisualizer* visualizer) { m_visualizer = visualizer; }
    void setSettings(Settings* settings) { m_settings = settings; }

    // The full action of painted button i: its board action, closing the
    // text box (all but the text button) and the cursor notice.
    void onButton(int i);

    const panel::Highlight& highlight() const { return m_buttonOn; }
    // The hidden push button of index i (its click runs the slot of index i).
    QPushButton* hiddenButton(int i) const;

    // The normal and highlighted image of button i.
    static QString normalImage(int i);
    static QString highlightedImage(int i);

public slots:
    void onBtnMouse();
    void onBtnClear();
    void onBtnDrawPen();
    void onBtnLine();
    void onBtnArrow();
    void onBtnTrangle();
    void onBtnRect();
    void onBtnEllipse();
    void onBtnLineWidth();
    void onBtnColor();
    void onBtnOpcity();
    void onBtnEraser();
    void onBtnReturn();
    void onBtnQuit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void selectTool(int button);

    QBasePlate* m_board = nullptr;
    QVisualizer* m_visualizer = nullptr;
    Settings* m_settings = nullptr;
    panel::Highlight m_buttonOn{};
    QPushButton* m_buttons[panel::kButtonCount] = {};
};
