// Video recording commands: the record buttons of the main and the vice
// camera, handed to the recording session.

#include "app/MainForm.h"

#include "camera/QPreviewWidget.h"
#include "recording/RecordingIndicator.h"
#include "recording/RecordingSession.h"
#include "ui_MainForm.h"

#include <orvcore/OrvCoreLib.h>

void MainForm::initRecording() {
    recording = new RecordingSession(this);
    // The library reports recordings it ended itself on the GUI thread.
    OrvSetRecordEndCB([](int camera, int reason, bool saved) {
        if (MainForm* form = theMainForm)
            form->recording->ended(camera, reason, saved, form->cfg.Language);
    });
    new RecordingIndicator(recording, RecordingSession::Main, preview);
    new RecordingIndicator(recording, RecordingSession::Vice, ui->widgetFu);
    // The stored microphone records from the start, not only once the
    // settings dialog has been used; one the library does not list is left.
    const int microphones = OrvGetAudioCount();
    if (cfg.audioIndex >= 0 && cfg.audioIndex < microphones)
        OrvSetAudioDev(cfg.audioIndex);
}

void MainForm::onRecord() {
    recording->press(
        RecordingSession::Main, pair.main(), cfg.Language, ui->pushButtonRec->text(),
        [this](const QString& caption) { ui->pushButtonRec->setText(caption); }, cfg.workPath);
}

void MainForm::onSubRecord() {
    recording->press(
        RecordingSession::Vice, pair.vice(), cfg.Language, ui->pushButtonSubRec->text(),
        [this](const QString& caption) { ui->pushButtonSubRec->setText(caption); }, cfg.workPath);
}

bool MainForm::recordingRefuses(const QList<int>& closing) {
    for (int camera : closing) {
        if (!recording->records(camera))
            continue;
        language.tell(
            QStringLiteral("正在录像, 请先停止录像再切换摄像头!"),
            QStringLiteral("A recording is running: stop it before changing the camera!"));
        return true;
    }
    return false;
}
