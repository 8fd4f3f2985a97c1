// Recognition commands: barcodes, OCR, ID cards, fingerprints. ID cards not
// built yet.

#include "app/MainForm.h"
#include "recognition/BarcodeReadTask.h"
#include "recognition/BarcodeText.h"
#include "recognition/OcrService.h"
#include "recognition/QBarcodeResultDlg.h"
#include "recognition/QFingerShowDlg.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

void MainForm::onReadIDCard() {}
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
void MainForm::onRecogIDCard() {}
void MainForm::onFingerRecog() {
    if (!fingerDialog)
        fingerDialog = new QFingerShowDlg(
            [this] {
                return FingerprintService::Folders{appDir, cfg.workPath};
            },
            this);
    fingerDialog->show();
}
