#pragma once

// The settings dialog: the microphone for recording, the scaling of captured
// pictures, the OCR export type and whether PDF captures carry their text. Modal, built on demand;
// every change applies at once (no OK or Cancel). Filling the dialog fires none of its slots: each
// connection is made after its widget is filled.

#include <QByteArray>
#include <QDialog>

#include <functional>

namespace Ui {
class QSettingDlg;
}

// The main window's values the dialog shows and changes.
struct SettingDlgValues {
    int audioIndex = 0;
    bool resize = false;
    float ratio = 1.0f;
    QByteArray ocrExtension = "rtf";
    bool searchablePdf = false; // PDF captures carry their recognised words
};

class QSettingDlg : public QDialog {
    Q_OBJECT
public:
    // values: changed in place; nullptr shows the widgets without values and
    // changes nothing. applyResize: stores and passes scaling on.
    using ResizeApplier = std::function<void(bool enabled, float ratio)>;
    QSettingDlg(SettingDlgValues* values, ResizeApplier applyResize, QWidget* parent = nullptr);
    ~QSettingDlg() override;

    void applyLanguage(int language);
    // The export extensions by item: "rtf", "xls", "pdf", "txt".
    static QByteArray extensionAt(int index);

public slots:
    void onAudioChange();
    void onResize();
    void onRatioChange();
    void onOCRExtChange();
    void onSearchablePdf();

private:
    // The ratio field shows whether its text was refused.
    void markRatio(bool refused);

    Ui::QSettingDlg* ui;
    int m_language = 0;
    SettingDlgValues* m_values;
    ResizeApplier m_applyResize;
};
