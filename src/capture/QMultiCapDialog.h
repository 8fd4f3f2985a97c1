#pragma once

// The continuous-capture dialog: timer capture (every N seconds up to a page
// limit) or smart capture (a picture for every page turn the camera library
// reports). Modeless, created once; its texts are Chinese in both languages.
// It takes no picture itself: it asks for one by captureRequested() and
// switches the library's page-turn reports by autoCaptureSwitched(). One
// picture is taken at a time: a tick or a page turn that comes while a
// picture is being taken (a failure's message is open) is dropped, and a
// failed picture ends the run.

#include "capture/ContinuousCapture.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The values the dialog keeps for the profile file.
struct MultiCapValues {
    int mode = 0;     // 0 timer, 1 smart
    int interval = 3; // seconds
    int limit = 9999; // pictures of a timer run
};

class QMultiCapDialog : public QDialog {
    Q_OBJECT
public:
    explicit QMultiCapDialog(const MultiCapValues& values, QWidget* parent = nullptr);

    MultiCapValues values() const { return m_values; }
    bool isRunning() const { return m_run.running(); }
    // True while a smart run waits for the library's reports.
    bool acceptsAutoCapture() const {
        return m_run.running() && m_run.mode() == ContinuousCaptureRun::Smart;
    }
    // The library reported a page turn: in a smart run, a picture and the
    // count.
    void pageTurned();
    // A picture was taken for a page-turn report.
    void ShowCapturedCount();
    // The picture asked for by captureRequested() failed (the user has been
    // told): the run ends.
    void captureFailed();
    // Ends a run as the stop button does (nothing when idle).
    void stopRun();
    // The length of one second of the interval, in milliseconds (tests).
    void setSecondLength(int ms) { m_secondMs = ms; }

signals:
    void captureRequested();
    void autoCaptureSwitched(bool on);

public slots:
    void onTimerCap();
    void onSmartCap();
    void onTimeChanged();
    void onPagesChanged();
    void onStartCap();

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Esc acts as the close button: refused while a run is active.
    void reject() override;

private:
    // captureRequested(), one at a time; false when the picture failed.
    bool requestPicture();
    void finishRun();
    // The mode choice is locked while a run is active, so a run can always
    // be stopped in the mode it was started in.
    void lockModes(bool locked);

    MultiCapValues m_values;
    ContinuousCaptureRun m_run;
    int m_secondMs = 1000;

    QGroupBox* groupBox_2 = nullptr;
    QRadioButton* radioButtonSmart = nullptr;
    QRadioButton* radioButtonTimer = nullptr;
    QGroupBox* groupBoxTimerSetting = nullptr;
    QLineEdit* lineEditTime = nullptr;
    QLineEdit* lineEditPages = nullptr;
    QPushButton* pushButtonStart = nullptr;
    QLabel* labelCapCount = nullptr;
    int captureTimer = 0;
    bool m_taking = false; // a picture is being taken
    bool m_failed = false; // the picture being taken failed
};
