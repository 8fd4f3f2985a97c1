// Whiteboard and snapshot mode. Not built yet.

#include "app/MainForm.h"

void MainForm::enterVisualizer(const QString&) {}
void MainForm::switch2SnapMode(const QString&) {}
