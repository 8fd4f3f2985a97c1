// The controls' signals, connected once the window is up.

#include "app/MainForm.h"
#include "ui_MainForm.h"

void MainForm::connectControls() {
    auto clicked = [this](QAbstractButton* b, void (MainForm::*slot)()) {
        connect(b, &QAbstractButton::clicked, this, slot);
    };
    auto edited = [this](QLineEdit* e, void (MainForm::*slot)()) {
        connect(e, &QLineEdit::editingFinished, this, slot);
    };
    auto chosen = [this](QComboBox* c, void (MainForm::*slot)()) {
        connect(c, &QComboBox::currentIndexChanged, this, slot);
    };

    edited(ui->lineEditFileName, &MainForm::onFileNameChange);
    edited(ui->lineEditFileNameCount, &MainForm::onFileNameCountChange);
    edited(ui->lineEditFileNameStep, &MainForm::onFileNameStepChange);
    edited(ui->lineEditFileNameInit, &MainForm::onFileNameInitChange);
    chosen(ui->comboBoxNameRule, &MainForm::onNameRuleChange);
    clicked(ui->pushButtonReadIDCard, &MainForm::onReadIDCard);
    clicked(ui->pushButtonRec, &MainForm::onRecord);
    clicked(ui->pushButtonCompose, &MainForm::onDoubleCapture);
    clicked(ui->pushButtonScan, &MainForm::onScan);
    clicked(ui->pushButtonTakePh2, &MainForm::onTkphto2);
    chosen(ui->comboBoxRes, &MainForm::onResolutionChange);
    chosen(ui->comboBoxRes2, &MainForm::onResolutionChange2);
    chosen(ui->comboBoxDPI, &MainForm::onDPIChange);
    clicked(ui->checkBoxAutoCrop, &MainForm::onAutoRotate);
    clicked(ui->checkBoxDelBack, &MainForm::onDelBack);
    chosen(ui->comboBoxDev, &MainForm::onDevChange);
    chosen(ui->comboBoxDev_2, &MainForm::onSubDevChange);
    clicked(ui->pushButtonAutoScan, &MainForm::onAutoScan);
    clicked(ui->pushButtonRotateLeft, &MainForm::onRotateLeft);
    clicked(ui->pushButtonRotateRight, &MainForm::onRotateRight);
    clicked(ui->pushButtonZoomIn, &MainForm::onZoomIn);
    clicked(ui->pushButtonZoomOut, &MainForm::onZoomOut);
    clicked(ui->pushButtonDrag, &MainForm::onSetDrag);
    clicked(ui->pushButtonCut, &MainForm::onSetDrawRect);
    connect(ui->horizontalSliderScale, &QSlider::sliderReleased, this, &MainForm::onSetScale);
    clicked(ui->pushButtonSetImage, &MainForm::onSetImage);
    clicked(ui->pushButtonSetting2, &MainForm::onSetImage2);
    clicked(ui->checkBoxWaterMark, &MainForm::onWaterMark);
    clicked(ui->pushButtonFullSrn, &MainForm::onFullSrn);
    clicked(ui->pushBtnOpenFolder, &MainForm::onOpenFolder);
    clicked(ui->pushBtnBrowser, &MainForm::onBrowser);
    chosen(ui->comboBoxColor, &MainForm::onColorChange);
    chosen(ui->comboBoxFmt, &MainForm::onFmtChange);
    clicked(ui->radioButtonDocument, &MainForm::onRadioDoc);
    clicked(ui->radioButtonCredent, &MainForm::onRadioCred);
    connect(ui->horizontalSliderBright, &QSlider::valueChanged, this, &MainForm::onSliderBright);
    connect(ui->horizontalSliderContrast, &QSlider::valueChanged, this,
            &MainForm::onSliderContrast);
    connect(ui->horizontalSliderSaut, &QSlider::valueChanged, this, &MainForm::onSliderSaut);
    connect(ui->horizontalSliderexpos, &QSlider::sliderMoved, this, &MainForm::onSliderExpos);
    clicked(ui->checkBoxDenoising, &MainForm::onDenoising);
    clicked(ui->checkBoxInVideo, &MainForm::OnPip);
    clicked(ui->checkBoxAutoExp, &MainForm::OnAutoExp);
    clicked(ui->checkBoxPIP, &MainForm::OnStartSubPreview);
    clicked(ui->checkBoxMix, &MainForm::onClickBoxMix);
    clicked(ui->pushBtnWaterMark, &MainForm::onWaterMarkSet);
    clicked(ui->pushButtonReadBarcode, &MainForm::onReadBarcode);
    clicked(ui->pushButtonPrint, &MainForm::onPrintFrame);
    clicked(ui->pushButtonOCR, &MainForm::onOCRVideo);
    clicked(ui->pushButtonSubRec, &MainForm::onSubRecord);
    clicked(ui->pushButtonSwitchMainSub, &MainForm::onSwitchMainSub);
    connect(ui->horizontalSliderJPG, &QSlider::sliderMoved, this, &MainForm::onSliderJPG);
    clicked(ui->checkBoxMainSub, &MainForm::onMainSubComp);
    clicked(ui->pushButtonRecogID, &MainForm::onRecogIDCard);
    clicked(ui->pushButtonFinger, &MainForm::onFingerRecog);
    clicked(ui->checkBoxSplitCap, &MainForm::onSplitCap);

    // The link labels: connected once, so switching the language never
    // doubles a connection.
    connect(ui->labelMarkMode, &QLabel::linkActivated, this, &MainForm::enterVisualizer);
    connect(ui->labelSnapMode, &QLabel::linkActivated, this, &MainForm::switch2SnapMode);
    connect(ui->compinfo, &QLabel::linkActivated, this, [this](const QString&) { onAbout(); });
}
