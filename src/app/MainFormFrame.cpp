// The main window's own frame: title bar, moving, maximising, menu, skins and
// the language switch.

#include "app/MainForm.h"
#include "capture/ThumbnailStrip.h"
#include "platform/QtTranslations.h"
#include "platform/WindowSystem.h"
#include "recognition/QBarcodeResultDlg.h"
#include "recording/RecordingSession.h"
#include "shell/IconHelper.h"
#include "shell/KeyboardAccess.h"
#include "shell/QOrvAbout.h"
#include "shell/QSetUIDlg.h"
#include "ui_MainForm.h"

#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>

namespace {
constexpr char16_t glyphClose = 0xF00D;
constexpr char16_t glyphMaximize = 0xF096;
constexpr char16_t glyphRestore = 0xF079;
constexpr char16_t glyphMinimize = 0xF068;
constexpr char16_t glyphMenu = 0xF0C9;
constexpr char16_t glyphHome = 0xF015;
constexpr char16_t glyphHand = 0xF256;
constexpr char16_t glyphCrop = 0xF125;
constexpr char16_t glyphRotateLeft = 0xF0E2;
constexpr char16_t glyphRotateRight = 0xF01E;
constexpr char16_t glyphZoomOut = 0xF010;
constexpr char16_t glyphZoomIn = 0xF00E;
constexpr char16_t glyphFit = 0xF065;

const char* const skinResources[] = {":/image/chocolate.css", ":/image/blue.css",
                                     ":/image/mgreen.css",    ":/image/green.css",
                                     ":/image/pink.css",      ":/image/brown.css"};
} // namespace

void MainForm::initFrame() {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    ui->lab_Title->installEventFilter(this);

    IconHelper& icons = IconHelper::instance();
    icons.SetIcon(ui->btnMenu_Close, QChar(glyphClose), 10);
    icons.SetIcon(ui->btnMenu_Max, QChar(glyphMaximize), 10);
    icons.SetIcon(ui->btnMenu_Min, QChar(glyphMinimize), 10);
    icons.SetIcon(ui->btnMenu, QChar(glyphMenu), 10);
    icons.SetIcon(ui->lab_Ico, QChar(glyphHome), 12);

    auto* shadow = new QGraphicsDropShadowEffect(ui->groupBox);
    shadow->setOffset(-5, 5);
    shadow->setColor(Qt::gray);
    shadow->setBlurRadius(8);
    ui->groupBox->setGraphicsEffect(shadow);

    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::Window, QColor(230, 230, 226));
    setPalette(pal);

    const std::pair<QPushButton*, char16_t> viewButtons[] = {
        {ui->pushButtonDrag, glyphHand},
        {ui->pushButtonCut, glyphCrop},
        {ui->pushButtonRotateLeft, glyphRotateLeft},
        {ui->pushButtonRotateRight, glyphRotateRight},
        {ui->pushButtonZoomOut, glyphZoomOut},
        {ui->pushButtonZoomIn, glyphZoomIn},
        {ui->pushButtonFullSrn, glyphFit}};
    // Their light face (#E6E6E6), glyph colour and hover and checked states
    // come from the skin, so that every state shows in every skin.
    for (const auto& [button, glyph] : viewButtons)
        icons.SetIcon(button, QChar(glyph), 12);

    ui->pushButtonCapturePDF->hide();
    ui->checkBoxDenoising->hide();
    ui->radioButtonDocument->hide();
    ui->radioButtonCredent->hide();
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (ui && watched == ui->lab_Title && event->type() == QEvent::MouseButtonDblClick) {
        on_btnMenu_Max_clicked();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // Where the window may not place itself, the compositor moves it.
    if (platform::moveByWindowSystem(this)) {
        event->accept();
        return;
    }
    frame.press(event->globalPosition().toPoint(), frameGeometry().topLeft());
    event->accept();
}

void MainForm::mouseMoveEvent(QMouseEvent* event) {
    QPoint to;
    if ((event->buttons() & Qt::LeftButton) &&
        frame.dragTo(event->globalPosition().toPoint(), &to)) {
        move(to);
        event->accept();
    }
}

void MainForm::mouseReleaseEvent(QMouseEvent*) {
    frame.release();
}

void MainForm::on_btnMenu_Max_clicked() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(frame.toggleMaximized(geometry(), screen ? screen->availableGeometry() : QRect()));
    IconHelper::instance().SetIcon(ui->btnMenu_Max,
                                   QChar(frame.maximized() ? glyphRestore : glyphMaximize), 10);
    ui->btnMenu_Max->setToolTip(
        language.text(QStringLiteral("最大化"), QStringLiteral("Maximize")));
}

void MainForm::on_btnMenu_Close_clicked() {
    close();
}

void MainForm::on_btnMenu_Min_clicked() {
    showMinimized();
}

void MainForm::createMenu() {
    mainMenu = new QMenu;
    actionSkin = mainMenu->addAction(QStringLiteral("换肤"));
    actionSetting = mainMenu->addAction(QStringLiteral("设置"));
    languageMenu = mainMenu->addMenu(QStringLiteral("切换语言"));
    languageGroup = new QActionGroup(this);
    languageGroup->setExclusive(true);
    actionChinese = languageMenu->addAction(QStringLiteral("汉语"));
    actionEnglish = languageMenu->addAction(QStringLiteral("英语"));
    for (QAction* a : {actionChinese, actionEnglish}) {
        a->setCheckable(true);
        languageGroup->addAction(a);
    }
    actionAbout = mainMenu->addAction(QStringLiteral("关于"));
    // The forms' own texts (any other language) keep the button's tooltip.
    if (cfg.Language == 0 || cfg.Language == 1) {
        (language.english() ? actionEnglish : actionChinese)->setChecked(true);
        ui->btnMenu->setToolTip(language.text(QStringLiteral("菜单"), QStringLiteral("Menu")));
    }
    ui->btnMenu->setMenu(mainMenu);
    ui->btnMenu->setStyleSheet(QStringLiteral("QPushButton::menu-indicator{image:None;}"));
    connect(actionSkin, &QAction::triggered, this, &MainForm::onSwitchUI);
    connect(actionSetting, &QAction::triggered, this, &MainForm::onSetting);
    connect(actionChinese, &QAction::triggered, this, &MainForm::onChinese);
    connect(actionEnglish, &QAction::triggered, this, &MainForm::onEnglish);
    connect(actionAbout, &QAction::triggered, this, &MainForm::onAbout);
}

void MainForm::deleteMenu() {
    delete actionSkin;
    delete actionAbout;
    delete mainMenu;
    actionSkin = nullptr;
    actionAbout = nullptr;
    mainMenu = nullptr;
    actionSetting = nullptr;
    languageMenu = nullptr;
    actionChinese = nullptr;
    actionEnglish = nullptr;
}

void MainForm::setSkin(int index) {
    if (index >= 1 && index <= 6) {
        QFile file(QString::fromLatin1(skinResources[index - 1]));
        QString sheet;
        if (file.open(QIODevice::ReadOnly))
            sheet = QString::fromLatin1(file.readAll());
        qApp->setStyleSheet(sheet);
        layoutButtonRow(); // the new sheet's metrics decide what fits
    }
    cfg.UIIndex = index;
}

void MainForm::applyLanguage(int language) {
    this->language.set(language);
    platform::useQtTranslations(language);
    applyTexts(language);
    recording->showCaptions(language);
    InitPixtype();
    InitNameRule();
    InitFmt();
    layoutButtonRow();
    barcodeDialog->applyLanguage(cfg.Language);
    strip->setLanguage(cfg.Language);
    if (keyboard)
        keyboard->applyLanguage(language);
}

void MainForm::onChinese() {
    applyLanguage(0);
}
void MainForm::onEnglish() {
    applyLanguage(1);
}

void MainForm::onSwitchUI() {
    QSetUIDlg dialog;
    connect(&dialog, &QSetUIDlg::skinChosen, this, &MainForm::setSkin);
    dialog.applyLanguage(cfg.Language);
    dialog.exec();
}

void MainForm::onAbout() {
    QOrvAbout about(cfg.Language);
    about.exec();
}
