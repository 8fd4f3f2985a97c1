#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// Chooses the pen's line width, 1 to 17 pixels.
class QLineWidthDlg : public QDialog {
    Q_OBJECT
public:
    explicit QLineWidthDlg(QWidget* parent = nullptr);

    void setLineWidth(int n);
    int lineWidth() const { return m_lineWidth; }
    // 0 Chinese, 1 English; other values keep the texts.
    void applyLanguage(int language);

    QComboBox* comboBoxLineWidth = nullptr;
    QLabel* label = nullptr;
    QPushButton* pushButtonOK = nullptr;
    QPushButton* pushButtonCancel = nullptr;

public slots:
    void onLineWidthChange();

private:
    int m_lineWidth = 5;
};
