// Capture commands: the buttons and boxes of the capture panel, each a call
// of the capture service.

#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "capture/CaptureService.h"
#include "platform/Messages.h"
#include "ui_MainForm.h"

#include <orvcore/OrvCoreLib.h>

capture::Composition MainForm::smallWindowPlacement() const {
    capture::Composition c;
    c.smallSize = pDiaSmallVideo->size();
    c.smallPos = pDiaSmallVideo->pos();
    c.videoOrigin = pDiaSmallVideo->allowedArea.topLeft();
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

// Continuous capture and the watermark are not built yet.
void MainForm::onAutoScan() {}
void MainForm::onWaterMark() {}
void MainForm::onWaterMarkSet() {}
void MainForm::ApplyWatermark() {}
