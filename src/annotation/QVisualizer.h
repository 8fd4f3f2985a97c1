#pragma once

#include <QWidget>

class QBasePlate;
class QPanel;
class QTopPlate;

// The whiteboard window: a frameless window over the whole desktop into
// which the camera library renders the live picture of the main camera.
// Above the picture lie, as children painted after it, the drawing board
// (only the shapes), the top plate (catches the mouse) and the tool panel
// (kept above the top plate).
//
// Ctrl+Z takes the newest shape away; Ctrl+S saves the picture with its
// annotations as a capture.
class QVisualizer : public QWidget {
    Q_OBJECT
public:
    explicit QVisualizer(QWidget* parent = nullptr);

    QPanel* panel = nullptr;
    QTopPlate* topPlate = nullptr;
    QBasePlate* board = nullptr;

    // Hides the whiteboard; the main window comes back with its preview.
    void leaveWhiteboard();
    // Closes the whiteboard and asks for the program to end.
    void quit();
    // A tool-panel button was pressed: its cursor goes to the top plate.
    void onPanelButton(int index);

    // Where the panel lies in a window of that height.
    static QRect panelGeometry(int windowHeight);

signals:
    void leaveRequested();
    void quitRequested();
    // Ctrl+S: the picture with its annotations is to be saved as a capture.
    void saveRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
