// The settings dialog. Not built yet.

#include "app/MainForm.h"

void MainForm::onSetting() {}
