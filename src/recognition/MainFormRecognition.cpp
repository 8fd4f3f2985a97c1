// Recognition commands: barcodes, OCR, ID cards, fingerprints. Not built yet.

#include "app/MainForm.h"
#include <orvcore/OrvCoreLib.h>
#include "recognition/BarcodeText.h"
#include "recognition/QBarcodeResultDlg.h"

void MainForm::onReadIDCard() {}
void MainForm::onReadBarcode() {
    const QByteArray text(OrvReadBarcode(pair.main()));
    barcodeDialog->setBarcodeText(barcode::displayText(text));
    barcodeDialog->show();
    barcodeDialog->raise();
}
void MainForm::onOCRVideo() {}
void MainForm::onRecogIDCard() {}
void MainForm::onFingerRecog() {}
