#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QAbstractButton;
class QAction;
class QShortcut;
class QWidget;

namespace Ui {
class MainForm;
}

// The main window's keyboard shortcuts and the names assistive technology
// reads for its controls, in both languages.
//
// Capture is Space and F5 (what foot pedals and presenter clickers send),
// then OCR, barcodes, printing, the working folder, full screen and quit.
// The keys show in the buttons' tooltips and in the window menu. None of
// them fires while a text field has the focus; Space also leaves a button,
// check box or list that was reached with Tab to its own meaning. Enter and
// Esc stay with the window, which ignores them.
class KeyboardAccess : public QObject {
    Q_OBJECT
public:
    KeyboardAccess(QWidget* window, Ui::MainForm* ui);
    ~KeyboardAccess() override;

    // Tooltips with their keys, menu entries and accessible names in the
    // language (0 Chinese, 1 English); call after the window's own texts.
    void applyLanguage(int language);

    // The keys of the capture command.
    static QList<QKeySequence> captureKeys();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Command {
        QAbstractButton* button; // the button it presses; null for window commands
        QList<QKeySequence> keys;
        const char* chinese;
        const char* english;
        QList<QShortcut*> shortcuts;
        QAction* menuEntry = nullptr;
    };

    void addCommand(QAbstractButton* button, QList<QKeySequence> keys, const char* chinese,
                    const char* english, void (KeyboardAccess::*run)() = nullptr);
    void press(QAbstractButton* button);
    void toggleFullScreen();
    void quit();
    void focusMoved(QWidget* now, int reason);
    void nameControls(int language);

    QWidget* window;
    Ui::MainForm* ui;
    QList<Command> commands;
};
