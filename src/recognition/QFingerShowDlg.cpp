#include "recognition/QFingerShowDlg.h"

#include "platform/Messages.h"
#include "platform/Paths.h"
#include "ui_QFingerShowDlg.h"

QFingerShowDlg::QFingerShowDlg(FingerprintService::FolderSource folders, QWidget* parent)
    : QDialog(parent), ui(new Ui::QFingerShowDlg), fingerprints(std::move(folders)) {
    ui->setupUi(this);
    connect(ui->pushButton, &QPushButton::clicked, this, &QFingerShowDlg::onFingerPrintGet);
    connect(ui->pushButton_2, &QPushButton::clicked, this, &QFingerShowDlg::onFingerPrintMatch);
}

QFingerShowDlg::~QFingerShowDlg() {
    delete ui;
}

void QFingerShowDlg::onFingerPrintGet() {
    const QString name = ui->lineEdit->text();
    if (name.isEmpty()) {
        platform::showMessage(QStringLiteral("请输入姓名!"), QStringLiteral("提示"));
        return;
    }
    fingerprints.enrollFingerprint(platform::toLocal(name));
}

void QFingerShowDlg::onFingerPrintMatch() {
    fingerprints.matchFingerprint();
}
