#include "dialogs/QSettingDlg.h"

#include "config/Settings.h"
#include "platform/Messages.h"
#include "shell/Language.h"
#include "ui_QSettingDlg.h"

#include <orvcore/OrvCoreLib.h>

namespace {
const char* const kExtensions[] = {"rtf", "xls", "pdf", "txt"};
const char* const kExportNames[] = {"Word", "Excel", "PDF", "Txt"};
} // namespace

QByteArray QSettingDlg::extensionAt(int index) {
    return index >= 0 && index < 4 ? QByteArray(kExtensions[index]) : QByteArray();
}

QSettingDlg::QSettingDlg(SettingDlgValues* values, ResizeApplier applyResize, QWidget* parent)
    : QDialog(parent), ui(new Ui::QSettingDlg), m_values(values),
      m_applyResize(std::move(applyResize)) {
    ui->setupUi(this);

    const int microphones = OrvGetAudioCount();
    if (microphones > 0) {
        for (int i = 0; i < microphones; ++i) {
            const char* name = OrvGetAudioName(i);
            ui->comboBoxAudio->addItem(QString::fromLocal8Bit(name ? name : ""));
        }
        if (m_values)
            ui->comboBoxAudio->setCurrentIndex(m_values->audioIndex);
    } else {
        platform::showMessage(QStringLiteral("未发现录音设备!"), QString());
    }
    connect(ui->comboBoxAudio, &QComboBox::currentIndexChanged, this, &QSettingDlg::onAudioChange);

    if (m_values) {
        ui->checkBoxResize->setChecked(m_values->resize);
        ui->lineEditResizeRatio->setEnabled(m_values->resize);
        ui->lineEditResizeRatio->setText(QString::number(double(m_values->ratio), 'g', 6));
    }
    connect(ui->checkBoxResize, &QCheckBox::clicked, this, &QSettingDlg::onResize);
    connect(ui->lineEditResizeRatio, &QLineEdit::textChanged, this, &QSettingDlg::onRatioChange);

    for (const char* name : kExportNames)
        ui->comboBoxOCRRes->addItem(QString::fromLatin1(name));
    if (m_values)
        for (int i = 0; i < 4; ++i)
            if (m_values->ocrExtension == kExtensions[i])
                ui->comboBoxOCRRes->setCurrentIndex(i);
    connect(ui->comboBoxOCRRes, &QComboBox::currentIndexChanged, this,
            &QSettingDlg::onOCRExtChange);

    if (m_values)
        ui->checkBoxSearchablePdf->setChecked(m_values->searchablePdf);
    connect(ui->checkBoxSearchablePdf, &QCheckBox::clicked, this, &QSettingDlg::onSearchablePdf);
}

QSettingDlg::~QSettingDlg() {
    delete ui;
}

void QSettingDlg::onAudioChange() {
    const int index = ui->comboBoxAudio->currentIndex();
    if (!m_values || index < 0 || index == m_values->audioIndex)
        return;
    m_values->audioIndex = index;
    OrvSetAudioDev(index);
}

void QSettingDlg::onResize() {
    if (!m_values)
        return;
    m_values->resize = ui->checkBoxResize->isChecked();
    ui->lineEditResizeRatio->setEnabled(m_values->resize);
    if (m_applyResize)
        m_applyResize(m_values->resize, m_values->ratio);
}

// A ratio outside what captures take (or no number) is refused as it is
// typed: the field is marked and the last good ratio stays, here and in the
// camera library.
void QSettingDlg::onRatioChange() {
    if (!m_values)
        return;
    bool number = false;
    const float ratio = ui->lineEditResizeRatio->text().toFloat(&number);
    const bool good = number && double(ratio) >= config::kMinResizeRatio &&
                      double(ratio) <= config::kMaxResizeRatio;
    markRatio(!good);
    if (!good)
        return;
    m_values->ratio = ratio;
    if (m_applyResize)
        m_applyResize(m_values->resize, m_values->ratio);
}

void QSettingDlg::markRatio(bool refused) {
    QLineEdit* field = ui->lineEditResizeRatio;
    field->setStyleSheet(refused ? QStringLiteral("QLineEdit{border: 2px solid #d00000;}")
                                 : QString());
    const QString range =
        QStringLiteral("%1 - %2").arg(config::kMinResizeRatio).arg(config::kMaxResizeRatio);
    field->setToolTip(refused ? shell::Language::text(
                                    m_language, QStringLiteral("缩放比率须在 %1 之间").arg(range),
                                    QStringLiteral("The scaling must lie in %1.").arg(range))
                              : QString());
}

void QSettingDlg::onOCRExtChange() {
    const QByteArray ext = extensionAt(ui->comboBoxOCRRes->currentIndex());
    if (m_values && !ext.isEmpty())
        m_values->ocrExtension = ext;
}

void QSettingDlg::onSearchablePdf() {
    if (m_values)
        m_values->searchablePdf = ui->checkBoxSearchablePdf->isChecked();
}

void QSettingDlg::applyLanguage(int language) {
    if (language != 0 && language != 1)
        return;
    m_language = language;
    auto pick = [language](const char* c, const char* e) {
        return shell::Language::text(language, QString::fromUtf8(c), QString::fromUtf8(e));
    };
    setWindowTitle(pick("设置", "Settings"));
    ui->groupBox->setTitle(pick("录像设置", "Video settings"));
    ui->label->setText(pick("麦克风:", "Microphone:"));
    ui->groupBox_2->setTitle(pick("缩放设置", "Zoom settings"));
    ui->checkBoxResize->setText(pick("是否缩放", "Zoom"));
    ui->label_2->setText(pick("缩放比率:", "Scaling:"));
    ui->groupBox_3->setTitle(pick("OCR生成结果", "OCR results were as follows"));
    ui->label_3->setText(pick("导出为:", "export:"));
    ui->checkBoxSearchablePdf->setText(pick("识别文字并写入PDF", "Searchable PDF (OCR)"));
}
