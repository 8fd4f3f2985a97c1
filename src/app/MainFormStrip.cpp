// The thumbnail strip and the hand-off of the captured pictures to a waiting
// scanning driver.

#include "app/MainForm.h"
#include "capture/DriverHandoff.h"
#include "capture/SearchablePdfQueue.h"
#include "capture/ThumbnailStrip.h"
#include "platform/DriverWindow.h"
#include "platform/Paths.h"

#include <QCloseEvent>

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
    return handoff->commit();
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
    handoff->windowClosing(
        platform::DriverWindow::find(platform::DriverWindow::scannerDriverTitle()));
    event->accept();
}
