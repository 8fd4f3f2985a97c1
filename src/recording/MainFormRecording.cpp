// Video recording commands. Not built yet.

#include "app/MainForm.h"

void MainForm::onRecord() {}
void MainForm::onSubRecord() {}
