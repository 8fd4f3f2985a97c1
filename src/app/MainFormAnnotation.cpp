// Whiteboard and snapshot mode: the main window's side.

#include "annotation/AnnotatedPicture.h"
#include "annotation/AnnotationSettings.h"
#include "annotation/QSnapWidget.h"
#include "annotation/QVisualizer.h"
#include "app/MainForm.h"
#include "camera/QSmallWidget.h"
#include "capture/CaptureService.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"
#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QScreen>
#include <QTemporaryDir>

void MainForm::initAnnotation() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    annotation::useSettings(&cfg);

    snapWindow = new QSnapWidget(nullptr);
    snapWindow->setGeometry(0, 0, 320, 240);
    if (screen) {
        const QRect available = screen->availableGeometry();
        snapWindow->move(QSnapWidget::placeIn(available).topLeft() + available.topLeft());
    }
    snapWindow->hide();
    auto backToPreview = [this] {
        restorePreview();
        show();
    };
    connect(snapWindow, &QSnapWidget::leaveRequested, this, backToPreview);
    connect(snapWindow, &QSnapWidget::captureRequested, this,
            [this](const QByteArray& path) { snapCapture(path); });
    connect(snapWindow, &QSnapWidget::captureFailed, this, &MainForm::reportCaptureFailure);

    visualizerWindow = new QVisualizer(nullptr);
    visualizerWindow->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    if (screen)
        visualizerWindow->setGeometry(screen->virtualGeometry());
    visualizerWindow->hide();
    connect(visualizerWindow, &QVisualizer::leaveRequested, this, backToPreview);
    connect(visualizerWindow, &QVisualizer::quitRequested, this, &MainForm::close);
    connect(visualizerWindow, &QVisualizer::saveRequested, this,
            [this] { saveAnnotatedCapture(); });
}

void MainForm::deleteAnnotation() {
    annotation::useSettings(nullptr);
    delete visualizerWindow;
    visualizerWindow = nullptr;
    delete snapWindow;
    snapWindow = nullptr;
}

void MainForm::enterVisualizer(const QString&) {
    if (!visualizerWindow)
        return;
    hide();
    pair.showMainIn(visualizerWindow->winId());
    visualizerWindow->show();
    visualizerWindow->activateWindow(); // keys: the text box, undo and save
}

void MainForm::switch2SnapMode(const QString&) {
    if (!snapWindow)
        return;
    hide();
    if (pair.viceMode() == camera::ViceMode::InPicture)
        pDiaSmallVideo->hide();
    pair.showMainIn(snapWindow->winId());
    snapWindow->show();
}

void MainForm::restorePreview() {
    if (pair.viceMode() == camera::ViceMode::InPicture)
        pDiaSmallVideo->show();
    pair.showMainIn(0);
}

int MainForm::snapCapture(const QByteArray& path) {
    return OrvCapture(pair.main(), path.constData());
}

bool MainForm::saveAnnotatedCapture() {
    if (!visualizerWindow)
        return false;
    const int main = pair.main();

    // The frame goes to a folder of our own (created private by mkdtemp),
    // so nothing planted in the shared temporary folder is followed.
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/orvanta-board-XXXXXX"));
    const QByteArray frame = platform::toLocal(work.filePath(QStringLiteral("frame.jpg")));
    QRect video;
    int left = 0, top = 0, right = 0, bottom = 0;
    if (OrvGetVideoRectEx(main, &left, &top, &right, &bottom) == 0)
        video = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    QImage picture;
    if (work.isValid() && !video.isEmpty() && OrvCapture(main, frame.constData()) > 0)
        picture.load(platform::fromLocal(frame));
    if (picture.isNull()) {
        reportCaptureFailure();
        return false;
    }
    const QImage annotated = annotation::annotate(picture, *visualizerWindow->board, video);

    // A capture of the working folder, written as JPEG.
    return captures->saveJpeg(annotated, cfg.JPGQuality);
}
