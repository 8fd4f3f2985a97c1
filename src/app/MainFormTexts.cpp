// The main window's texts in Chinese and English.

#include "app/MainForm.h"
#include "shell/Language.h"
#include "ui_MainForm.h"

#include <QMenu>

#include <functional>

namespace {

enum class Prop { Text, ToolTip, Title, Link, ModeLink };

struct TextEntry {
    std::function<QWidget*(Ui::MainForm*)> widget;
    Prop prop;
    const char* chinese;
    const char* english;
};

#define W(name) [](Ui::MainForm* u) -> QWidget* { return u->name; }

const TextEntry mainTexts[] = {
    {W(lab_Title), Prop::Text, "Orvanta高拍仪软件", "Orvanta High speed portable scanner"},
    {W(btnMenu), Prop::ToolTip, "菜单", "Menu"},
    {W(btnMenu_Max), Prop::ToolTip, "最大化", "Maximize"},
    {W(btnMenu_Min), Prop::ToolTip, "最小化", "Minimize"},
    {W(btnMenu_Close), Prop::ToolTip, "关闭", "Close"},
    {W(label_9), Prop::Text, "文件路径:", "File path:"},
    {W(pushBtnOpenFolder), Prop::Text, "打开", "Go..."},
    {W(labelMarkMode), Prop::ModeLink, "进入展台", "Whiteboard"},
    {W(labelSnapMode), Prop::ModeLink, "快速抓图", "Snapmode"},
    {W(compinfo), Prop::Link, "Orvanta", "Orvanta"},
    {W(pushButtonDrag), Prop::ToolTip, "设置鼠标为拖动模式", "Drag mode"},
    {W(pushButtonCut), Prop::ToolTip, "设置鼠标为画框模式", "Draw rectangle mode"},
    {W(pushButtonRotateLeft), Prop::ToolTip, "左转", "Rotate left"},
    {W(pushButtonRotateRight), Prop::ToolTip, "右转", "Rotate right"},
    {W(pushButtonZoomIn), Prop::ToolTip, "放大", "Zoom in"},
    {W(pushButtonZoomOut), Prop::ToolTip, "缩小", "Zoom out"},
    {W(pushButtonFullSrn), Prop::ToolTip, "重置视频", "Reset video"},
    {W(pushButtonScan), Prop::Text, "拍照", "Capture"},
    {W(pushButtonAutoScan), Prop::Text, "连拍", "Timer capture"},
    {W(pushButtonCompose), Prop::Text, "双面拍照", "Double capture"},
    {W(pushButtonRec), Prop::Text, "开始录像", "Record"},
    {W(pushButtonReadIDCard), Prop::Text, "身份证读取", "Read ID"},
    {W(pushButtonReadBarcode), Prop::Text, "条码识别", "Read barcode"},
    {W(pushButtonPrint), Prop::Text, "打印", "Print"},
    {W(pushButtonOCR), Prop::Text, "OCR识别", "OCR"},
    {W(groupBox), Prop::Title, "主摄像头", "Main camera"},
    {W(label_6), Prop::Text, "分辨率:", "Resolution:"},
    {W(pushButtonSetImage), Prop::Text, "属性", "Property"},
    {W(groupBox_2), Prop::Title, "主摄像头", "Main camera"},
    {W(label_7), Prop::Text, "颜色格式:", "Color fmt:"},
    {W(checkBoxAutoCrop), Prop::Text, "自动裁切", "Auto crop"},
    {W(label), Prop::Text, "锐化", "Sharpness"},
    {W(label_12), Prop::Text, "对比度", "contrast ratio"},
    {W(label_4), Prop::Text, "饱和度", "saturation"},
    {W(label_8), Prop::Text, "曝光", "Exposure"},
    {W(checkBoxAutoExp), Prop::Text, "自动曝光", "Auto exposure"},
    {W(label_3), Prop::Text, "JPG文件压缩比", "JPG quality"},
    {W(checkBoxDelBack), Prop::Text, "去底色", "Clean"},
    {W(checkBoxSplitCap), Prop::Text, "切分拍照", "Split scan"},
    {W(label_10), Prop::Text, "文件格式:", "File format"},
    {W(groupBox_4), Prop::Title, "水印配置", "Watermark configuration"},
    {W(checkBoxWaterMark), Prop::Text, "打水印", "Visible"},
    {W(pushBtnWaterMark), Prop::Text, "设置水印", "Setting"},
    {W(checkBoxMix), Prop::Text, "图像合并", "Image merging"},
    {W(radioButtonV), Prop::Text, "垂直", "Vertical"},
    {W(radioButtonH), Prop::Text, "水平", "Horizontal"},
    {W(groupBoxVice), Prop::Title, "副摄像头", "Vice camera"},
    {W(label_5), Prop::Text, "分辨率:", "Resolution:"},
    {W(pushButtonSetting2), Prop::Text, "属性", "Property"},
    {W(groupBox_6), Prop::Title, "文件命名", "Naming rules"},
    {W(labelFileName), Prop::Text, "文件名:", "Prefix"},
    {W(labelFileNameInit), Prop::Text, "计数:", "Start"},
    {W(labelFileNameCount), Prop::Text, "位数:", "Count"},
    {W(labelFileNameStep), Prop::Text, "步长:", "Step"},
    {W(groupBox_7), Prop::Title, "副头预览", "Radiation head Preview"},
    {W(checkBoxPIP), Prop::Text, "开启", "Open"},
    {W(checkBoxInVideo), Prop::Text, "并入主画面", "Enter the picture"},
    {W(pushButtonTakePh2), Prop::Text, "拍照", "Capture"},
    {W(pushButtonSubRec), Prop::Text, "开始录像", "Record"},
    {W(pushButtonSwitchMainSub), Prop::Text, "主副互换", "Switch"},
    {W(checkBoxMainSub), Prop::Text, "主副合成", "Camera synthesis"},
};

#undef W

void setText(QWidget* w, Prop prop, const QString& text) {
    switch (prop) {
    case Prop::Text:
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
        break;
    case Prop::ToolTip:
        w->setToolTip(text);
        break;
    case Prop::Title:
        if (auto* box = qobject_cast<QGroupBox*>(w))
            box->setTitle(text);
        break;
    case Prop::Link:
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text));
        break;
    case Prop::ModeLink: // the whiteboard and snapshot links are green
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(
                QStringLiteral("<a href=\"#\"><span style=\"color:#00A000;\">%1</span></a>")
                    .arg(text));
        break;
    }
}

} // namespace

void MainForm::applyTexts(int language) {
    if (language != 0 && language != 1)
        return;
    const auto text = [language](const QString& zh, const QString& en) {
        return shell::Language::text(language, zh, en);
    };
    for (const TextEntry& e : mainTexts)
        setText(e.widget(ui), e.prop,
                text(QString::fromUtf8(e.chinese), QString::fromUtf8(e.english)));
    setWindowTitle(ui->lab_Title->text());
    ui->tabWidget->setTabText(0, text(QStringLiteral("普通"), QStringLiteral("Ordinary")));
    ui->tabWidget->setTabText(1, text(QStringLiteral("高级"), QStringLiteral("Senior")));

    // The ID card and fingerprint functions are offered in Chinese only.
    ui->pushButtonRecogID->setVisible(language == 0);
    ui->pushButtonFinger->setVisible(language == 0);

    if (mainMenu) {
        actionSkin->setText(text(QStringLiteral("换肤"), QStringLiteral("Change skin")));
        actionSetting->setText(text(QStringLiteral("设置"), QStringLiteral("Settings")));
        languageMenu->setTitle(text(QStringLiteral("切换语言"), QStringLiteral("Language")));
        actionChinese->setText(text(QStringLiteral("汉语"), QStringLiteral("Chinese")));
        actionEnglish->setText(text(QStringLiteral("英语"), QStringLiteral("English")));
        actionAbout->setText(text(QStringLiteral("关于"), QStringLiteral("About")));
        (language == 0 ? actionChinese : actionEnglish)->setChecked(true);
    }
}
