#pragma once

#include <QDialog>

namespace Ui {
class QBarcodeResultDlg;
}

// Shows the codes read from the main camera's picture and exports them.
class QBarcodeResultDlg : public QDialog {
    Q_OBJECT
public:
    explicit QBarcodeResultDlg(QWidget* parent = nullptr);
    ~QBarcodeResultDlg() override;

    // A reading; empty means no code was found (the last reading is kept
    // for export).
    void setBarcodeText(const QString& text);
    QString barcodeText() const { return lastText; }
    // 0 Chinese, 1 English: the window's texts and its messages.
    void applyLanguage(int language);

    Ui::QBarcodeResultDlg* ui;

public slots:
    void onExport();
    void onCloseWindow();

private:
    QString text(const char* chinese, const char* english) const;

    QString lastText;
    int m_language = 0;
};
