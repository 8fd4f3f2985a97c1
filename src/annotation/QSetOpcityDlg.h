#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

// Chooses the pen's opacity, 1 to 255.
class QSetOpcityDlg : public QDialog {
    Q_OBJECT
public:
    explicit QSetOpcityDlg(QWidget* parent = nullptr);

    void setOpacity(int n);
    int opacity() const { return m_opacity; }
    // 0 Chinese, 1 English; other values keep the texts.
    void applyLanguage(int language);

    QLabel* label = nullptr;
    QSlider* horizontalSliderOpcity = nullptr;
    QLabel* labelOpcity = nullptr;
    QPushButton* pushButtonOK = nullptr;
    QPushButton* pushButtonCancel = nullptr;

public slots:
    void onOpcityChanged(int nVal);

private:
    int m_opacity = 255;
};
