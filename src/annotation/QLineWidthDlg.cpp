#include "annotation/QLineWidthDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

QLineWidthDlg::QLineWidthDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QLineWidthDlg"));
    resize(234, 153);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(16, 41, 88, 20);
    comboBoxLineWidth = new QComboBox(this);
    comboBoxLineWidth->setObjectName(QStringLiteral("comboBoxLineWidth"));
    comboBoxLineWidth->setGeometry(110, 41, 69, 20);
    for (int i = 1; i <= 17; ++i)
        comboBoxLineWidth->addItem(QString::number(i));
    pushButtonOK = new QPushButton(this);
    pushButtonOK->setObjectName(QStringLiteral("pushButtonOK"));
    pushButtonOK->setGeometry(30, 120, 75, 23);
    pushButtonCancel = new QPushButton(this);
    pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
    pushButtonCancel->setGeometry(130, 120, 75, 23);

    // The form's own texts are the Chinese ones.
    applyLanguage(0);
    comboBoxLineWidth->setCurrentIndex(m_lineWidth - 1);

    connect(pushButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(pushButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(comboBoxLineWidth, &QComboBox::currentIndexChanged, this,
            &QLineWidthDlg::onLineWidthChange);
}

void QLineWidthDlg::onLineWidthChange() {
    m_lineWidth = comboBoxLineWidth->currentIndex() + 1;
}

void QLineWidthDlg::setLineWidth(int n) {
    m_lineWidth = n;
    comboBoxLineWidth->setCurrentIndex(n - 1);
}

void QLineWidthDlg::applyLanguage(int language) {
    if (language == 0) {
        setWindowTitle(QStringLiteral("设置线宽"));
        label->setText(QStringLiteral("线宽:"));
        pushButtonOK->setText(QStringLiteral("确认"));
        pushButtonCancel->setText(QStringLiteral("取消"));
    } else if (language == 1) {
        setWindowTitle(QStringLiteral("Set line width"));
        label->setText(QStringLiteral("Line width"));
        pushButtonOK->setText(QStringLiteral("OK"));
        pushButtonCancel->setText(QStringLiteral("Cancel"));
    }
}
