#pragma once

#include <QPoint>
#include <QRect>

#include <array>

// The tool panel's painted buttons as plain rules: where each lies, which
// press hits it, what it does to the board and how the highlight follows.
namespace panel {

constexpr int kButtonCount = 14;
constexpr int kLeftMargin = 15;
constexpr int kTopMargin = 5;
constexpr int kColumnGap = 30;
constexpr int kRowGap = 12;
constexpr int kButtonSize = 25;

enum Button {
    Mouse = 0,
    Clear = 1,
    Pen = 2,
    Line = 3,
    Text = 4,
    Triangle = 5,
    Rect = 6,
    Ellipse = 7,
    LineWidth = 8,
    Color = 9,
    Opacity = 10,
    Eraser = 11,
    Back = 12,
    Quit = 13,
};

using Highlight = std::array<bool, kButtonCount>;

// The 25 x 25 square of button i: even buttons in the left column, odd ones
// in the right, seven rows.
QRect buttonRect(int i);

// Whether a press at pos lies on button i, edges included.
bool hits(int i, QPoint pos);

// The button a press at pos lies on, or -1.
int buttonAt(QPoint pos);

// Whether pressing button i moves the highlight to it (all but Clear, line
// width, colour and opacity).
bool selects(int i);

// The board tool button i chooses (a shape number or -1 for none); false
// when the button chooses no tool.
bool toolOf(int i, int* tool);

// Whether button i keeps an open text box (only the text button does).
inline bool keepsTextBox(int i) {
    return i == Text;
}

// The highlight after a press at pos: only the pressed button when it
// selects, otherwise unchanged.
Highlight highlightAfterPress(const Highlight& current, QPoint pos);

// The square grown by 2 pixels on every side that a highlighted button sits on.
QRect highlightRect(int i);

} // namespace panel
