#include "shell/QSetUIDlg.h"

#include "ui_QSetUIDlg.h"

QSetUIDlg::QSetUIDlg(QWidget* parent) : QDialog(parent), ui(new Ui::QSetUIDlg) {
    ui->setupUi(this);
    setFixedSize(size());
    // These buttons show their colour, not the skin's button look.
    for (QPushButton* b : {ui->pushButtonChocolate, ui->pushButtonBlue, ui->pushButtonGreen,
                           ui->pushButtonMGreen, ui->pushButtonPink, ui->pushButtonBrown})
        b->setStyleSheet(b->styleSheet() +
                         QStringLiteral(" border: 1px solid #505050; border-radius: 4px;"));
    connect(ui->pushButtonChocolate, &QPushButton::clicked, this, &QSetUIDlg::onChocolate);
    connect(ui->pushButtonBlue, &QPushButton::clicked, this, &QSetUIDlg::onBlue);
    connect(ui->pushButtonMGreen, &QPushButton::clicked, this, &QSetUIDlg::onMGreen);
    connect(ui->pushButtonGreen, &QPushButton::clicked, this, &QSetUIDlg::onGreen);
    connect(ui->pushButtonPink, &QPushButton::clicked, this, &QSetUIDlg::onPink);
    connect(ui->pushButtonBrown, &QPushButton::clicked, this, &QSetUIDlg::onBrown);
}

QSetUIDlg::~QSetUIDlg() {
    delete ui;
}

void QSetUIDlg::applyLanguage(int language) {
    if (language == 0) {
        setWindowTitle(QStringLiteral("界面设置"));
        ui->label->setText(QStringLiteral("请点击按钮设置选择相应的界面"));
    } else if (language == 1) {
        setWindowTitle(QStringLiteral("Skin setting"));
        ui->label->setText(
            QStringLiteral("Please click on the button to select the appropriate interface."));
    }
}

void QSetUIDlg::choose(int skin) {
    emit skinChosen(skin);
    accept();
}

void QSetUIDlg::onChocolate() {
    choose(1);
}
void QSetUIDlg::onBlue() {
    choose(2);
}
void QSetUIDlg::onMGreen() {
    choose(3);
}
void QSetUIDlg::onGreen() {
    choose(4);
}
void QSetUIDlg::onPink() {
    choose(5);
}
void QSetUIDlg::onBrown() {
    choose(6);
}
