// File naming rules, output formats and colour modes, and the working folder
// choice: the panels' widgets over the naming panel and the capture service.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QTemporaryFile>

namespace {
struct Entry {
    const char* chinese;
    const char* english;
};

const Entry colorModes[] = {{"彩色", "Color"}, {"灰度", "Gray"}, {"黑白", "Black and white"}};
const Entry formats[] = {{"JPG", "JPG"},
                         {"单页PDF", "Single page PDF"},
                         {"多页PDF", "Multi page PDF"},
                         {"BMP", "BMP"},
                         {"TIF", "TIF"},
                         {"PNG", "PNG"}};
const Entry nameRules[] = {{"自动命名", "Automatic naming"},
                           {"条码命名", "Barcode naming"},
                           {"日期命名", "Date naming"},
                           {"自定义", "Custom naming"}};

template <size_t N>
void fillList(QComboBox* box, const Entry (&entries)[N], const shell::Language& language,
              int selected) {
    // Rebuilding a list (start-up, language switch) is not a choice by the user.
    const QSignalBlocker quiet(box);
    box->clear();
    for (const Entry& e : entries)
        box->addItem(language.text(QString::fromUtf8(e.chinese), QString::fromUtf8(e.english)));
    box->setCurrentIndex(selected);
}
} // namespace

// ---- lists ---------------------------------------------------------------------------

void MainForm::applyColorMode() {
    OrvSetDevColor(pair.main(), cfg.colorMode);
    if (cfg.colorMode == 0)
        ui->radioButtonCredent->setChecked(true);
    else if (cfg.colorMode == 1)
        ui->radioButtonDocument->setChecked(true);
}

void MainForm::InitPixtype() {
    // Rebuilding the list (start-up, a language switch) is not a choice: the
    // mode and the extension stay as they are.
    fillList(ui->comboBoxColor, colorModes, language, cfg.colorMode);
    applyColorMode();
}

void MainForm::InitFmt() {
    fillList(ui->comboBoxFmt, formats, language, captures->formatEntry());
}

void MainForm::InitNameRule() {
    fillList(ui->comboBoxNameRule, nameRules, language, naming.rule());
    showNamingControls();
}

void MainForm::showNamingControls() {
    QWidget* counterBoxes[] = {ui->labelFileNameInit,  ui->lineEditFileNameInit,
                               ui->labelFileNameCount, ui->lineEditFileNameCount,
                               ui->labelFileNameStep,  ui->lineEditFileNameStep};
    for (QWidget* w : counterBoxes)
        w->setVisible(naming.showsCounterBoxes());
    ui->labelFileName->setVisible(naming.showsNameBox());
    ui->lineEditFileName->setVisible(naming.showsNameBox());
    if (!naming.showsNameBox())
        return;
    ui->labelFileName->setText(naming.nameLabel());
    if (naming.showsCounterBoxes()) {
        ui->lineEditFileName->setText(naming.prefix());
        ui->lineEditFileNameCount->setText(naming.digits());
        ui->lineEditFileNameStep->setText(naming.step());
        ui->lineEditFileNameInit->setText(naming.counter());
    }
}

// ---- slots ---------------------------------------------------------------------------

void MainForm::onNameRuleChange() {
    if (!naming.chooseRule(ui->comboBoxNameRule->currentIndex()))
        return;
    showNamingControls();
    ui->lineEditFileName->resize(naming.nameBoxWidth(), 20);
    ui->lineEditFileName->setText(naming.nameBoxText());
}

void MainForm::onFileNameChange() {
    naming.editName(ui->lineEditFileName->text());
}

void MainForm::onFileNameCountChange() {
    if (!naming.editDigits(ui->lineEditFileNameCount->text()))
        ui->lineEditFileNameCount->setText(naming.digits());
}

void MainForm::onFileNameStepChange() {
    if (!naming.editStep(ui->lineEditFileNameStep->text()))
        ui->lineEditFileNameStep->setText(naming.step());
}

void MainForm::onFileNameInitChange() {
    if (!naming.editCounter(ui->lineEditFileNameInit->text()))
        ui->lineEditFileNameInit->setText(naming.counter());
}

void MainForm::onFmtChange() {
    captures->chooseFormat(ui->comboBoxFmt->currentIndex());
}

void MainForm::onColorChange() {
    const int mode = ui->comboBoxColor->currentIndex();
    if (mode < 0)
        return;
    cfg.colorMode = mode;
    captures->chooseColorMode(mode);
    applyColorMode();
}

void MainForm::onBrowser() {
    const QString folder =
        platform::chooseFolder(this, QStringLiteral("选择目录"), platform::fromLocal(documentsDir));
    if (folder.isEmpty())
        return;
    // A probe of a name of its own: no file of the user's is touched.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".orvanta-probe-XXXXXX")));
    if (!probe.open()) {
        shell::Language::tellChinese(QStringLiteral("所选目录没有文件写权限, 请重新选择目录!"));
        return;
    }
    probe.close();
    cfg.workPath = platform::toLocal(folder);
    SetupOutputFolders();
    ui->lineEditFilePath->setText(platform::fromLocal(cfg.workPath));
}

void MainForm::onOpenFolder() {
    platform::openUrl(QUrl::fromLocalFile(platform::fromLocal(cfg.workPath)));
}
