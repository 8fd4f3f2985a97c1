#pragma once

#include "camera/CameraPair.h"
#include "camera/DevicePanel.h"
#include "camera/PictureControls.h"
#include "camera/SmallWindowGeometry.h"
#include "capture/CaptureGeometry.h"
#include "capture/NamingPanel.h"
#include "config/Settings.h"
#include "shell/Language.h"
#include "shell/WindowFrame.h"

#include <QByteArray>
#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <QString>
#include <memory>

class QActionGroup;
class QTimer;
class QMenu;
class QAction;
class QPreviewWidget;
class QSmallWidget;
class SearchablePdfQueue;
class ThumbnailStrip;
class QBarcodeResultDlg;
class QFingerShowDlg;
class QMultiCapDialog;
class ProfileName;
class OcrService;
class BarcodeReadTask;
class IdCardService;
class QSnapWidget;
class QVisualizer;
class KeyboardAccess;
namespace capture {
class CaptureService;
class DriverHandoff;
} // namespace capture
class RecordingSession;

namespace Ui {
class MainForm;
}
namespace platform {
class DeviceNotifier;
}

// The one main window. Its members are the live settings and camera state;
// its slots are the program's commands. Slots stay thin: they read widgets,
// call a logic class or the camera library and update widgets. The slots of
// each subsystem live beside that subsystem's code (camera/, capture/, ...).
class MainForm : public QDialog {
    Q_OBJECT
public:
    MainForm();
    ~MainForm() override;

    // ---- read access for the parts around the window and for tests ---------------
    Ui::MainForm* widgets() const { return ui; }
    const Settings& settings() const { return cfg; }
    const camera::CameraPair& cameras() const { return pair; }
    const QByteArray& extension() const;
    int formatEntry() const;

    // Device-change handling (camera arrival and removal), on the GUI thread.
    void onDeviceChange(int event);

    // ---- configuration ----------------------------------------------------------
    QString profilePath() const;

    // ---- services of the capture path ----------------------------------------------
    bool SetupOutputFolders();
    void InitWorkFolder();
    QByteArray NextFileName();

    // ---- thumbnail strip and driver hand-off ----------------------------------------
    void LoadThumbLibrary();
    void AddThumbItem(const QByteArray& path);
    void AddThumbItemEx(const QByteArray& path, const QByteArray& picture, const QByteArray& name);

    // ---- whiteboard and snapshot mode ----------------------------------------------
    void initAnnotation();
    void deleteAnnotation();
    // The main camera's picture to path; the library's result.
    int snapCapture(const QByteArray& path);
    // The current picture with the whiteboard's annotations as a capture in
    // the working folder; false when it failed (the user has been told).
    bool saveAnnotatedCapture();

    // ---- capture -------------------------------------------------------------------
    // One capture of a camera to the next capture path; false when it failed
    // (the user has been told).
    bool CaptureImage(int cameraIndex);
    void reportCaptureFailure();
    // A path for a new capture file: free on disk, in the image folder;
    // empty (the user has been told) when there is none.
    QByteArray BuildCapturePath();
    // Where the small window lies over the main picture.
    capture::Composition smallWindowPlacement() const;
    void InitNameRule();
    void showNamingControls();
    void applyColorMode();

    // ---- frame, skin, language ----------------------------------------------------
    void initFrame();
    void setSkin(int index);
    void applyLanguage(int language);
    void applyTexts(int language);
    void layoutButtonRow();

    // ---- picture controls at start ----------------------------------------------
    void initPictureControls();
    // The picture controls from the settings and the main camera, after
    // another camera became main: colour mode, exposure, mouse mode and the
    // camera's own properties.
    void refreshMainControls();
    void applyStartupRotation();

    // ---- small vice window over the main picture ----------------------------------
    // Where the main picture is drawn in the preview, as the library reports it.
    smallwindow::VideoRect mainVideoRect();
    void updateAllowedArea();
    void fitSmallWindow();
    void afterRotation();

    // ---- watermark ------------------------------------------------------------------
    void ApplyWatermark();
    void fillDeviceLists();
    // The device, resolution and vice controls from the camera pair, with
    // their signals blocked: refilling a list is not a choice.
    void showCameraState();
    void showViceControls();

public slots:
    // Profile file.
    void ReadConfig();
    void WriteConfig();
    void InitParam();

    // Devices and resolutions.
    void InitResolution();
    void onResolutionChange();
    void InitResolution2();
    void onResolutionChange2();
    void onDPIChange();
    void InitDPI();
    void onDevChange();
    void onSubDevChange();
    void OnStartSubPreview();

    // Preview and view operations.
    void onRotateLeft();
    void onRotateRight();
    void onZoomIn();
    void onZoomOut();
    void onSetDrag();
    void onSetDrawRect();
    void onSetScale();
    void onFullSrn();
    void OnPip();
    void onSwitchMainSub();

    // Picture adjustments.
    void onAutoRotate();
    void onDelBack();
    void onSetImage();
    void onSetImage2();
    void onRadioDoc();
    void onRadioCred();
    void onSliderBright(int value);
    void onSliderContrast(int value);
    void onSliderSaut(int value);
    void onSliderExpos(int value);
    void onDenoising();
    void OnAutoExp();
    void onPrintFrame();
    void onSliderJPG(int value);
    void InitJPGQuality();

    // File naming and formats.
    void onFileNameChange();
    void onFileNameCountChange();
    void onFileNameStepChange();
    void onFileNameInitChange();
    void onNameRuleChange();
    void InitPixtype();
    void InitFmt();
    void onOpenFolder();
    void onBrowser();
    void onColorChange();
    void onFmtChange();

    // Capture.
    void onDoubleCapture();
    bool onCommit();
    void onScan();
    void onTkphto2();
    void onClickBoxMix();
    void onMainSubComp();
    void onSplitCap();
    void onAutoScan();

    // Watermark.
    void onWaterMark();
    void onWaterMarkSet();

    // Recognition.
    void onReadIDCard();
    void onReadBarcode();
    void onOCRVideo();
    void onRecogIDCard();
    void onFingerRecog();

    // Recording.
    void onRecord();
    void onSubRecord();

    // Frame, menu, skins, language.
    void on_btnMenu_Max_clicked();
    void on_btnMenu_Close_clicked();
    void on_btnMenu_Min_clicked();
    void createMenu();
    void deleteMenu();
    void onSwitchUI();
    void onSetting();
    void onChinese();
    void onEnglish();
    void onAbout();

    // Whiteboard and snapshot mode.
    void enterVisualizer(const QString& link);
    void switch2SnapMode(const QString& link);
    // The main camera's video back into the preview (the callers show the
    // window afterwards).
    void restorePreview();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Ui::MainForm* ui = nullptr;
    Settings cfg; // every persisted setting (profile file)
    shell::Language language{cfg.Language};
    capture::NamingPanel naming{cfg, language};
    camera::PictureControls picture{cfg, pair};
    camera::DevicePanel devices{cfg, pair};
    camera::CameraPair pair{cfg};

    QPreviewWidget* preview = nullptr;
    QWidget* thumbnailHost = nullptr;
    QSmallWidget* pDiaSmallVideo = nullptr;

    // The small window's fit after a resolution change.
    smallwindow::FitWait fitWait;
    QTimer* fitTimer = nullptr;
    // The small window is shown over the main picture.
    bool overPicture() const;
    void startFit();
    void showPictureProperties();

    QByteArray appDir;       // program folder, with a trailing '/'
    QByteArray documentsDir; // the user's Documents folder

    QByteArray ocrExtension = "rtf";

    shell::WindowFrame frame; // maximised, title drag

    ThumbnailStrip* strip = nullptr;
    QBarcodeResultDlg* barcodeDialog = nullptr;
    QVisualizer* visualizerWindow = nullptr;
    QSnapWidget* snapWindow = nullptr;

    std::unique_ptr<capture::CaptureService> captures;
    std::unique_ptr<capture::DriverHandoff> handoff; // the strip's pictures to a waiting driver
    SearchablePdfQueue* textQueue = nullptr;         // searchable PDF pages being read
    bool mainSubCompose = false;

    void buildPreview();
    void connectControls();
    void initRecording();
    // True, and the user told why, when a recording runs on one of the
    // cameras a change would close: the change is not made.
    bool recordingRefuses(const QList<int>& closing);

    // Continuous capture and the watermark: dialogs created once.
    void createCaptureDialogs();
    void storeCaptureDialogs();
    // A continuous-capture run ends with the window.
    void stopContinuousCapture();
    void SetAutoCapture(bool on);
    static void OnAutoCapture(int cameraIndex);
    QMultiCapDialog* multiCapDialog = nullptr;
    ProfileName* waterDialog = nullptr;

    platform::DeviceNotifier* deviceNotifier = nullptr;
    QFingerShowDlg* fingerDialog = nullptr; // made on first use
    RecordingSession* recording = nullptr;
    QMenu* mainMenu = nullptr;
    QAction* actionSkin = nullptr;
    QAction* actionSetting = nullptr;
    QMenu* languageMenu = nullptr;
    QAction* actionAbout = nullptr;
    QActionGroup* languageGroup = nullptr;
    QAction* actionChinese = nullptr;
    QAction* actionEnglish = nullptr;
    OcrService* ocrService = nullptr;         // OCR of the page and its result window
    BarcodeReadTask* barcodeReader = nullptr; // reads off the GUI thread
    IdCardService* idCards = nullptr;         // reads and recognises off the GUI thread

    // Shortcuts and accessible names.
    KeyboardAccess* keyboard = nullptr;
};

// The one main window of the process; set at the start of its construction.
extern MainForm* theMainForm;
