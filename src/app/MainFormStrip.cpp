// The thumbnail strip and the hand-off of the captured pictures to a waiting
// scanning driver.

#include "app/MainForm.h"
#include "capture/CaptureService.h"
#include "capture/SearchablePdfQueue.h"
#include "capture/ThumbnailStrip.h"
#include "platform/DriverWindow.h"
#include "platform/Messages.h"
#include "platform/Paths.h"

#include <QCloseEvent>
#include <QFile>

void MainForm::LoadThumbLibrary() {
    const QString path =
        platform::fromLocal(appDir) + QLatin1String(ThumbnailStrip::libraryFileName());
    strip->load(path, thumbnailHost->winId());
}

void MainForm::AddThumbItem(const QByteArray& path) {
    strip->add(path);
}

void MainForm::AddThumbItemEx(const QByteArray& path, const QByteArray& picture,
                              const QByteArray& name) {
    strip->addEx(path, picture, name);
}

bool MainForm::onCommit() {
    const QString file =
        platform::fromLocal(platform::tempFolder()) + QStringLiteral("OrvCommit.txt");
    switch (strip->commit(file)) {
    case ThumbnailStrip::CommitResult::NotLoaded:
    case ThumbnailStrip::CommitResult::Unsupported:
        return true;
    case ThumbnailStrip::CommitResult::Empty:
        // A list left from an earlier run would hand the driver pictures
        // this session never took.
        QFile::remove(file);
        return false;
    case ThumbnailStrip::CommitResult::WriteFailed:
        platform::showMessage(
            cfg.Language == 1 ? QStringLiteral("Could not hand the pictures to the scanner "
                                               "driver: the temporary folder is not writable.")
                              : QStringLiteral("无法将图像提交给扫描驱动: 临时目录不可写!"),
            cfg.Language == 1 ? QStringLiteral("Information") : QStringLiteral("提示"));
        return false;
    case ThumbnailStrip::CommitResult::Written:
        cfg.fileNameCounter = 0;
        captures->endDocument();
        return true;
    }
    return true;
}

void MainForm::closeEvent(QCloseEvent* event) {
    // Runs on a real close and each time the event posted on hiding arrives;
    // it never closes or hides the window itself.
    // A real close (not the event posted on hiding or minimising) ends a
    // continuous-capture run: no picture is taken behind a closed window.
    if (isVisible() && !isMinimized())
        stopContinuousCapture();
    // Searchable PDF pages still being read are finished first, in sight.
    textQueue->finish(this, cfg.Language);
    const platform::DriverWindow driver =
        platform::DriverWindow::find(platform::DriverWindow::scannerDriverTitle());
    if (driver.exists()) {
        onCommit();
        driver.requestClose();
    }
    event->accept();
}
