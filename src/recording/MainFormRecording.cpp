// Video recording commands: the record buttons of the main and the vice
// camera, handed to the recording session.

#include "app/MainForm.h"

#include "camera/QPreviewWidget.h"
#include "recording/RecordingIndicator.h"
#include "recording/RecordingSession.h"
#include "ui_MainForm.h"

void MainForm::initRecording() {
    recording = new RecordingSession(this);
    new RecordingIndicator(recording, RecordingSession::Main, preview);
    new RecordingIndicator(recording, RecordingSession::Vice, ui->widgetFu);
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
