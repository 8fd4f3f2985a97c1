#include "recognition/QFingerShowDlg.h"

#include "platform/Paths.h"
#include "recognition/FingerprintFile.h"
#include "shell/Language.h"
#include "ui_QFingerShowDlg.h"

QFingerShowDlg::QFingerShowDlg(FingerprintService::FolderSource folders, QWidget* parent)
    : QDialog(parent), ui(new Ui::QFingerShowDlg), fingerprints(std::move(folders)) {
    ui->setupUi(this);
    connect(ui->pushButton, &QPushButton::clicked, this, &QFingerShowDlg::onFingerPrintGet);
    connect(ui->pushButton_2, &QPushButton::clicked, this, &QFingerShowDlg::onFingerPrintMatch);
    connect(ui->lineEdit, &QLineEdit::textChanged, this, &QFingerShowDlg::showNameCut);
    showNameCut();
}

void QFingerShowDlg::showNameCut() {
    // The data file keeps 10 bytes of a name: the user sees what is kept
    // before enrolling, not only when a match reports the shorter name.
    const QByteArray full = platform::toLocal(ui->lineEdit->text());
    const QByteArray kept = FingerprintFile::nameField(full);
    ui->labelNameCut->setVisible(kept.size() < full.size());
    ui->labelNameCut->setText(QStringLiteral("姓名只保存 %1 个字节, 将保存为: %2")
                                  .arg(FingerprintFile::nameSize)
                                  .arg(platform::fromLocal(kept)));
}

QFingerShowDlg::~QFingerShowDlg() {
    delete ui;
}

void QFingerShowDlg::onFingerPrintGet() {
    const QString name = ui->lineEdit->text();
    if (name.isEmpty()) {
        shell::Language::tellChinese(QStringLiteral("请输入姓名!"));
        return;
    }
    fingerprints.enrollFingerprint(platform::toLocal(name));
}

void QFingerShowDlg::onFingerPrintMatch() {
    fingerprints.matchFingerprint();
}
