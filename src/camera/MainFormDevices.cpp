// Devices, resolutions and DPI of the main and vice cameras.

#include "app/MainForm.h"
#include <orvcore/OrvCoreLib.h>
#include "camera/QSmallWidget.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

namespace {
const char* const dpiTexts[] = {"100", "200", "255", "300", "400", "500", "600"};

QString resolutionText(int camera, int r) {
    return QStringLiteral("%1x%2").arg(OrvGetResWidth(camera, r)).arg(OrvGetResHeight(camera, r));
}
} // namespace

void MainForm::fillDeviceLists() {
    const int n = OrvGetCameraCount();
    if (n < 1) {
        ui->checkBoxPIP->setEnabled(false);
        return;
    }
    if (cfg.mainCameraIndex >= n)
        cfg.mainCameraIndex = n - 1;
    for (int i = 0; i < n; ++i)
        ui->comboBoxDev->addItem(platform::fromLocal(OrvGetDevName(i)));
    ui->comboBoxDev->setCurrentIndex(cfg.mainCameraIndex);
    if (n == 1) {
        ui->checkBoxPIP->setEnabled(false);
        return;
    }
    for (int i = 0; i < n; ++i)
        if (i != cfg.mainCameraIndex)
            ui->comboBoxDev_2->addItem(platform::fromLocal(OrvGetDevName(i)));
    if (cfg.OpenSub) {
        ui->checkBoxPIP->setChecked(true);
        OnStartSubPreview();
    }
}

int MainForm::currentDPI() const {
    return ui->comboBoxDPI->currentIndex() < 0 ? 0 : ui->comboBoxDPI->currentText().toInt();
}

void MainForm::InitDPI() {
    ui->comboBoxDPI->clear();
    for (const char* text : dpiTexts)
        ui->comboBoxDPI->addItem(QString::fromLatin1(text));
    ui->comboBoxDPI->setCurrentIndex(cfg.DPIIndex);
}

void MainForm::onDPIChange() {
    const int d = ui->comboBoxDPI->currentIndex();
    if (d < 0 || d == cfg.DPIIndex)
        return;
    cfg.DPIIndex = d;
    OrvSetDPI(cfg.mainCameraIndex, currentDPI());
}

void MainForm::InitResolution() {
    const int main = cfg.mainCameraIndex;
    ui->comboBoxRes->clear();
    const int count = OrvGetResCount(main);
    for (int r = 0; r < count; ++r)
        ui->comboBoxRes->addItem(resolutionText(main, r));
    ui->comboBoxRes->setCurrentIndex(cfg.resolutionIndex);
}

void MainForm::InitResolution2() {
    ui->comboBoxRes2->clear();
    const int count = OrvGetResCount(viceCameraIndex);
    for (int r = 0; r < count; ++r)
        ui->comboBoxRes2->addItem(resolutionText(viceCameraIndex, r));
    ui->comboBoxRes2->setCurrentIndex(viceResolutionIndex);
}

void MainForm::onResolutionChange() {
    const int r = ui->comboBoxRes->currentIndex();
    if (r < 0 || r == cfg.resolutionIndex)
        return;
    const int main = cfg.mainCameraIndex;
    OrvSetResolution(main, r);
    cfg.resolutionIndex = r;
    videoWidth = OrvGetResWidth(main, r);
    videoHeight = OrvGetResHeight(main, r);
    // A fit still waiting for the previous resolution is replaced.
    if (fitTimer != 0)
        killTimer(fitTimer);
    fitTimer = startTimer(1000);
    fitTries = 0;
}

void MainForm::onResolutionChange2() {
    const int r = ui->comboBoxRes2->currentIndex();
    if (r < 0 || r == viceResolutionIndex)
        return;
    OrvSetResolution(viceCameraIndex, r);
    viceResolutionIndex = r;
}

void MainForm::OnStartSubPreview() {
    const bool on = ui->checkBoxPIP->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(ui->checkBoxInVideo), static_cast<QWidget*>(ui->pushButtonTakePh2),
          static_cast<QWidget*>(ui->pushButtonSubRec),
          static_cast<QWidget*>(ui->pushButtonSwitchMainSub)}) {
        w->setEnabled(on);
        w->setVisible(on);
    }
    if (on) {
        const int selected = ui->comboBoxDev_2->currentIndex();
        const int n = OrvGetCameraCount();
        int position = 0;
        for (int c = 0; c < n && selected >= 0; ++c) {
            if (c == cfg.mainCameraIndex)
                continue;
            if (position++ != selected)
                continue;
            OrvOpenCamera(c, viceAreaHandle);
            viceCameraIndex = c;
            OrvSetShowZoomRate(c, false);
            InitResolution2();
            break;
        }
    } else {
        OrvCloseCamera(viceCameraIndex);
        ui->widgetFu->update();
        pDiaSmallVideo->hide();
    }
    cfg.OpenSub = on;
}

int MainForm::viceCameraAt(int position) const {
    return position < cfg.mainCameraIndex ? position : position + 1;
}

void MainForm::onSubDevChange() {
    if (!ui->checkBoxPIP->isChecked())
        return;
    const int p = ui->comboBoxDev_2->currentIndex();
    if (p < 0)
        return;
    const int c = viceCameraAt(p);
    if (c == viceCameraIndex)
        return;
    OrvCloseCamera(viceCameraIndex);
    viceCameraIndex = c;
    OrvOpenCamera(c, ui->checkBoxInVideo->isChecked() ? smallWindowHandle : viceAreaHandle);
    InitResolution2();
}

void MainForm::onDevChange() {
    const int i = ui->comboBoxDev->currentIndex();
    const int oldMain = cfg.mainCameraIndex;
    if (i >= 0 && i != oldMain) {
        if (ui->checkBoxPIP->isChecked()) {
            if (i == viceCameraIndex) {
                // The two swap windows; neither is reopened.
                OrvSetHwnd(i, previewHandle);
                viceCameraIndex = oldMain;
                OrvSetHwnd(oldMain,
                           ui->checkBoxInVideo->isChecked() ? smallWindowHandle : viceAreaHandle);
                cfg.mainCameraIndex = i;
            } else {
                OrvCloseCamera(oldMain);
                cfg.mainCameraIndex = i;
                OrvOpenCamera(i, previewHandle);
            }
            InitResolution();
            InitResolution2();
        } else {
            OrvCloseCamera(oldMain);
            cfg.mainCameraIndex = i;
            OrvOpenCamera(i, previewHandle);
            OrvSetShowZoomRate(i, cfg.ShowRatio);
            OrvSetDPI(i, currentDPI());
            ui->comboBoxRes->setCurrentIndex(0);
            ui->comboBoxColor->setCurrentIndex(0);
            InitResolution();
            registerZoomCallback(i);
        }
    }

    // Rebuild the vice list: every camera but the main one.
    ui->comboBoxDev_2->clear();
    const int n = OrvGetCameraCount();
    const bool viceOn = ui->checkBoxPIP->isChecked();
    for (int c = 0; c < n; ++c) {
        if (c == cfg.mainCameraIndex)
            continue;
        // With the vice preview on, adding the first entry selects it and
        // the selection handler makes it the vice camera.
        ui->comboBoxDev_2->addItem(platform::fromLocal(OrvGetDevName(c)));
        if (!viceOn)
            viceCameraIndex = c;
    }
}
