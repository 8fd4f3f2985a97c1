#include "app/MainForm.h"

#include <orvcore/OrvCoreLib.h>
#include "camera/QPreviewWidget.h"
#include "camera/QSmallWidget.h"
#include "camera/SmallWindowGeometry.h"
#include "capture/ThumbnailStrip.h"
#include "platform/DeviceNotifier.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "recognition/QBarcodeResultDlg.h"
#include "ui_MainForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QThread>
#include <QTimerEvent>

MainForm* theMainForm = nullptr;

namespace {

// The zoom callback may come from an engine thread; the slider is set on the
// GUI thread.
void zoomChanged(float ratio) {
    MainForm* form = theMainForm;
    if (!form)
        return;
    auto apply = [ratio] {
        MainForm* f = theMainForm;
        if (!f || ratio < f->zoomMinRatio || ratio > f->zoomMaxRatio ||
            f->zoomMaxRatio <= f->zoomMinRatio)
            return;
        const int value =
            int((ratio - f->zoomMinRatio) * 100 / (f->zoomMaxRatio - f->zoomMinRatio));
        f->ui->horizontalSliderScale->setValue(value);
    };
    if (QThread::currentThread() == form->thread())
        apply();
    else
        QMetaObject::invokeMethod(form, apply, Qt::QueuedConnection);
}

} // namespace

void MainForm::registerZoomCallback(int camera) {
    OrvSetZoomCB(camera, &zoomChanged);
}

MainForm::MainForm() : QDialog(nullptr) {
    // 1-2: members have their initial values; the window is reachable at once.
    theMainForm = this;

    // 3: the program folder.
    appDir = platform::programFolder();
    strip = new ThumbnailStrip;

    // 4: the OCR engine is initialised by the recognition subsystem when it
    // is present.

    // 5-7: the form, the frame, the start state of the view buttons.
    ui = new Ui::MainForm;
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/image/orv.png")));
    initFrame();
    ui->pushButtonDrag->setChecked(true);
    ui->radioButtonH->setEnabled(false);
    ui->radioButtonV->setEnabled(false);
    ui->radioButtonV->setChecked(true);

    // 8: thumbnail host, preview surface, small vice window, native handles.
    buildPreview();

    // 9-11: camera library, scanner defaults, profile file.
    OrvInit();
    InitParam();
    ReadConfig();

    // 12: dialogs created once and reused.
    barcodeDialog = new QBarcodeResultDlg(this);
    barcodeDialog->hide();
    // The whiteboard and snapshot windows, after the settings (the board
    // takes the pen settings from them).
    initAnnotation();

    // 13: Documents folder and the working folder.
    documentsDir = platform::documentsLocation();
    InitWorkFolder();

    // 14-15.
    InitDPI();
    for (QWidget* w :
         {static_cast<QWidget*>(ui->checkBoxInVideo), static_cast<QWidget*>(ui->pushButtonTakePh2),
          static_cast<QWidget*>(ui->pushButtonSubRec),
          static_cast<QWidget*>(ui->pushButtonSwitchMainSub)}) {
        w->setEnabled(false);
        w->hide();
    }

    // 16: the thumbnail strip, from the program's folder.
    LoadThumbLibrary();

    // 17: device lists.
    fillDeviceLists();

    // 18-19: no camera, or a stored index past the camera count.
    const int count = OrvGetCameraCount();
    if (count <= 0) {
        cameraMissing = true;
        if (cfg.Language == 0)
            platform::showMessage(QStringLiteral("请连接高拍仪!"), QStringLiteral("提示"));
        else if (cfg.Language == 1)
            platform::showMessage(QStringLiteral("Please connect high speed portable scanner!"),
                                  QStringLiteral("Information"));
    }
    if (count > 0 && cfg.mainCameraIndex >= count)
        cfg.mainCameraIndex = count - 1;

    // 20-24: open the main camera.
    const int main = cfg.mainCameraIndex;
    OrvSetDefaultResolution(main, cfg.resolutionIndex);
    OrvOpenCamera(main, previewHandle);
    OrvSetResize(main, cfg.ResizeImage, cfg.ResizeImageRatio);
    OrvSetShowZoomRate(main, cfg.ShowRatio);
    OrvSetDPI(main, currentDPI());
    videoWidth = OrvGetResWidth(main, 0);
    videoHeight = OrvGetResHeight(main, 0);

    // 25-26: lists and picture controls.
    InitResolution();
    initPictureControls();
    InitJPGQuality();
    InitPixtype();
    InitFmt();
    InitNameRule();

    // 27: zoom range and callback.
    zoomMinRatio = OrvGetMinZoomRatio(main);
    zoomMaxRatio = OrvGetMaxZoomRatio(main);
    registerZoomCallback(main);

    // 28-29.
    ui->radioButtonCredent->setChecked(true);
    ui->checkBoxDelBack->setChecked(cfg.DelBack);
    applyStartupRotation();
    OrvDelBackColor(main, cfg.DelBack);
    OrvEnableAutoRotate(main, cfg.AutoCrop);
    ui->checkBoxAutoCrop->setChecked(cfg.AutoCrop);

    // 30-31: menu, skin, language, show.
    createMenu();
    setSkin(cfg.UIIndex);
    applyLanguage(cfg.Language);
    show();

    // 34-35: hot-plug notification and the controls' signals.
    deviceNotifier = new platform::DeviceNotifier(this);
    connect(deviceNotifier, &platform::DeviceNotifier::deviceChanged, this,
            &MainForm::onDeviceChange);
    connectControls();

    // 36.
    ui->checkBoxWaterMark->setChecked(cfg.showWater);
}

MainForm::~MainForm() {
    // 1-3.
    if (pDiaSmallVideo)
        pDiaSmallVideo->hide();
    // Windows without a parent: they go with the main window.
    deleteAnnotation();
    cfg.showWater = ui->checkBoxWaterMark->isChecked();
    deleteMenu();
    delete ui;
    ui = nullptr;

    // 5: both cameras, always, before the settings are written.
    OrvCloseCamera(cfg.mainCameraIndex);
    OrvCloseCamera(viceCameraIndex);

    // 6-8.
    strip->unload();
    WriteConfig();
    if (deviceNotifier)
        deviceNotifier->unregister();

    // 9: nothing after this runs.
    theMainForm = nullptr;
    platform::terminateProcess(0);
}

void MainForm::buildPreview() {
    const int w = width();
    const int h = height();
    thumbnailHost = new QWidget(this);
    thumbnailHost->setObjectName(QStringLiteral("thumbnailHost"));
    thumbnailHost->setAttribute(Qt::WA_NativeWindow);
    thumbnailHost->setGeometry(QRect(QPoint(w - 144, 60), QPoint(w - 3, h - 108)));
    thumbnailHost->show();

    preview = new QPreviewWidget(this);
    preview->setObjectName(QStringLiteral("previewWidget"));
    preview->setGeometry(QRect(QPoint(202, 60), QPoint(w - 149, h - 108)));
    preview->show();

    pDiaSmallVideo = new QSmallWidget(this);
    const QRect fu = ui->widgetFu->rect();
    pDiaSmallVideo->allowedArea = fu;
    pDiaSmallVideo->move(fu.topLeft());

    ui->widgetFu->setAttribute(Qt::WA_NativeWindow);
    previewHandle = preview->winId();
    smallWindowHandle = pDiaSmallVideo->winId();
    viceAreaHandle = ui->widgetFu->winId();
}

void MainForm::onDeviceChange(int event) {
    if (event == ORV_DEVICE_ARRIVAL) {
        if (cameraMissing) {
            const int count = OrvGetCameraCount();
            // A camera index past the new count would open nothing: clamp it
            // as at start-up.
            if (count > 0 && cfg.mainCameraIndex >= count)
                cfg.mainCameraIndex = count - 1;
            OrvOpenCamera(cfg.mainCameraIndex, previewHandle);
            cameraMissing = false;
        }
    } else if (event == ORV_DEVICE_REMOVE_COMPLETE) {
        cameraMissing = true;
    }
}

void MainForm::timerEvent(QTimerEvent* event) {
    if (fitTimer == 0 || event->timerId() != fitTimer)
        return;
    // Wait until the library reports a valid picture rectangle after a
    // resolution change, then fit the small window; at most ten ticks.
    const smallwindow::VideoRect v = mainVideoRect();
    const bool settled = v.left >= 0 && v.top >= 0 && v.right > v.left && v.bottom > v.top;
    if (settled)
        fitSmallWindow();
    ++fitTries;
    if (settled || fitTries > 9) {
        killTimer(fitTimer);
        fitTimer = 0;
    }
}

void MainForm::mouseDoubleClickEvent(QMouseEvent*) {
    // Double clicks on the window itself are swallowed.
}

void MainForm::paintEvent(QPaintEvent*) {
    // The background comes from the style sheet.
}

void MainForm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    QCoreApplication::postEvent(this, new QEvent(QEvent::Close));
}
