// Capture commands. Not wired to the engine's capture path yet.

#include "app/MainForm.h"

void MainForm::onDoubleCapture() {}
void MainForm::onCommit() {}
void MainForm::onScan() {}
void MainForm::onTkphto2() {}
void MainForm::onClickBoxMix() {}
void MainForm::onMainSubComp() {}
void MainForm::onSplitCap() {}
void MainForm::onAutoScan() {}
void MainForm::onWaterMark() {}
void MainForm::onWaterMarkSet() {}
void MainForm::ApplyWatermark() {}
