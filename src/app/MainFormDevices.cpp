// Devices, resolutions and DPI of the main and vice cameras: the controls'
// side of the camera pair.

#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "ui_MainForm.h"

#include <orvcore/OrvCoreLib.h>

#include <QSignalBlocker>

namespace {
// Camera names are often longer than the list is wide: the whole name is
// the item's tool tip as well.
void fillNames(QComboBox* box, const QStringList& names) {
    box->clear();
    for (const QString& name : names) {
        box->addItem(name);
        box->setItemData(box->count() - 1, name, Qt::ToolTipRole);
    }
}

void fillResolutions(QComboBox* box, int camera, int selected) {
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(camera::DevicePanel::resolutions(camera));
    box->setCurrentIndex(selected);
}
} // namespace

void MainForm::fillDeviceLists() {
    showCameraState();
    if (camera::DevicePanel::viceAvailable() && cfg.OpenSub) {
        ui->checkBoxPIP->setChecked(true);
        OnStartSubPreview();
    }
}

void MainForm::showCameraState() {
    ui->checkBoxPIP->setEnabled(camera::DevicePanel::viceAvailable());
    {
        const QSignalBlocker quiet(ui->comboBoxDev);
        fillNames(ui->comboBoxDev, devices.deviceNames());
        ui->comboBoxDev->setCurrentIndex(devices.mainEntry());
        ui->comboBoxDev->setToolTip(ui->comboBoxDev->currentText());
    }
    {
        const QSignalBlocker quiet(ui->comboBoxDev_2);
        fillNames(ui->comboBoxDev_2, devices.viceNames());
        if (pair.viceOn())
            ui->comboBoxDev_2->setCurrentIndex(pair.positionOfVice());
        ui->comboBoxDev_2->setToolTip(ui->comboBoxDev_2->currentText());
    }
    fillResolutions(ui->comboBoxRes, pair.main(), cfg.resolutionIndex);
    if (pair.viceOn())
        fillResolutions(ui->comboBoxRes2, pair.vice(), pair.viceResolution());
    showViceControls();
}

void MainForm::showViceControls() {
    const bool on = pair.viceOn();
    for (QWidget* w :
         {static_cast<QWidget*>(ui->checkBoxInVideo), static_cast<QWidget*>(ui->pushButtonTakePh2),
          static_cast<QWidget*>(ui->pushButtonSubRec),
          static_cast<QWidget*>(ui->pushButtonSwitchMainSub)}) {
        w->setEnabled(on);
        w->setVisible(on);
    }
    const QSignalBlocker quietPip(ui->checkBoxPIP);
    ui->checkBoxPIP->setChecked(on);
    const QSignalBlocker quietInVideo(ui->checkBoxInVideo);
    ui->checkBoxInVideo->setChecked(pair.viceMode() == camera::ViceMode::InPicture);
    if (pair.viceMode() != camera::ViceMode::InPicture)
        pDiaSmallVideo->hide();
}

void MainForm::InitDPI() {
    ui->comboBoxDPI->clear();
    ui->comboBoxDPI->addItems(camera::DevicePanel::dpiTexts());
    ui->comboBoxDPI->setCurrentIndex(cfg.DPIIndex);
}

void MainForm::onDPIChange() {
    devices.chooseDpi(ui->comboBoxDPI->currentIndex());
}

void MainForm::InitResolution() {
    fillResolutions(ui->comboBoxRes, pair.main(), cfg.resolutionIndex);
}

void MainForm::InitResolution2() {
    fillResolutions(ui->comboBoxRes2, pair.vice(), pair.viceResolution());
}

void MainForm::onResolutionChange() {
    if (devices.chooseResolution(ui->comboBoxRes->currentIndex()))
        startFit();
}

void MainForm::onResolutionChange2() {
    pair.setViceResolution(ui->comboBoxRes2->currentIndex());
}

void MainForm::OnStartSubPreview() {
    if (!ui->checkBoxPIP->isChecked() && recordingRefuses(pair.closedByViceOff())) {
        showCameraState();
        return;
    }
    if (ui->checkBoxPIP->isChecked()) {
        pair.setViceMode(camera::ViceMode::OwnArea, pair.viceAt(ui->comboBoxDev_2->currentIndex()));
    } else {
        if (pair.viceMode() == camera::ViceMode::InPicture)
            pDiaSmallVideo->hide();
        pair.setViceMode(camera::ViceMode::Off);
        ui->widgetFu->update();
    }
    showCameraState();
}

void MainForm::onSubDevChange() {
    const int camera = pair.viceAt(ui->comboBoxDev_2->currentIndex());
    if (recordingRefuses(pair.closedBySelectVice(camera))) {
        showCameraState();
        return;
    }
    if (pair.selectVice(camera))
        InitResolution2();
}

void MainForm::onDevChange() {
    const bool viceWasOn = pair.viceOn();
    const int camera = ui->comboBoxDev->currentIndex();
    if (recordingRefuses(pair.closedBySelectMain(camera))) {
        showCameraState();
        return;
    }
    if (!pair.selectMain(camera))
        return;
    if (!viceWasOn)
        ui->comboBoxColor->setCurrentIndex(0);
    showCameraState();
    refreshMainControls();
}
