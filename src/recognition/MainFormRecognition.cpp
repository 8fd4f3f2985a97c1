// Recognition commands: barcodes, OCR, ID cards, fingerprints. Not built yet.

#include "app/MainForm.h"

void MainForm::onReadIDCard() {}
void MainForm::onReadBarcode() {}
void MainForm::onOCRVideo() {}
void MainForm::onRecogIDCard() {}
void MainForm::onFingerRecog() {}
