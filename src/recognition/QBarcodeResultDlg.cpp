#include "recognition/QBarcodeResultDlg.h"

#include "platform/Desktop.h"
#include "platform/Messages.h"
#include "shell/Language.h"
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

void QBarcodeResultDlg::applyLanguage(int language) {
    if (language != 0 && language != 1)
        return;
    m_language = language;
    setWindowTitle(text("条码识别结果显示(支持一维码和二维码)",
                        "Barcode results (one- and two-dimensional codes)"));
    ui->pushButtonExport->setText(text("导出", "Export"));
    ui->pushButtonClose->setText(text("关闭", "Close"));
    if (lastText.isEmpty() && !ui->textEdit->toPlainText().isEmpty())
        ui->textEdit->setPlainText(text("没有检测到条码!", "No barcode found!"));
}

QString QBarcodeResultDlg::text(const char* chinese, const char* english) const {
    return shell::Language::text(m_language, QString::fromUtf8(chinese),
                                 QString::fromUtf8(english));
}

void QBarcodeResultDlg::setBarcodeText(const QString& text) {
    if (text.isEmpty()) {
        ui->textEdit->setPlainText(this->text("没有检测到条码!", "No barcode found!"));
        ui->pushButtonExport->setEnabled(false);
        return;
    }
    lastText = text;
    ui->textEdit->setPlainText(text);
    ui->pushButtonExport->setEnabled(true);
}

void QBarcodeResultDlg::onExport() {
    const QString file =
        platform::chooseSaveFile(this, text("保存条码识别结果", "Save the barcode results"),
                                 QString(), text("XML文件 (*.xml)", "XML files (*.xml)"));
    if (file.isEmpty())
        return;
    // The whole export or nothing: a full disk never leaves half a file.
    QSaveFile out(file);
    const QByteArray bytes = lastText.toUtf8();
    const QString caption = text("提示", "Notice");
    if (!out.open(QIODevice::WriteOnly)) {
        platform::showMessage(
            text("导出失败: 无法创建文件 %1", "Export failed: cannot create the file %1").arg(file),
            caption);
        return;
    }
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        platform::showMessage(text("导出失败: 无法写入文件 %1 (磁盘已满?)",
                                   "Export failed: cannot write the file %1 (disk full?)")
                                  .arg(file),
                              caption);
        return;
    }
    platform::showMessage(text("导出完成!", "Export finished."), caption);
}

void QBarcodeResultDlg::onCloseWindow() {
    hide();
}
