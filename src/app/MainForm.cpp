#include "app/MainForm.h"

#include "camera/QPreviewWidget.h"
#include "camera/QSmallWidget.h"
#include "camera/SmallWindowGeometry.h"
#include "capture/CaptureService.h"
#include "capture/DriverHandoff.h"
#include "capture/SearchablePdfQueue.h"
#include "capture/ThumbnailStrip.h"
#include "platform/DeviceNotifier.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/QtTranslations.h"
#include "recognition/BarcodeReadTask.h"
#include "recognition/IdCardService.h"
#include "recognition/OcrService.h"
#include "recognition/QBarcodeResultDlg.h"
#include "recording/RecordingSession.h"
#include "shell/KeyboardAccess.h"
#include "ui_MainForm.h"
#include <modaocr/ModaOCR.h>
#include <orvcore/OrvCoreLib.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>

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
        if (!f)
            return;
        const float low = f->cameras().minZoom();
        const float high = f->cameras().maxZoom();
        if (ratio < low || ratio > high || high <= low)
            return;
        f->widgets()->horizontalSliderScale->setValue(int((ratio - low) * 100 / (high - low)));
    };
    if (QThread::currentThread() == form->thread())
        apply();
    else
        QMetaObject::invokeMethod(form, apply, Qt::QueuedConnection);
}

} // namespace

MainForm::MainForm() : QDialog(nullptr) {
    // The window is reachable at once: engine callbacks and dialogs find it.
    theMainForm = this;

    appDir = platform::programFolder();
    strip = new ThumbnailStrip;

    // The OCR engine, told the program folder with forward slashes.
    fnInit(4, QByteArray(appDir).replace('\\', '/').constData());

    ui = new Ui::MainForm;
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/image/orv.png")));
    initFrame();
    ui->pushButtonDrag->setChecked(true);
    ui->radioButtonH->setEnabled(false);
    ui->radioButtonV->setEnabled(false);
    ui->radioButtonV->setChecked(true);
    // Enter would press the first button of the window (the property panel);
    // no button is a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    buildPreview();

    OrvInit();
    InitParam();
    ReadConfig();
    // Qt's own buttons (the start-up message's) in the chosen language.
    platform::useQtTranslations(cfg.Language);

    capture::CaptureService::Hooks hooks;
    // Named by barcode: the window keeps painting while the read runs.
    barcodeReader = new BarcodeReadTask(this);
    hooks.barcodeText = [this] { return barcodeReader->readAndWait(pair.main()); };
    hooks.customName = [this] { return platform::toLocal(ui->lineEditFileName->text()); };
    hooks.betweenShots = [] {
        shell::Language::tellChinese(
            QStringLiteral("第一张或身份证正面已拍照, 请翻面或更换文档后点击确认拍照第二张"));
    };
    hooks.counterChanged = [this](int counter) {
        ui->lineEditFileNameInit->setText(QString::number(counter));
    };
    captures = std::make_unique<capture::CaptureService>(cfg, pair, *strip, std::move(hooks));
    // At start the extension is that of the colour mode.
    captures->chooseColorMode(cfg.colorMode);
    textQueue = new SearchablePdfQueue(this);
    captures->setTextQueue(textQueue);
    handoff = std::make_unique<capture::DriverHandoff>(cfg, *strip, *captures, language);

    barcodeDialog = new QBarcodeResultDlg(this);
    barcodeDialog->hide();
    createCaptureDialogs();
    initRecording();
    ocrService = new OcrService(this, [this] { return cfg.Language; });
    ocrService->setExportExtension(ocrExtension);
    idCards = new IdCardService(
        {[this](const QByteArray& path) { AddThumbItem(path); }, &shell::Language::tellChinese},
        this);
    // The whiteboard and snapshot windows, after the settings (the board
    // takes the pen settings from them).
    initAnnotation();

    documentsDir = platform::documentsLocation();
    InitWorkFolder();

    InitDPI();
    showViceControls();

    LoadThumbLibrary();

    // The stored vice preview opens the vice camera before the main camera.
    pair.setZoomCallback(&zoomChanged);
    const int count = pair.start();
    fillDeviceLists();
    if (count <= 0)
        language.tell(QStringLiteral("请连接高拍仪!"),
                      QStringLiteral("Please connect high speed portable scanner!"));

    pair.openMain();

    InitResolution();
    initPictureControls();
    InitJPGQuality();
    InitPixtype();
    InitFmt();
    InitNameRule();

    ui->radioButtonCredent->setChecked(true);
    ui->checkBoxDelBack->setChecked(cfg.DelBack);
    applyStartupRotation();
    ui->checkBoxAutoCrop->setChecked(cfg.AutoCrop);

    createMenu();
    setSkin(cfg.UIIndex);
    keyboard = new KeyboardAccess(this, ui);
    applyLanguage(cfg.Language);
    show();
    idCards->loadModels();

    deviceNotifier = new platform::DeviceNotifier(this);
    connect(deviceNotifier, &platform::DeviceNotifier::deviceChanged, this,
            &MainForm::onDeviceChange);
    connectControls();

    ui->checkBoxWaterMark->setChecked(cfg.showWater);
    if (cfg.showWater)
        ApplyWatermark();
}

MainForm::~MainForm() {
    // Every page captured is in its file before anything closes.
    textQueue->finish(nullptr, cfg.Language);
    delete barcodeReader; // waits for a read still running
    barcodeReader = nullptr;
    idCards->finish(); // a card being read is in its files
    if (pDiaSmallVideo)
        pDiaSmallVideo->hide();
    // Windows without a parent: they go with the main window.
    deleteAnnotation();
    storeCaptureDialogs();
    cfg.showWater = ui->checkBoxWaterMark->isChecked();
    deleteMenu();
    delete ui;
    ui = nullptr;

    // Running recordings are finalised before their cameras close.
    recording->stopAll();
    // Both cameras, always, before the settings are written.
    pair.closeAll();

    strip->unload();
    WriteConfig();
    if (deviceNotifier)
        deviceNotifier->unregister();

    // Nothing after this runs.
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
    pDiaSmallVideo->placement.setArea(fu);
    pDiaSmallVideo->move(fu.topLeft());

    ui->widgetFu->setAttribute(Qt::WA_NativeWindow);
    pair.setSurfaces({preview->winId(), pDiaSmallVideo->winId(), ui->widgetFu->winId()});
    preview->setCameras(&pair);
    connect(pDiaSmallVideo, &QSmallWidget::dragged, this, [this] { OrvUpdateVideo(pair.main()); });
}

void MainForm::onDeviceChange(int event) {
    // The indices move with every arrival and removal: the lists are read
    // again; a main camera that opened brings its own controls.
    if (event == ORV_DEVICE_ARRIVAL) {
        qCInfo(lcCamera) << "a camera was attached";
        const bool opened = pair.deviceArrived();
        showCameraState();
        if (opened)
            refreshMainControls();
    } else if (event == ORV_DEVICE_REMOVE_COMPLETE) {
        qCWarning(lcCamera) << "a camera was removed";
        pair.deviceRemoved();
        showCameraState();
    }
}

void MainForm::mouseDoubleClickEvent(QMouseEvent*) {
    // Double clicks on the window itself are swallowed.
}

void MainForm::paintEvent(QPaintEvent*) {
    // The background comes from the style sheet.
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    // Esc would end the program and Enter press a button: the main window
    // takes neither.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void MainForm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    QCoreApplication::postEvent(this, new QEvent(QEvent::Close));
}
