// Devices, resolutions and DPI of the main and vice cameras: the controls'
// side of the camera pair.

#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

#include <orvcore/OrvCoreLib.h>

#include <QSignalBlocker>

namespace {
QString resolutionText(int camera, int r) {
    return QStringLiteral("%1x%2").arg(OrvGetResWidth(camera, r)).arg(OrvGetResHeight(camera, r));
}

// Camera names are often longer than the list is wide: the whole name is
// the item's tool tip as well.
void addDeviceName(QComboBox* box, int camera) {
    const QString name = platform::fromLocal(OrvGetDevName(camera));
    box->addItem(name);
    box->setItemData(box->count() - 1, name, Qt::ToolTipRole);
}

void fillResolutions(QComboBox* box, int camera, int selected) {
    const QSignalBlocker quiet(box);
    box->clear();
    const int count = OrvGetResCount(camera);
    for (int r = 0; r < count; ++r)
        box->addItem(resolutionText(camera, r));
    box->setCurrentIndex(selected);
}
} // namespace

void MainForm::fillDeviceLists() {
    const int n = OrvGetCameraCount();
    showCameraState();
    if (n > 1 && cfg.OpenSub) {
        ui->checkBoxPIP->setChecked(true);
        OnStartSubPreview();
    }
}

void MainForm::showCameraState() {
    const int n = OrvGetCameraCount();
    ui->checkBoxPIP->setEnabled(n > 1);
    {
        const QSignalBlocker quiet(ui->comboBoxDev);
        ui->comboBoxDev->clear();
        for (int i = 0; i < n; ++i)
            addDeviceName(ui->comboBoxDev, i);
        ui->comboBoxDev->setCurrentIndex(n > 0 ? pair.main() : -1);
        ui->comboBoxDev->setToolTip(ui->comboBoxDev->currentText());
    }
    {
        const QSignalBlocker quiet(ui->comboBoxDev_2);
        ui->comboBoxDev_2->clear();
        for (int c : pair.others())
            addDeviceName(ui->comboBoxDev_2, c);
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

int MainForm::currentDPI() const {
    return camera::dpiAt(ui->comboBoxDPI->currentIndex());
}

void MainForm::InitDPI() {
    ui->comboBoxDPI->clear();
    for (int dpi : camera::dpiValues())
        ui->comboBoxDPI->addItem(QString::number(dpi));
    ui->comboBoxDPI->setCurrentIndex(cfg.DPIIndex);
}

void MainForm::onDPIChange() {
    const int d = ui->comboBoxDPI->currentIndex();
    if (d < 0 || d == cfg.DPIIndex)
        return;
    cfg.DPIIndex = d;
    OrvSetDPI(pair.main(), currentDPI());
}

void MainForm::InitResolution() {
    fillResolutions(ui->comboBoxRes, pair.main(), cfg.resolutionIndex);
}

void MainForm::InitResolution2() {
    fillResolutions(ui->comboBoxRes2, pair.vice(), pair.viceResolution());
}

void MainForm::onResolutionChange() {
    const int r = ui->comboBoxRes->currentIndex();
    if (r < 0 || r == cfg.resolutionIndex)
        return;
    const int main = pair.main();
    OrvSetResolution(main, r);
    cfg.resolutionIndex = r;
    // A fit still waiting for the previous resolution is replaced.
    if (fitTimer != 0)
        killTimer(fitTimer);
    fitTimer = startTimer(1000);
    fitTries = 0;
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
