// File naming rules, output formats and colour modes.

#include "app/MainForm.h"
#include "ui_MainForm.h"

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
void fillList(QComboBox* box, const Entry (&entries)[N], int language, int selected) {
    box->clear();
    for (const Entry& e : entries)
        box->addItem(QString::fromUtf8(language == 1 ? e.english : e.chinese));
    box->setCurrentIndex(selected);
}
} // namespace

void MainForm::InitPixtype() {
    fillList(ui->comboBoxColor, colorModes, cfg.Language, cfg.colorMode);
}

void MainForm::InitFmt() {
    fillList(ui->comboBoxFmt, formats, cfg.Language, formatIndex);
    fillList(ui->comboBoxNameRule, nameRules, cfg.Language, cfg.nameRule);
}

// The naming and format commands come with the capture path.
void MainForm::onFileNameChange() {}
void MainForm::onFileNameCountChange() {}
void MainForm::onFileNameStepChange() {}
void MainForm::onFileNameInitChange() {}
void MainForm::onNameRuleChange() {}
void MainForm::onOpenFolder() {}
void MainForm::onBrowser() {}
void MainForm::onColorChange() {}
void MainForm::onFmtChange() {}
