// File naming rules, output formats and colour modes, and the working folder
// choice.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

enum NameRule { Automatic = 0, Barcode = 1, Date = 2, Custom = 3 };

template <size_t N>
void fillList(QComboBox* box, const Entry (&entries)[N], int language, int selected) {
    // Rebuilding a list (start-up, language switch) is not a choice by the user.
    const QSignalBlocker quiet(box);
    box->clear();
    for (const Entry& e : entries)
        box->addItem(QString::fromUtf8(language == 1 ? e.english : e.chinese));
    box->setCurrentIndex(selected);
}

// Reads a decimal integer; false for anything else.
bool readInt(const QString& text, int* value) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (ok)
        *value = v;
    return ok;
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
    fillList(ui->comboBoxColor, colorModes, cfg.Language, cfg.colorMode);
    applyColorMode();
}

void MainForm::InitFmt() {
    fillList(ui->comboBoxFmt, formats, cfg.Language, captures->formatEntry());
}

const QByteArray& MainForm::extension() const {
    return captures->extension();
}

int MainForm::formatEntry() const {
    return captures->formatEntry();
}

void MainForm::InitNameRule() {
    const int rule = cfg.nameRule;
    fillList(ui->comboBoxNameRule, nameRules, cfg.Language, rule);
    cfg.nameRule = rule;
    showNamingControls();
}

void MainForm::showNamingControls() {
    QWidget* all[] = {ui->labelFileName,        ui->lineEditFileName,    ui->labelFileNameInit,
                      ui->lineEditFileNameInit, ui->labelFileNameCount,  ui->lineEditFileNameCount,
                      ui->labelFileNameStep,    ui->lineEditFileNameStep};
    const int rule = cfg.nameRule;
    for (QWidget* w : all)
        w->setVisible(rule == Automatic);
    if (rule == Automatic) {
        ui->labelFileName->setText(cfg.Language == 1 ? QStringLiteral("Prefix:")
                                                     : QStringLiteral("前缀:"));
        ui->lineEditFileName->setText(platform::fromLocal(cfg.prefixName));
        ui->lineEditFileNameCount->setText(QString::number(cfg.fileNameDigits));
        ui->lineEditFileNameStep->setText(QString::number(cfg.fileNameStep));
        ui->lineEditFileNameInit->setText(QString::number(cfg.fileNameCounter));
    } else if (rule == Custom) {
        ui->labelFileName->setText(QStringLiteral("文件名:"));
        ui->labelFileName->show();
        ui->lineEditFileName->show();
    }
}

// ---- slots ---------------------------------------------------------------------------

void MainForm::onNameRuleChange() {
    const int rule = ui->comboBoxNameRule->currentIndex();
    if (rule < 0 || rule == cfg.nameRule)
        return;
    cfg.nameRule = rule;
    showNamingControls();
    if (rule == Automatic) {
        ui->lineEditFileName->resize(51, 20);
        ui->lineEditFileName->setText(platform::fromLocal(cfg.prefixName));
    } else if (rule == Custom) {
        ui->lineEditFileName->resize(120, 20);
        ui->lineEditFileName->clear();
    }
}

void MainForm::onFileNameChange() {
    if (cfg.nameRule == Automatic)
        cfg.prefixName = platform::toLocal(ui->lineEditFileName->text());
}

void MainForm::onFileNameCountChange() {
    int v = 0;
    if (readInt(ui->lineEditFileNameCount->text(), &v) && v >= 1 && v <= 20) {
        cfg.fileNameDigits = v;
        return;
    }
    platform::showMessage(QStringLiteral("请输入[1-20]之间的数字!"), QStringLiteral("提示"));
    ui->lineEditFileNameCount->setText(QString::number(cfg.fileNameDigits));
}

void MainForm::onFileNameStepChange() {
    int v = 0;
    if (readInt(ui->lineEditFileNameStep->text(), &v) && v >= 1 && v <= 100) {
        cfg.fileNameStep = v;
        return;
    }
    platform::showMessage(QStringLiteral("请输入[1-100]之间的数字!"), QStringLiteral("提示"));
    ui->lineEditFileNameStep->setText(QString::number(cfg.fileNameStep));
}

void MainForm::onFileNameInitChange() {
    int v = 0;
    if (readInt(ui->lineEditFileNameInit->text(), &v)) {
        cfg.fileNameCounter = v;
        return;
    }
    platform::showMessage(QStringLiteral("请输入整数!"), QStringLiteral("提示"));
    ui->lineEditFileNameInit->setText(QString::number(cfg.fileNameCounter));
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
        platform::showMessage(QStringLiteral("所选目录没有文件写权限, 请重新选择目录!"),
                              QStringLiteral("提示"));
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
