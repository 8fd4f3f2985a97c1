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
