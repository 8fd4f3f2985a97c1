// Capture commands: the buttons and boxes of the capture panel, each a call
// of the capture service.

#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "capture/CaptureService.h"
#include "capture/ProfileName.h"
#include "capture/QMultiCapDialog.h"
#include "platform/Messages.h"
#include "ui_MainForm.h"

#include <orvcore/OrvCoreLib.h>

#include <QThread>

capture::Composition MainForm::smallWindowPlacement() const {
    capture::Composition c;
    c.smallSize = pDiaSmallVideo->size();
    c.smallPos = pDiaSmallVideo->pos();
    c.videoOrigin = pDiaSmallVideo->placement.area().topLeft();
    return c;
}

void MainForm::reportCaptureFailure() {
    captures->reportFailure();
}

bool MainForm::CaptureImage(int cameraIndex) {
    return captures->single(cameraIndex);
}

QByteArray MainForm::BuildCapturePath() {
    return captures->freePath();
}

QByteArray MainForm::NextFileName() {
    return captures->nextName();
}

void MainForm::onScan() {
    const int main = pair.main();
    if (!ui->checkBoxWaterMark->isChecked())
        OrvClearWatermark(main);
    const bool inPicture = pair.viceMode() == camera::ViceMode::InPicture;
    if (ui->checkBoxMix->isChecked()) {
        const capture::Composition where = smallWindowPlacement();
        captures->merge(!ui->radioButtonH->isChecked(), inPicture ? &where : nullptr);
    } else if (inPicture) {
        const QByteArray out = captures->compose(smallWindowPlacement());
        if (out.isEmpty())
            captures->reportFailure();
        else
            AddThumbItem(out);
    } else if (pair.viceOn() && mainSubCompose) {
        captures->synthesis();
    } else {
        captures->single(main);
    }
}

void MainForm::onDoubleCapture() {
    captures->doubleCapture(pair.main());
}

void MainForm::onTkphto2() {
    captures->single(pair.vice());
}

void MainForm::onSplitCap() {
    OrvEnableSplitCap(pair.main(), ui->checkBoxSplitCap->isChecked());
}

void MainForm::onClickBoxMix() {
    const bool on = ui->checkBoxMix->isChecked();
    ui->radioButtonH->setEnabled(on);
    ui->radioButtonV->setEnabled(on);
}

void MainForm::onMainSubComp() {
    mainSubCompose = ui->checkBoxMainSub->isChecked();
}

// ---- continuous capture and the watermark ----

void MainForm::createCaptureDialogs() {
    multiCapDialog = new QMultiCapDialog(
        MultiCapValues{cfg.multiCapMode, cfg.captureInterval, cfg.captureLimit}, this);
    multiCapDialog->hide();
    connect(multiCapDialog, &QMultiCapDialog::captureRequested, this, [this] {
        if (!CaptureImage(pair.main()))
            multiCapDialog->captureFailed();
    });
    connect(multiCapDialog, &QMultiCapDialog::autoCaptureSwitched, this, &MainForm::SetAutoCapture);
    waterDialog = new ProfileName(WatermarkSettings::from(cfg), this);
    waterDialog->hide();
    connect(waterDialog, &ProfileName::applyRequested, this, &MainForm::ApplyWatermark);
}

void MainForm::storeCaptureDialogs() {
    if (multiCapDialog) {
        if (multiCapDialog->acceptsAutoCapture())
            SetAutoCapture(false);
        const MultiCapValues v = multiCapDialog->values();
        cfg.multiCapMode = v.mode;
        cfg.captureInterval = v.interval;
        cfg.captureLimit = v.limit;
    }
    if (waterDialog)
        waterDialog->settings().storeInto(cfg);
}

void MainForm::stopContinuousCapture() {
    if (multiCapDialog)
        multiCapDialog->stopRun();
}

void MainForm::onAutoScan() {
    multiCapDialog->show();
    multiCapDialog->raise();
}

// Page-turn detection follows the main camera (a swap or another camera
// chosen in the device list carries a smart run over to it).
void MainForm::SetAutoCapture(bool on) {
    pair.setAutoCapCallback(&MainForm::OnAutoCapture);
    pair.setAutoCapture(on);
}

// The library reports a page turn, possibly on a thread of its own: the
// picture is taken on the GUI thread, and only while a smart run still
// waits for it (a report that crossed the stop, or came while a picture was
// being taken, is dropped).
void MainForm::OnAutoCapture(int) {
    MainForm* form = theMainForm;
    if (!form)
        return;
    auto work = [] {
        MainForm* f = theMainForm;
        if (f && f->multiCapDialog)
            f->multiCapDialog->pageTurned();
    };
    if (QThread::currentThread() == form->thread())
        work();
    else
        QMetaObject::invokeMethod(form, work, Qt::QueuedConnection);
}

void MainForm::onWaterMark() {
    if (ui->checkBoxWaterMark->isChecked())
        ApplyWatermark();
    else
        pair.setWatermark({});
}

void MainForm::onWaterMarkSet() {
    waterDialog->applyLanguage(cfg.Language);
    waterDialog->show();
    waterDialog->raise();
}

// The library holds a watermark only while the check box is checked: with
// it unchecked, the dialog's OK keeps the settings and stamps nothing. The
// record is made from the dialog for whichever camera is main, now and
// after every change of the main camera.
void MainForm::ApplyWatermark() {
    if (!waterDialog || !ui->checkBoxWaterMark->isChecked())
        return;
    pair.setWatermark([dialog = waterDialog](int width, int height) {
        return camera::WatermarkStamp{dialog->record(width, height),
                                      watermarkMode(dialog->withTime())};
    });
}
