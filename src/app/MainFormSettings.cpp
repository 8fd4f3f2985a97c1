// The settings dialog: built on demand, modal, destroyed when it closes.

#include "app/MainForm.h"
#include "dialogs/QSettingDlg.h"
#include "recognition/OcrService.h"

#include <orvcore/OrvCoreLib.h>

void MainForm::onSetting() {
    SettingDlgValues values{cfg.audioIndex, cfg.ResizeImage, cfg.ResizeImageRatio, ocrExtension,
                            cfg.searchablePdf};
    QSettingDlg dialog(&values, [this](bool enabled, float ratio) {
        // applyResize: the main window keeps both and tells the library.
        cfg.ResizeImage = enabled;
        cfg.ResizeImageRatio = ratio;
        OrvSetResize(pair.main(), enabled, ratio);
    });
    dialog.applyLanguage(cfg.Language);
    dialog.exec();
    cfg.audioIndex = values.audioIndex;
    cfg.searchablePdf = values.searchablePdf;
    ocrExtension = values.ocrExtension;
    ocrService->setExportExtension(ocrExtension);
}
