// Picture adjustments of the main camera: the sliders and boxes over the
// picture controls.

#include "app/MainForm.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QSignalBlocker>

namespace {
using camera::PictureControls;

void showRange(QSlider* slider, QLabel* label, const PictureControls::Range& r) {
    slider->setRange(r.lower, r.upper);
    slider->setValue(r.value);
    label->setText(QString::number(r.value));
}

// The exposure slider shows the stored manual value in the camera's range;
// in automatic mode the slider and its value are disabled (never re-enabled
// here: only the automatic-exposure box does that).
void showExposure(Ui::MainForm* ui, const Settings& cfg, const PictureControls::Range& e) {
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

void MainForm::showPictureProperties() {
    QSlider* sliders[] = {ui->horizontalSliderBright, ui->horizontalSliderContrast,
                          ui->horizontalSliderSaut};
    QLabel* labels[] = {ui->label_Bright, ui->label_Contrast, ui->label_Saut};
    for (int i = 0; i < 3; ++i)
        showRange(sliders[i], labels[i], picture.property(PictureControls::kSliderProperties[i]));
}

void MainForm::initPictureControls() {
    showRange(ui->horizontalSliderBright, ui->label_Bright,
              picture.property(PictureControls::kSliderProperties[0]));
    // The camera pair gave the camera the stored exposure when it opened.
    showExposure(ui, cfg, picture.exposure());
}

void MainForm::refreshMainControls() {
    showPictureProperties();
    showExposure(ui, cfg, picture.exposure());
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
    picture.applyStoredRotation();
}

void MainForm::onSetImage() {
    picture.showDevicePanel();
    showPictureProperties();
    showExposure(ui, cfg, picture.followCameraExposure());
}

void MainForm::onSetImage2() {
    OrvShowVideoProperty(pair.vice());
}

void MainForm::onSliderBright(int v) {
    picture.setProperty(ORV_PROP_SHARPNESS, v);
    ui->label_Bright->setText(QString::number(v));
}

void MainForm::onSliderContrast(int v) {
    picture.setProperty(ORV_PROP_CONTRAST, v);
    ui->label_Contrast->setText(QString::number(v));
}

void MainForm::onSliderSaut(int v) {
    picture.setProperty(ORV_PROP_SATURATION, v);
    ui->label_Saut->setText(QString::number(v));
}

void MainForm::onSliderExpos(int v) {
    ui->label_Expos->setText(QString::number(v));
    picture.moveExposure(v);
}

void MainForm::OnAutoExp() {
    // The value label is empty while exposure has been automatic since start.
    const bool on = ui->checkBoxAutoExp->isChecked();
    picture.setAutoExposure(on, ui->label_Expos->text());
    ui->horizontalSliderexpos->setEnabled(!on);
    ui->label_Expos->setEnabled(!on);
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
    picture.setAutoCrop(ui->checkBoxAutoCrop->isChecked());
}

void MainForm::onDelBack() {
    picture.setBackgroundRemoval(ui->checkBoxDelBack->isChecked());
}

void MainForm::InitJPGQuality() {
    ui->horizontalSliderJPG->setRange(1, 100);
    ui->horizontalSliderJPG->setValue(cfg.JPGQuality);
    ui->label_JPG->setText(QString::number(cfg.JPGQuality));
    picture.setJpegQuality(cfg.JPGQuality);
}

void MainForm::onSliderJPG(int v) {
    picture.setJpegQuality(v);
    ui->label_JPG->setText(QString::number(v));
}

void MainForm::onDenoising() {
    // The box has no effect.
    (void)ui->checkBoxDenoising->isChecked();
}

void MainForm::onPrintFrame() {
    OrvPrint(pair.main());
}
