#pragma once

#include "recognition/FingerprintService.h"

#include <QDialog>

namespace Ui {
class QFingerShowDlg;
}

// Enrolment of the finger on the reader under a name, and identification.
// Its texts are Chinese in every language of the program. A name longer than
// the data file keeps is shown cut as it will be stored.
class QFingerShowDlg : public QDialog {
    Q_OBJECT
public:
    QFingerShowDlg(FingerprintService::FolderSource folders, QWidget* parent = nullptr);
    ~QFingerShowDlg() override;

    FingerprintService& service() { return fingerprints; }

public slots:
    void onFingerPrintGet();
    void onFingerPrintMatch();

private:
    // Says under the name entry when the name is longer than a record keeps.
    void showNameCut();

    Ui::QFingerShowDlg* ui;
    FingerprintService fingerprints;
};
