// Picture adjustments of the main camera: sharpness, contrast, saturation,
// exposure, presets, auto crop, background removal, JPEG quality, print.

#include "app/MainForm.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QSignalBlocker>

namespace {
enum VideoProperty { Contrast = 1, Saturation = 3, Sharpness = 4 };

// Sets a slider's range and value from the camera; returns the value.
void readProperty(int camera, int property, QSlider* slider, QLabel* label) {
    bool isAuto = false;
    int upper = 0, lower = 0, value = 0;
    OrvGetVideoProp(camera, property, &isAuto, &upper, &lower, &value);
    slider->setRange(lower, upper);
    slider->setValue(value);
    label->setText(QString::number(value));
}
struct Exposure {
    bool isAuto = false;
    int upper = 0, lower = 0, value = 0;
};

Exposure readExposure(int camera) {
    Exposure e;
    OrvGetExposure(camera, &e.isAuto, &e.upper, &e.lower, &e.value);
    return e;
}

// The exposure slider shows the stored manual value in the camera's range;
// in automatic mode the slider and its value are disabled (never re-enabled
// here: only the automatic-exposure box does that).
void showExposure(Ui::MainForm* ui, const Settings& cfg, const Exposure& e) {
    const QSignalBlocker quiet(ui->horizontalSliderexpos);
    ui->horizontalSliderexpos->setRange(e.lower, e.upper);
    ui->horizontalSliderexpos->setValue(cfg.Exposure);
    if (cfg.AutoExp) {
        ui->horizontalSliderexpos->setEnabled(false);
        ui->label_Expos->setEnabled(false);
    } else {
        ui->label_Expos->setText(QString::number(cfg.Exposure));
    }
    ui->checkBoxAutoExp->setChecked(cfg.AutoExp);
}
} // namespace

void MainForm::initPictureControls() {
    const int main = pair.main();
    readProperty(main, Sharpness, ui->horizontalSliderBright, ui->label_Bright);

    // The camera pair gave the camera the stored exposure when it opened.
    showExposure(ui, cfg, readExposure(main));
}

void MainForm::refreshMainControls() {
    const int main = pair.main();
    readProperty(main, Sharpness, ui->horizontalSliderBright, ui->label_Bright);
    readProperty(main, Contrast, ui->horizontalSliderContrast, ui->label_Contrast);
    readProperty(main, Saturation, ui->horizontalSliderSaut, ui->label_Saut);
    showExposure(ui, cfg, readExposure(main));
    ui->horizontalSliderexpos->setEnabled(!cfg.AutoExp);
    ui->label_Expos->setEnabled(!cfg.AutoExp);
    {
        const QSignalBlocker quiet(ui->comboBoxColor);
        ui->comboBoxColor->setCurrentIndex(cfg.colorMode);
    }
    if (cfg.colorMode == 0)
        ui->radioButtonCredent->setChecked(true);
    else if (cfg.colorMode == 1)
        ui->radioButtonDocument->setChecked(true);
    ui->pushButtonDrag->setChecked(pair.mouseMode() == 0);
    ui->pushButtonCut->setChecked(pair.mouseMode() == 1);
}

void MainForm::applyStartupRotation() {
    int code = 0;
    switch (cfg.RotateAngle) {
    case 90:
        code = 1;
        break;
    case 180:
        code = 2;
        break;
    case 270:
        code = 3;
        break;
    default:
        break;
    }
    OrvSetRotate(pair.main(), code);
}

void MainForm::onSetImage() {
    const int main = pair.main();
    OrvShowVideoProperty(main);
    readProperty(main, Sharpness, ui->horizontalSliderBright, ui->label_Bright);
    readProperty(main, Contrast, ui->horizontalSliderContrast, ui->label_Contrast);
    readProperty(main, Saturation, ui->horizontalSliderSaut, ui->label_Saut);

    const Exposure e = readExposure(main);
    cfg.AutoExp = e.isAuto;
    showExposure(ui, cfg, e);
}

void MainForm::onSetImage2() {
    OrvShowVideoProperty(pair.vice());
}

void MainForm::onSliderBright(int v) {
    OrvSetVideoProp(pair.main(), Sharpness, false, v);
    ui->label_Bright->setText(QString::number(v));
}

void MainForm::onSliderContrast(int v) {
    OrvSetVideoProp(pair.main(), Contrast, false, v);
    ui->label_Contrast->setText(QString::number(v));
}

void MainForm::onSliderSaut(int v) {
    OrvSetVideoProp(pair.main(), Saturation, false, v);
    ui->label_Saut->setText(QString::number(v));
}

void MainForm::onSliderExpos(int v) {
    ui->label_Expos->setText(QString::number(v));
    if (!cfg.AutoExp && v != cfg.Exposure) {
        OrvSetExposure(pair.main(), false, v);
        cfg.Exposure = v;
    }
}

void MainForm::OnAutoExp() {
    // The value label is empty while exposure has been automatic since start;
    // the stored manual exposure stands in for it then, so leaving automatic
    // mode never jumps the camera to exposure 0.
    bool ok = false;
    int e = ui->label_Expos->text().toInt(&ok);
    if (!ok)
        e = cfg.Exposure;
    const bool on = ui->checkBoxAutoExp->isChecked();
    cfg.AutoExp = on;
    ui->horizontalSliderexpos->setEnabled(!on);
    ui->label_Expos->setEnabled(!on);
    OrvSetExposure(pair.main(), on, e);
}

void MainForm::onRadioDoc() {
    if (ui->radioButtonDocument->isChecked())
        ui->comboBoxColor->setCurrentIndex(2);
}

void MainForm::onRadioCred() {
    if (ui->radioButtonCredent->isChecked())
        ui->comboBoxColor->setCurrentIndex(0);
}

void MainForm::onAutoRotate() {
    cfg.AutoCrop = ui->checkBoxAutoCrop->isChecked();
    OrvEnableAutoRotate(pair.main(), cfg.AutoCrop);
}

void MainForm::onDelBack() {
    cfg.DelBack = ui->checkBoxDelBack->isChecked();
    OrvDelBackColor(pair.main(), cfg.DelBack);
}

void MainForm::InitJPGQuality() {
    ui->horizontalSliderJPG->setRange(1, 100);
    ui->horizontalSliderJPG->setValue(cfg.JPGQuality);
    ui->label_JPG->setText(QString::number(cfg.JPGQuality));
    OrvSetJpgQuality(pair.main(), cfg.JPGQuality);
}

void MainForm::onSliderJPG(int v) {
    OrvSetJpgQuality(pair.main(), v);
    cfg.JPGQuality = v;
    ui->label_JPG->setText(QString::number(v));
}

void MainForm::onDenoising() {
    // The box has no effect.
    (void)ui->checkBoxDenoising->isChecked();
}

void MainForm::onPrintFrame() {
    OrvPrint(pair.main());
}
