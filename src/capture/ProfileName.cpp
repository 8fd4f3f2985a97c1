#include "capture/ProfileName.h"

#include "shell/Contrast.h"
#include "shell/Language.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

template <typename W, typename... Args> W* named(const char* name, Args&&... args) {
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QLatin1String(name));
    return w;
}

QSlider* slider(const char* name, int low, int high, QWidget* parent) {
    auto* s = named<QSlider>(name, Qt::Horizontal, parent);
    s->setRange(low, high);
    return s;
}

// The colour button shows the chosen colour, its text in black or white,
// whichever reads better on it.
QString colourSheet(const QColor& c) {
    const QColor black(Qt::black), white(Qt::white);
    const QColor text = contrast::ratio(c, black) >= contrast::ratio(c, white) ? black : white;
    return QStringLiteral("background-color: rgb(%1, %2, %3); color: %4;")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(text.name());
}

struct Text {
    const char* zh;
    const char* en;
};

} // namespace

ProfileName::ProfileName(const WatermarkSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("ProfileName"));

    groupBox = named<QGroupBox>("groupBox", this);
    textEdit = named<QTextEdit>("textEdit", groupBox);
    pushButtonFont = named<QPushButton>("pushButtonFont", groupBox);
    labelFont = named<QLabel>("labelFont", groupBox);
    pushButtonColor = named<QPushButton>("pushButtonColor", groupBox);
    label = named<QLabel>("label", groupBox);
    horizontalSlider = slider("horizontalSlider", 0, 255, groupBox);
    labelPercent = named<QLabel>("labelPercent", groupBox);
    label_7 = named<QLabel>("label_7", groupBox);
    horizontalSlider_AN = slider("horizontalSlider_AN", -90, 90, groupBox);
    labelPercent_AN = named<QLabel>("labelPercent_AN", groupBox);
    checkBoxTime = named<QCheckBox>("checkBoxTime", groupBox);
    radioButton = named<QRadioButton>("radioButton", groupBox);
    radioButton_2 = named<QRadioButton>("radioButton_2", groupBox);
    radioButton_3 = named<QRadioButton>("radioButton_3", groupBox);
    auto* sizes = new QButtonGroup(this);
    for (QRadioButton* b : {radioButton, radioButton_2, radioButton_3})
        sizes->addButton(b);
    auto* info = new QGridLayout(groupBox);
    info->addWidget(textEdit, 0, 0, 1, 3);
    info->addWidget(pushButtonFont, 1, 0);
    info->addWidget(labelFont, 1, 1, 1, 2);
    info->addWidget(pushButtonColor, 2, 0);
    info->addWidget(checkBoxTime, 2, 1, 1, 2);
    info->addWidget(label, 3, 0);
    info->addWidget(horizontalSlider, 3, 1);
    info->addWidget(labelPercent, 3, 2);
    info->addWidget(label_7, 4, 0);
    info->addWidget(horizontalSlider_AN, 4, 1);
    info->addWidget(labelPercent_AN, 4, 2);
    info->addWidget(radioButton, 5, 0);
    info->addWidget(radioButton_2, 5, 1);
    info->addWidget(radioButton_3, 5, 2);

    groupBox_2 = named<QGroupBox>("groupBox_2", this);
    radioButtonPos = named<QRadioButton>("radioButtonPos", groupBox_2);
    radioButtonFixPos = named<QRadioButton>("radioButtonFixPos", groupBox_2);
    groupBox_4 = named<QGroupBox>("groupBox_4", groupBox_2);
    label_3 = named<QLabel>("label_3", groupBox_4);
    horizontalSlider_H = slider("horizontalSlider_H", 0, 100, groupBox_4);
    labelPercent_H = named<QLabel>("labelPercent_H", groupBox_4);
    auto* label_4 = named<QLabel>("label_4", QStringLiteral("%"), groupBox_4);
    label_5 = named<QLabel>("label_5", groupBox_4);
    horizontalSlider_V = slider("horizontalSlider_V", 0, 100, groupBox_4);
    labelPercent_V = named<QLabel>("labelPercent_V", groupBox_4);
    auto* label_6 = named<QLabel>("label_6", QStringLiteral("%"), groupBox_4);
    auto* offsets = new QGridLayout(groupBox_4);
    offsets->addWidget(label_3, 0, 0);
    offsets->addWidget(horizontalSlider_H, 0, 1);
    offsets->addWidget(labelPercent_H, 0, 2);
    offsets->addWidget(label_4, 0, 3);
    offsets->addWidget(label_5, 1, 0);
    offsets->addWidget(horizontalSlider_V, 1, 1);
    offsets->addWidget(labelPercent_V, 1, 2);
    offsets->addWidget(label_6, 1, 3);
    groupBox_3 = named<QGroupBox>("groupBox_3", groupBox_2);
    radioButton_LT = named<QRadioButton>("radioButton_LT", groupBox_3);
    radioButton_RT = named<QRadioButton>("radioButton_RT", groupBox_3);
    radioButton_RB = named<QRadioButton>("radioButton_RB", groupBox_3);
    radioButton_LB = named<QRadioButton>("radioButton_LB", groupBox_3);
    radioButton_M = named<QRadioButton>("radioButton_M", groupBox_3);
    auto* places = new QGridLayout(groupBox_3);
    places->addWidget(radioButton_LT, 0, 0);
    places->addWidget(radioButton_RT, 0, 1);
    places->addWidget(radioButton_LB, 1, 0);
    places->addWidget(radioButton_RB, 1, 1);
    places->addWidget(radioButton_M, 2, 0);
    auto* ways = new QButtonGroup(this);
    ways->addButton(radioButtonPos);
    ways->addButton(radioButtonFixPos);
    auto* location = new QGridLayout(groupBox_2);
    location->addWidget(radioButtonPos, 0, 0);
    location->addWidget(radioButtonFixPos, 0, 1);
    location->addWidget(groupBox_4, 1, 0);
    location->addWidget(groupBox_3, 1, 1);

    pushButtonOK = named<QPushButton>("pushButtonOK", this);
    pushButtonCancel = named<QPushButton>("pushButtonCancel", this);
    pushButtonOK->setAutoDefault(false);
    pushButtonCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(pushButtonOK);
    buttons->addWidget(pushButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(groupBox);
    layout->addWidget(groupBox_2);
    layout->addLayout(buttons);
    applyLanguage(0);

    // The dialog as the settings leave it; the value labels follow through
    // the connections.
    textEdit->setFocus();
    checkBoxTime->setChecked(m_settings.withTime);
    connect(pushButtonFont, &QPushButton::clicked, this, &ProfileName::onSetFont);
    connect(pushButtonColor, &QPushButton::clicked, this, &ProfileName::onSetColor);
    connect(pushButtonOK, &QPushButton::clicked, this, &ProfileName::onOK);
    connect(pushButtonCancel, &QPushButton::clicked, this, &ProfileName::onCancel);
    connect(radioButtonPos, &QRadioButton::clicked, this, &ProfileName::onRadioPos);
    connect(radioButtonFixPos, &QRadioButton::clicked, this, &ProfileName::onRadioFixPos);
    connect(radioButton_LT, &QRadioButton::clicked, this, &ProfileName::onradioButton_LT);
    connect(radioButton_RT, &QRadioButton::clicked, this, &ProfileName::onradioButton_RT);
    connect(radioButton_RB, &QRadioButton::clicked, this, &ProfileName::onradioButton_RB);
    connect(radioButton_LB, &QRadioButton::clicked, this, &ProfileName::onradioButton_LB);
    connect(radioButton_M, &QRadioButton::clicked, this, &ProfileName::onradioButton_M);
    connect(horizontalSlider, &QSlider::valueChanged, this, &ProfileName::onOpacChanged);
    connect(horizontalSlider_AN, &QSlider::valueChanged, this, &ProfileName::onAncChanged);
    connect(horizontalSlider_V, &QSlider::valueChanged, this, &ProfileName::onVertiChanged);
    connect(horizontalSlider_H, &QSlider::valueChanged, this, &ProfileName::onHoriChanged);

    textEdit->setStyleSheet(QStringLiteral("QTextEdit{font: bold large;font-size:20px;}"));
    textEdit->setPlainText(QString::fromLocal8Bit(m_settings.text));
    if (m_settings.mode == 1) {
        radioButtonFixPos->setChecked(true);
        onRadioFixPos();
    } else {
        radioButtonPos->setChecked(true);
        onRadioPos();
    }
    const QList<QRadioButton*> placeList = placeButtons();
    if (m_settings.pos >= 0 && m_settings.pos < placeList.size())
        placeList.at(m_settings.pos)->setChecked(true);
    dialogColor = QColor(m_settings.red, m_settings.green, m_settings.blue);
    pushButtonColor->setStyleSheet(colourSheet(dialogColor));
    styleText(textEdit->fontFamily());
    horizontalSlider->setValue(128);
    onOpacChanged(128); // the label shows the start value even when the slider was there
    horizontalSlider_AN->setValue(m_settings.angle);
    onAncChanged(horizontalSlider_AN->value());
    horizontalSlider_H->setValue(m_settings.hRatio);
    onHoriChanged(horizontalSlider_H->value());
    horizontalSlider_V->setValue(m_settings.vRatio);
    onVertiChanged(horizontalSlider_V->value());
    radioButton->hide();
    radioButton_2->hide();
    radioButton_3->hide();
}

QList<QRadioButton*> ProfileName::placeButtons() const {
    return {radioButton_LT, radioButton_RT, radioButton_RB, radioButton_LB, radioButton_M};
}

void ProfileName::styleText(const QString& family) {
    textEdit->setStyleSheet(
        QStringLiteral("QTextEdit{font: bold large \"%0\";font-size:20px;color:rgb(%1,%2,%3);}")
            .replace(QLatin1String("%0"), family)
            .arg(dialogColor.red())
            .arg(dialogColor.green())
            .arg(dialogColor.blue()));
}

_WATERMARKPARAM ProfileName::record(int videoWidth, int videoHeight) const {
    WatermarkInput in;
    in.text = textEdit->toPlainText();
    in.fontFamily = QString::fromLocal8Bit(m_settings.fontFamily);
    in.fontSize = m_settings.fontSize;
    in.sizeChoice = radioButton_3->isChecked() ? 2 : radioButton_2->isChecked() ? 1 : 0;
    in.colour = dialogColor;
    in.opacity = horizontalSlider->value();
    in.angle = horizontalSlider_AN->value();
    in.fixedPlace = radioButtonFixPos->isChecked();
    in.place = -1;
    const QList<QRadioButton*> places = placeButtons();
    for (int i = 0; i < places.size() && in.place < 0; ++i)
        if (places.at(i)->isChecked())
            in.place = i;
    in.hPercent = horizontalSlider_H->value();
    in.vPercent = horizontalSlider_V->value();
    in.videoWidth = videoWidth;
    in.videoHeight = videoHeight;
    return packWatermark(in);
}

bool ProfileName::withTime() const {
    return checkBoxTime->isChecked();
}

WatermarkSettings ProfileName::settings() const {
    WatermarkSettings s = m_settings;
    s.text = textEdit->toPlainText().toLocal8Bit();
    s.red = dialogColor.red();
    s.green = dialogColor.green();
    s.blue = dialogColor.blue();
    s.withTime = checkBoxTime->isChecked();
    s.hRatio = horizontalSlider_H->value();
    s.vRatio = horizontalSlider_V->value();
    return s;
}

void ProfileName::onSetFont() {
    bool ok = false;
    const QFont start(QString::fromLocal8Bit(m_settings.fontFamily), m_settings.fontSize);
    const QFont font = QFontDialog::getFont(&ok, start, this);
    if (!ok)
        return;
    m_settings.fontSize = font.pointSize();
    m_settings.fontFamily = font.family().toLocal8Bit();
    labelFont->setText(font.family());
    styleText(font.family());
}

void ProfileName::onSetColor() {
    const QColor colour = QColorDialog::getColor(dialogColor, this);
    if (!colour.isValid())
        return;
    dialogColor = colour;
    pushButtonColor->setStyleSheet(colourSheet(dialogColor));
    styleText(textEdit->fontFamily());
}

void ProfileName::onRadioPos() {
    horizontalSlider_H->setEnabled(true);
    horizontalSlider_V->setEnabled(true);
    for (QRadioButton* b : placeButtons())
        b->setEnabled(false);
    m_settings.mode = 0;
}

void ProfileName::onRadioFixPos() {
    horizontalSlider_H->setEnabled(false);
    horizontalSlider_V->setEnabled(false);
    for (QRadioButton* b : placeButtons())
        b->setEnabled(true);
    m_settings.mode = 1;
}

void ProfileName::onOpacChanged(int value) {
    labelPercent->setText(QString::number(value));
}

void ProfileName::onAncChanged(int value) {
    labelPercent_AN->setText(QString::number(value));
    m_settings.angle = value;
}

void ProfileName::onHoriChanged(int value) {
    labelPercent_H->setText(QString::number(value));
}

void ProfileName::onVertiChanged(int value) {
    labelPercent_V->setText(QString::number(value));
}

void ProfileName::onOK() {
    emit applyRequested();
    hide();
}

void ProfileName::onCancel() {
    hide();
}

void ProfileName::onradioButton_LT() {
    m_settings.pos = 0;
}
void ProfileName::onradioButton_RT() {
    m_settings.pos = 1;
}
void ProfileName::onradioButton_RB() {
    m_settings.pos = 2;
}
void ProfileName::onradioButton_LB() {
    m_settings.pos = 3;
}
void ProfileName::onradioButton_M() {
    m_settings.pos = 4;
}

void ProfileName::applyLanguage(int language) {
    if (language != 0 && language != 1)
        return;
    auto text = [language](Text t) {
        return shell::Language::text(language, QString::fromUtf8(t.zh), QString::fromUtf8(t.en));
    };
    auto set = [&text](auto* w, Text t) { w->setText(text(t)); };
    setWindowTitle(text({"水印设置", "Watermark setting"}));
    groupBox->setTitle(text({"水印信息", "Information"}));
    groupBox_2->setTitle(text({"水印位置", "Location"}));
    groupBox_4->setTitle(text({"坐标", "Coordinate"}));
    groupBox_3->setTitle(text({"固定位置", "Fix position"}));
    set(pushButtonFont, {"字体", "Font"});
    set(pushButtonColor, {"颜色", "Color"});
    set(label, {"透明度", "Opcity"});
    set(label_7, {"旋转角度", "Rotate angle"});
    set(checkBoxTime, {"添加时间", "Add date"});
    set(radioButton, {"小字", "Little"});
    set(radioButton_2, {"中字", "Middle"});
    set(radioButton_3, {"大字", "Large"});
    set(radioButtonPos, {"垂直水平定位", "Coordinate"});
    set(radioButtonFixPos, {"固定位置", "Fix position"});
    set(label_3, {"水平偏移", "Horizontal offset"});
    set(label_5, {"垂直偏移", "Vertical offset"});
    set(radioButton_LT, {"左上角", "Left-top corner"});
    set(radioButton_RT, {"右上角", "Right-top corner"});
    set(radioButton_RB, {"右下角", "Right-bottom corner"});
    set(radioButton_LB, {"左下角", "Left-bottom corner"});
    set(radioButton_M, {"中间", "Middle"});
    set(pushButtonOK, {"确定", "OK"});
    set(pushButtonCancel, {"取消", "Cancel"});
}
