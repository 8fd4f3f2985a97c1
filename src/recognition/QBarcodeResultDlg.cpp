#include "recognition/QBarcodeResultDlg.h"

#include "platform/Desktop.h"
#include "platform/Messages.h"
#include "ui_QBarcodeResultDlg.h"

#include <QSaveFile>

QBarcodeResultDlg::QBarcodeResultDlg(QWidget* parent)
    : QDialog(parent), ui(new Ui::QBarcodeResultDlg) {
    ui->setupUi(this);
    setFixedSize(size());
    ui->pushButtonExport->setEnabled(false);
    connect(ui->pushButtonExport, &QPushButton::clicked, this, &QBarcodeResultDlg::onExport);
    connect(ui->pushButtonClose, &QPushButton::clicked, this, &QBarcodeResultDlg::onCloseWindow);
}

QBarcodeResultDlg::~QBarcodeResultDlg() {
    delete ui;
}

void QBarcodeResultDlg::setBarcodeText(const QString& text) {
    if (text.isEmpty()) {
        ui->textEdit->setPlainText(QStringLiteral("没有检测到条码!"));
        ui->pushButtonExport->setEnabled(false);
        return;
    }
    lastText = text;
    ui->textEdit->setPlainText(text);
    ui->pushButtonExport->setEnabled(true);
}

void QBarcodeResultDlg::onExport() {
    const QString file = platform::chooseSaveFile(this, QStringLiteral("保存条码识别结果"),
                                                  QString(), QStringLiteral("XML文件 (*.xml)"));
    if (file.isEmpty())
        return;
    // The whole export or nothing: a full disk never leaves half a file.
    QSaveFile out(file);
    const QByteArray bytes = lastText.toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        platform::showMessage(QStringLiteral("导出失败: %1").arg(out.errorString()),
                              QStringLiteral("提示"));
        return;
    }
    platform::showMessage(QStringLiteral("导出完成!"), QStringLiteral("提示"));
}

void QBarcodeResultDlg::onCloseWindow() {
    hide();
}
