#include "shell/KeyboardAccess.h"
#include "shell/Language.h"
#include "ui_MainForm.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>

namespace {

bool isTextField(const QWidget* w) {
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable();
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return !edit->isReadOnly();
    return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

// Controls that Space works when the keyboard took the user there.
bool takesSpace(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w);
}

QString keyText(const QList<QKeySequence>& keys) {
    QStringList names;
    for (const QKeySequence& k : keys)
        names << k.toString(QKeySequence::NativeText);
    return names.join(QStringLiteral(", "));
}

struct Name {
    QWidget* (*widget)(Ui::MainForm*);
    const char* chinese;
    const char* english;
};

#define W(name) [](Ui::MainForm* u) -> QWidget* { return u->name; }

// What each control is called where its face does not say it: glyph
// buttons, sliders and lists beside a label, fields beside a short label.
const Name controlNames[] = {
    {W(lab_Ico), "Orvanta", "Orvanta"},
    {W(btnMenu), "菜单", "Menu"},
    {W(btnMenu_Min), "最小化", "Minimize"},
    {W(btnMenu_Max), "最大化", "Maximize"},
    {W(btnMenu_Close), "关闭", "Close"},
    {W(pushButtonDrag), "拖动模式", "Drag mode"},
    {W(pushButtonCut), "画框模式", "Draw rectangle mode"},
    {W(pushButtonRotateLeft), "左转", "Rotate left"},
    {W(pushButtonRotateRight), "右转", "Rotate right"},
    {W(pushButtonZoomIn), "放大", "Zoom in"},
    {W(pushButtonZoomOut), "缩小", "Zoom out"},
    {W(pushButtonFullSrn), "重置视频", "Reset video"},
    {W(horizontalSliderScale), "缩放", "Zoom"},
    {W(horizontalSliderBright), "锐化", "Sharpness"},
    {W(horizontalSliderContrast), "对比度", "Contrast"},
    {W(horizontalSliderSaut), "饱和度", "Saturation"},
    {W(horizontalSliderexpos), "曝光", "Exposure"},
    {W(horizontalSliderJPG), "JPG文件压缩比", "JPG quality"},
    {W(comboBoxDev), "主摄像头", "Main camera"},
    {W(comboBoxRes), "主摄像头分辨率", "Main camera resolution"},
    {W(comboBoxDPI), "DPI", "DPI"},
    {W(comboBoxColor), "颜色格式", "Color format"},
    {W(comboBoxFmt), "文件格式", "File format"},
    {W(comboBoxNameRule), "命名规则", "Naming rule"},
    {W(comboBoxDev_2), "副摄像头", "Vice camera"},
    {W(comboBoxRes2), "副摄像头分辨率", "Vice camera resolution"},
    {W(lineEditFilePath), "文件路径", "File path"},
    {W(pushBtnBrowser), "选择文件夹", "Choose folder"},
    {W(pushBtnOpenFolder), "打开文件夹", "Open folder"},
    {W(lineEditFileName), "文件名", "File name prefix"},
    {W(lineEditFileNameInit), "计数", "Start number"},
    {W(lineEditFileNameCount), "位数", "Digits"},
    {W(lineEditFileNameStep), "步长", "Step"},
};

#undef W

} // namespace

KeyboardAccess::KeyboardAccess(QWidget* w, Ui::MainForm* form) : QObject(w), window(w), ui(form) {
    addCommand(ui->pushButtonScan, captureKeys(), "拍照", "Capture");
    addCommand(ui->pushButtonOCR, {QKeySequence(Qt::CTRL | Qt::Key_R)}, "OCR识别", "OCR");
    addCommand(ui->pushButtonReadBarcode, {QKeySequence(Qt::CTRL | Qt::Key_B)}, "条码识别",
               "Read barcode");
    addCommand(ui->pushButtonPrint, {QKeySequence(Qt::CTRL | Qt::Key_P)}, "打印", "Print");
    addCommand(ui->pushBtnOpenFolder, {QKeySequence(Qt::CTRL | Qt::Key_O)}, "打开文件夹",
               "Open folder");
    addCommand(nullptr, {QKeySequence(Qt::Key_F11)}, "全屏", "Full screen",
               &KeyboardAccess::toggleFullScreen);
    addCommand(nullptr, {QKeySequence(Qt::CTRL | Qt::Key_Q)}, "退出", "Quit",
               &KeyboardAccess::quit);
    // Where the focus goes, and how it got there. The window opens with the
    // focus on the capture button, so that the first Space captures.
    qApp->installEventFilter(this);
    ui->pushButtonScan->setFocus(Qt::OtherFocusReason);
}

KeyboardAccess::~KeyboardAccess() {
    qApp->removeEventFilter(this);
    for (Command& c : commands)
        delete c.menuEntry;
}

QList<QKeySequence> KeyboardAccess::captureKeys() {
    return {QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_F5)};
}

void KeyboardAccess::addCommand(QAbstractButton* button, QList<QKeySequence> keys,
                                const char* chinese, const char* english,
                                void (KeyboardAccess::*run)()) {
    Command c{button, keys, chinese, english, {}, nullptr};
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false); // a held pedal is one capture
        if (run)
            connect(shortcut, &QShortcut::activated, this, run);
        else
            connect(shortcut, &QShortcut::activated, this, [this, button] { press(button); });
        c.shortcuts << shortcut;
    }
    if (!button) {
        // Window commands have no button: the menu offers them with their key.
        c.menuEntry = new QAction;
        if (run)
            connect(c.menuEntry, &QAction::triggered, this, run);
    }
    commands << c;
}

void KeyboardAccess::press(QAbstractButton* button) {
    // What a click would do, and nothing when a click could not be made.
    if (button->isEnabled() && button->isVisibleTo(window))
        button->click();
}

void KeyboardAccess::toggleFullScreen() {
    if (window->isFullScreen())
        window->showNormal();
    else
        window->showFullScreen();
}

void KeyboardAccess::quit() {
    window->close();
}

bool KeyboardAccess::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->window() == window)
            focusMoved(w, static_cast<QFocusEvent*>(event)->reason());
    }
    return QObject::eventFilter(watched, event);
}

void KeyboardAccess::focusMoved(QWidget* now, int reason) {
    const bool typing = isTextField(now);
    const bool tabbed = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    for (Command& c : commands)
        for (QShortcut* s : c.shortcuts) {
            const bool space = s->key() == QKeySequence(Qt::Key_Space);
            s->setEnabled(!typing && !(space && tabbed && takesSpace(now)));
        }
}

namespace {

QString textIn(int language, const char* chinese, const char* english) {
    return shell::Language::text(language, QString::fromUtf8(chinese), QString::fromUtf8(english));
}

} // namespace

void KeyboardAccess::applyLanguage(int language) {
    if (language != 0 && language != 1)
        return;
    QMenu* menu = ui->btnMenu->menu();
    bool separated = false;
    for (Command& c : commands) {
        const QString name = textIn(language, c.chinese, c.english);
        const QString keys = keyText(c.keys);
        if (c.button) {
            c.button->setToolTip(QStringLiteral("%1 (%2)").arg(name, keys));
        } else if (c.menuEntry) {
            // Shown in the menu's key column, but the key is the shortcut's:
            // the entry itself must not take it when a text field has focus.
            c.menuEntry->setText(name + QLatin1Char('\t') + keys);
            if (menu && !menu->actions().contains(c.menuEntry)) {
                if (!separated)
                    menu->addSeparator();
                separated = true;
                menu->addAction(c.menuEntry);
            }
        }
    }
    nameControls(language);
}

void KeyboardAccess::nameControls(int language) {
    for (const Name& n : controlNames)
        n.widget(ui)->setAccessibleName(textIn(language, n.chinese, n.english));
    // Buttons whose face is their name: the name without the key.
    for (const Command& c : commands)
        if (c.button && c.button != ui->pushBtnOpenFolder)
            c.button->setAccessibleName(textIn(language, c.chinese, c.english));
}
