#pragma once

#include "platform/BackgroundWork.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAbstractButton;
class QOCRResultDlg;
class QWidget;

// OCR of the page under a camera: the camera's picture goes to "13.jpg" in
// this run's private temporary folder, the engine reads it on a worker thread, and the text
// fills the result window. While a run goes on its trigger is disabled and
// shows a short status, the cursor is busy and the rest of the window (the
// live picture included) stays usable; a second start does nothing.
class OcrService : public QObject {
    Q_OBJECT
public:
    // window: parent of the result window; language: 0 Chinese, 1 English,
    // asked whenever text is shown.
    OcrService(QWidget* window, std::function<int()> language);
    ~OcrService() override;

    QOCRResultDlg* dialog() const { return resultDialog; }
    // The kept export extension of the result window.
    void setExportExtension(const QByteArray& extension);

    // The picture file of a run.
    static QByteArray imagePath();

    // Captures the camera's picture and starts reading it. False when a run
    // is already going on or the capture failed (the window then shows no
    // text and the user is told).
    bool start(int cameraIndex, QAbstractButton* trigger);
    bool isRunning() const { return work.isBusy(); }

signals:
    // A run has ended and its text is in the window.
    void finished();

private:
    struct Run;
    int currentLanguage() const;
    void done(const Run& run);
    void setBusy(QAbstractButton* trigger, bool busy);
    void showText(const QString& text);

    QOCRResultDlg* resultDialog;
    std::function<int()> language;
    // What a run found: the text, or that the engine has no models.
    struct Run {
        QByteArray text;
        bool noModels = false;
    };
    static Run recognise(const QByteArray& path);
    platform::BackgroundWork work;
    QPointer<QAbstractButton> busyTrigger;
    QString idleText;
    QString statusText;
};
