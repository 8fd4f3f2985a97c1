#include "annotation/QSetOpcityDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

QSetOpcityDlg::QSetOpcityDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QSetOpcityDlg"));
    resize(314, 161);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(30, 51, 41, 16);
    horizontalSliderOpcity = new QSlider(Qt::Horizontal, this);
    horizontalSliderOpcity->setObjectName(QStringLiteral("horizontalSliderOpcity"));
    horizontalSliderOpcity->setGeometry(80, 50, 185, 19);
    horizontalSliderOpcity->setRange(1, 255);
    horizontalSliderOpcity->setValue(255);
    labelOpcity = new QLabel(this);
    labelOpcity->setObjectName(QStringLiteral("labelOpcity"));
    labelOpcity->setGeometry(270, 50, 40, 16);
    labelOpcity->setFrameShape(QFrame::Box);
    pushButtonOK = new QPushButton(this);
    pushButtonOK->setObjectName(QStringLiteral("pushButtonOK"));
    pushButtonOK->setGeometry(60, 120, 75, 23);
    pushButtonCancel = new QPushButton(this);
    pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
    pushButtonCancel->setGeometry(180, 120, 75, 23);

    // The form's own texts.
    setWindowTitle(QStringLiteral("设置透明度"));
    label->setText(QStringLiteral("透明度:"));
    labelOpcity->setText(QStringLiteral("255"));
    pushButtonOK->setText(QStringLiteral("确认"));
    pushButtonCancel->setText(QStringLiteral("取消"));

    connect(horizontalSliderOpcity, &QSlider::valueChanged, this, &QSetOpcityDlg::onOpcityChanged);
    connect(pushButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(pushButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void QSetOpcityDlg::onOpcityChanged(int) {
    m_opacity = horizontalSliderOpcity->value();
    labelOpcity->setText(QString::number(m_opacity));
}

void QSetOpcityDlg::setOpacity(int n) {
    m_opacity = n;
    horizontalSliderOpcity->setValue(n);
}

void QSetOpcityDlg::applyLanguage(int language) {
    if (language == 0) {
        setWindowTitle(QStringLiteral("设置透明度:"));
        label->setText(QStringLiteral("透明度:"));
        pushButtonOK->setText(QStringLiteral("确认"));
        pushButtonCancel->setText(QStringLiteral("取消"));
    } else if (language == 1) {
        setWindowTitle(QStringLiteral("Set Opcity"));
        label->setText(QStringLiteral("Opcity"));
        pushButtonOK->setText(QStringLiteral("OK"));
        pushButtonCancel->setText(QStringLiteral("Cancel"));
    }
}
