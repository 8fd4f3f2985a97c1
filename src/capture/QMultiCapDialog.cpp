#include "capture/QMultiCapDialog.h"

#include "shell/Language.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {
const QString kStart = QStringLiteral("启动");
const QString kStop = QStringLiteral("停止");

QLabel* namedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}
} // namespace

QMultiCapDialog::QMultiCapDialog(const MultiCapValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    if (m_values.mode != ContinuousCaptureRun::Smart)
        m_values.mode = ContinuousCaptureRun::Timer;
    setObjectName(QStringLiteral("QMultiCapDialog"));
    setWindowTitle(QStringLiteral("连拍"));
    setFixedSize(258, 255);

    groupBox_2 = new QGroupBox(QStringLiteral("连拍方式"), this);
    groupBox_2->setObjectName(QStringLiteral("groupBox_2"));
    radioButtonSmart = new QRadioButton(QStringLiteral("智能连拍"), groupBox_2);
    radioButtonSmart->setObjectName(QStringLiteral("radioButtonSmart"));
    radioButtonTimer = new QRadioButton(QStringLiteral("定时连拍"), groupBox_2);
    radioButtonTimer->setObjectName(QStringLiteral("radioButtonTimer"));
    auto* modes = new QHBoxLayout(groupBox_2);
    modes->addWidget(radioButtonSmart);
    modes->addWidget(radioButtonTimer);

    groupBoxTimerSetting = new QGroupBox(QStringLiteral("定时设置"), this);
    groupBoxTimerSetting->setObjectName(QStringLiteral("groupBoxTimerSetting"));
    lineEditTime = new QLineEdit(groupBoxTimerSetting);
    lineEditTime->setObjectName(QStringLiteral("lineEditTime"));
    lineEditPages = new QLineEdit(groupBoxTimerSetting);
    lineEditPages->setObjectName(QStringLiteral("lineEditPages"));
    auto* fields = new QGridLayout(groupBoxTimerSetting);
    fields->addWidget(namedLabel("label_2", QStringLiteral("拍照间隔:"), groupBoxTimerSetting), 0,
                      0);
    fields->addWidget(lineEditTime, 0, 1);
    fields->addWidget(namedLabel("label_3", QStringLiteral("秒"), groupBoxTimerSetting), 0, 2);
    fields->addWidget(namedLabel("label_5", QStringLiteral("拍照张数:"), groupBoxTimerSetting), 1,
                      0);
    fields->addWidget(lineEditPages, 1, 1);
    fields->addWidget(namedLabel("label_4", QStringLiteral("张"), groupBoxTimerSetting), 1, 2);

    pushButtonStart = new QPushButton(kStart, this);
    pushButtonStart->setObjectName(QStringLiteral("pushButtonStart"));
    labelCapCount = new QLabel(this);
    labelCapCount->setObjectName(QStringLiteral("labelCapCount"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(groupBox_2);
    layout->addWidget(groupBoxTimerSetting);
    layout->addWidget(pushButtonStart);
    layout->addWidget(labelCapCount);

    if (m_values.mode == ContinuousCaptureRun::Smart) {
        radioButtonSmart->setChecked(true);
        groupBoxTimerSetting->setEnabled(false);
    } else {
        radioButtonTimer->setChecked(true);
    }
    lineEditTime->setText(QString::number(m_values.interval));
    lineEditPages->setText(QString::number(m_values.limit));

    connect(radioButtonTimer, &QRadioButton::clicked, this, &QMultiCapDialog::onTimerCap);
    connect(radioButtonSmart, &QRadioButton::clicked, this, &QMultiCapDialog::onSmartCap);
    connect(lineEditTime, &QLineEdit::textChanged, this, &QMultiCapDialog::onTimeChanged);
    connect(lineEditPages, &QLineEdit::textChanged, this, &QMultiCapDialog::onPagesChanged);
    connect(pushButtonStart, &QPushButton::clicked, this, &QMultiCapDialog::onStartCap);
}

void QMultiCapDialog::onTimerCap() {
    m_values.mode = ContinuousCaptureRun::Timer;
    groupBoxTimerSetting->setEnabled(true);
}

void QMultiCapDialog::onSmartCap() {
    m_values.mode = ContinuousCaptureRun::Smart;
    groupBoxTimerSetting->setEnabled(false);
}

void QMultiCapDialog::onTimeChanged() {
    const ContinuousCaptureRun::Field f = ContinuousCaptureRun::intervalField(lineEditTime->text());
    if (!f.replacement.isEmpty())
        lineEditTime->setText(f.replacement); // runs this again with the value
    else
        m_values.interval = f.value;
}

void QMultiCapDialog::onPagesChanged() {
    const ContinuousCaptureRun::Field f = ContinuousCaptureRun::limitField(lineEditPages->text());
    if (!f.replacement.isEmpty())
        lineEditPages->setText(f.replacement);
    m_values.limit = f.value;
}

void QMultiCapDialog::onStartCap() {
    if (pushButtonStart->text() == kStart) {
        pushButtonStart->setText(kStop);
        const auto mode = ContinuousCaptureRun::Mode(m_values.mode);
        labelCapCount->setText(m_run.start(mode, m_values.limit));
        lockModes(true);
        if (mode == ContinuousCaptureRun::Timer) {
            const qint64 ms = qint64(m_values.interval) * m_secondMs;
            captureTimer = startTimer(int(std::min<qint64>(ms, std::numeric_limits<int>::max())));
            groupBoxTimerSetting->setEnabled(false);
        } else {
            emit autoCaptureSwitched(true);
        }
    } else if (pushButtonStart->text() == kStop) {
        const bool smart = m_run.mode() == ContinuousCaptureRun::Smart;
        const QString label = m_run.stop();
        if (smart)
            emit autoCaptureSwitched(false);
        finishRun();
        if (!label.isEmpty())
            labelCapCount->setText(label);
    }
}

void QMultiCapDialog::stopRun() {
    if (m_run.running())
        onStartCap();
}

bool QMultiCapDialog::requestPicture() {
    if (m_taking)
        return false;
    m_taking = true;
    m_failed = false;
    emit captureRequested();
    m_taking = false;
    return !m_failed;
}

void QMultiCapDialog::captureFailed() {
    m_failed = true;
    const bool smart = m_run.mode() == ContinuousCaptureRun::Smart;
    const QString label = m_run.fail();
    if (label.isEmpty())
        return; // no run
    if (smart)
        emit autoCaptureSwitched(false);
    finishRun();
    labelCapCount->setText(label);
}

void QMultiCapDialog::pageTurned() {
    if (!acceptsAutoCapture() || m_taking)
        return;
    if (requestPicture())
        ShowCapturedCount();
}

void QMultiCapDialog::ShowCapturedCount() {
    labelCapCount->setText(m_run.pictureTaken());
}

void QMultiCapDialog::timerEvent(QTimerEvent* event) {
    if (captureTimer == 0 || event->timerId() != captureTimer || m_taking)
        return;
    const ContinuousCaptureRun::Tick t = m_run.tick();
    if (t.finished)
        finishRun();
    labelCapCount->setText(t.label);
    if (t.capture)
        requestPicture();
}

void QMultiCapDialog::finishRun() {
    if (captureTimer != 0)
        killTimer(captureTimer);
    captureTimer = 0;
    pushButtonStart->setText(kStart);
    groupBoxTimerSetting->setEnabled(m_values.mode == ContinuousCaptureRun::Timer);
    lockModes(false);
}

void QMultiCapDialog::lockModes(bool locked) {
    radioButtonSmart->setEnabled(!locked);
    radioButtonTimer->setEnabled(!locked);
}

void QMultiCapDialog::closeEvent(QCloseEvent* event) {
    if (pushButtonStart->text() == kStop) {
        event->ignore();
        shell::Language::tellChinese(QStringLiteral("请先停止连拍!"));
        return;
    }
    event->accept();
}

void QMultiCapDialog::reject() {
    close();
}
