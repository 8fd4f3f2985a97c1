#pragma once

// The watermark settings dialog: text, font, colour, opacity, angle, the
// date and time, and offset or fixed placing. Modeless, created once by the
// main window. It keeps the watermark's settings itself (the main window
// copies them back at exit) and packs the record the camera library takes;
// OK asks the main window to apply it by applyRequested().

#include "capture/WatermarkRecord.h"

#include <QColor>
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QTextEdit;

class ProfileName : public QDialog {
    Q_OBJECT
public:
    explicit ProfileName(const WatermarkSettings& settings, QWidget* parent = nullptr);

    // The record for a main camera of videoWidth x videoHeight, and whether
    // it carries the date and time.
    _WATERMARKPARAM record(int videoWidth, int videoHeight) const;
    bool withTime() const;
    // What is kept: the settings the slots changed at once, and the text,
    // colour, date check box and offsets as the widgets hold them now.
    WatermarkSettings settings() const;
    void applyLanguage(int language);

    QColor dialogColor;

signals:
    void applyRequested();

public slots:
    void onSetFont();
    void onSetColor();
    void onRadioPos();
    void onRadioFixPos();
    void onOpacChanged(int value);
    void onAncChanged(int value);
    void onHoriChanged(int value);
    void onVertiChanged(int value);
    void onOK();
    void onCancel();
    void onradioButton_LT();
    void onradioButton_RT();
    void onradioButton_RB();
    void onradioButton_LB();
    void onradioButton_M();

private:
    void styleText(const QString& family);
    QList<QRadioButton*> placeButtons() const;

    WatermarkSettings m_settings;

    QGroupBox* groupBox = nullptr;
    QTextEdit* textEdit = nullptr;
    QPushButton* pushButtonFont = nullptr;
    QLabel* labelFont = nullptr;
    QPushButton* pushButtonColor = nullptr;
    QLabel* label = nullptr;
    QSlider* horizontalSlider = nullptr;
    QLabel* labelPercent = nullptr;
    QLabel* label_7 = nullptr;
    QSlider* horizontalSlider_AN = nullptr;
    QLabel* labelPercent_AN = nullptr;
    QCheckBox* checkBoxTime = nullptr;
    QRadioButton* radioButton = nullptr;
    QRadioButton* radioButton_2 = nullptr;
    QRadioButton* radioButton_3 = nullptr;
    QGroupBox* groupBox_2 = nullptr;
    QRadioButton* radioButtonPos = nullptr;
    QRadioButton* radioButtonFixPos = nullptr;
    QGroupBox* groupBox_4 = nullptr;
    QLabel* label_3 = nullptr;
    QSlider* horizontalSlider_H = nullptr;
    QLabel* labelPercent_H = nullptr;
    QLabel* label_5 = nullptr;
    QSlider* horizontalSlider_V = nullptr;
    QLabel* labelPercent_V = nullptr;
    QGroupBox* groupBox_3 = nullptr;
    QRadioButton* radioButton_LT = nullptr;
    QRadioButton* radioButton_RT = nullptr;
    QRadioButton* radioButton_RB = nullptr;
    QRadioButton* radioButton_LB = nullptr;
    QRadioButton* radioButton_M = nullptr;
    QPushButton* pushButtonOK = nullptr;
    QPushButton* pushButtonCancel = nullptr;
};
