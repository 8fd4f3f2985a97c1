// Recognition commands: barcodes, OCR, ID cards, fingerprints.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "platform/Messages.h"
#include "recognition/BarcodeReadTask.h"
#include "recognition/BarcodeText.h"
#include "recognition/IdCardService.h"
#include "recognition/OcrService.h"
#include "recognition/QBarcodeResultDlg.h"
#include "recognition/QFingerShowDlg.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QFileInfo>

void MainForm::onReadIDCard() {
    // Off the GUI thread; a press while a card is read or recognised is ignored.
    idCards->startRead(cfg.workPath, captures->imageFolder());
}
void MainForm::onReadBarcode() {
    // Off the GUI thread; a press while a read runs is ignored.
    barcodeReader->start(pair.main(), [this](const QByteArray& text) {
        barcodeDialog->setBarcodeText(barcode::displayText(text));
        barcodeDialog->show();
        barcodeDialog->raise();
    });
}
void MainForm::onOCRVideo() {
    ocrService->start(pair.main(), ui->pushButtonOCR);
}
void MainForm::onRecogIDCard() {
    // The recogniser reads a picture: a JPEG, whatever the format list says
    // (a PDF or TIFF capture would reach it as a file it cannot read).
    if (idCards->isBusy())
        return;
    const QByteArray path = captures->freePath({}, ".jpg");
    if (path.isEmpty())
        return;
    if (OrvCapture(pair.main(), path.constData()) <= 0 ||
        !QFileInfo::exists(QString::fromLocal8Bit(path))) {
        captures->reportFailure();
        return;
    }
    AddThumbItem(path);
    idCards->startRecognise(path, [](const QString& text) {
        platform::showMessage(text, QStringLiteral("身份证识别结果"));
    });
}
void MainForm::onFingerRecog() {
    if (!fingerDialog)
        fingerDialog = new QFingerShowDlg(
            [this] {
                return FingerprintService::Folders{appDir, cfg.workPath};
            },
            this);
    fingerDialog->show();
}
