// Continuous capture, the watermark and the settings dialog: the dialogs on
// their own (a short interval through the dialog's second length), the
// watermark record byte for byte, and their wiring in the main window against
// the fake camera library.

#include "AppTestEnv.h"
#include "capture/ProfileName.h"
#include "capture/QMultiCapDialog.h"
#include "dialogs/QSettingDlg.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTextEdit>
#include <QtTest>

#include <cstring>
#include <thread>

using fake::core;

namespace {

template <typename T> T* child(QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QString labelOf(QMultiCapDialog& d) {
    return child<QLabel>(&d, "labelCapCount")->text();
}
QString buttonOf(QMultiCapDialog& d) {
    return child<QPushButton>(&d, "pushButtonStart")->text();
}

int32_t intAt(const QByteArray& record, int offset) {
    int32_t v = 0;
    std::memcpy(&v, record.constData() + offset, 4);
    return v;
}

QByteArray bytesOf(const _WATERMARKPARAM& p) {
    return QByteArray(reinterpret_cast<const char*>(&p), sizeof p);
}

// Every byte outside the named fields is zero.
bool zeroOutside(const QByteArray& r, const QList<QPair<int, int>>& fields) {
    for (int i = 0; i < r.size(); ++i) {
        bool inField = false;
        for (const auto& f : fields)
            inField = inField || (i >= f.first && i < f.first + f.second);
        if (!inField && r.at(i) != 0)
            return false;
    }
    return true;
}

} // namespace

class TestCaptureDialogs : public QObject {
    Q_OBJECT
    AppTestEnv env;

private slots:
    void init() { env.setUp(); }

    // ---- Continuous capture ----

    void timerRunTakesItsLimitOneIntervalApart() {
        QMultiCapDialog d(MultiCapValues{0, 2, 2});
        d.setSecondLength(25); // an interval of 2 "seconds" is 50 ms
        QSignalSpy captures(&d, &QMultiCapDialog::captureRequested);
        QCOMPARE(buttonOf(d), QStringLiteral("启动"));
        child<QPushButton>(&d, "pushButtonStart")->click();
        QCOMPARE(buttonOf(d), QStringLiteral("停止"));
        QCOMPARE(labelOf(d), QStringLiteral("开始拍照"));
        QCOMPARE(captures.count(), 0); // the first picture comes one interval later
        QVERIFY(!child<QGroupBox>(&d, "groupBoxTimerSetting")->isEnabled());
        QVERIFY(!child<QRadioButton>(&d, "radioButtonSmart")->isEnabled());
        QTRY_COMPARE(labelOf(d), QStringLiteral("已拍照 2 张, 拍照结束"));
        QCOMPARE(captures.count(), 2);
        QCOMPARE(buttonOf(d), QStringLiteral("启动"));
        QVERIFY(child<QGroupBox>(&d, "groupBoxTimerSetting")->isEnabled());
        QVERIFY(child<QRadioButton>(&d, "radioButtonSmart")->isEnabled());
        QTest::qWait(150);
        QCOMPARE(captures.count(), 2);
    }

    void stoppingByHandKeepsTheCountAndCloseIsRefusedWhileRunning() {
        QMultiCapDialog d(MultiCapValues{0, 1, 9999});
        d.setSecondLength(20);
        QSignalSpy captures(&d, &QMultiCapDialog::captureRequested);
        d.show();
        child<QPushButton>(&d, "pushButtonStart")->click();
        QTRY_VERIFY(captures.count() >= 2);
        QVERIFY(!d.close());
        QVERIFY(d.isVisible());
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages.first().first, QStringLiteral("请先停止连拍!"));
        QCOMPARE(env.messages.first().second, QStringLiteral("提示"));
        const int before = captures.count();
        QTRY_VERIFY(captures.count() > before); // the run goes on
        child<QPushButton>(&d, "pushButtonStart")->click();
        const int taken = captures.count();
        QCOMPARE(labelOf(d), QStringLiteral("已拍照 %1 张").arg(taken));
        QTest::qWait(100);
        QCOMPARE(captures.count(), taken);
        QVERIFY(d.close());
    }

    void fieldsCorrectThemselvesWhileTyping() {
        QMultiCapDialog d(MultiCapValues{0, 3, 9999});
        auto* time = child<QLineEdit>(&d, "lineEditTime");
        auto* pages = child<QLineEdit>(&d, "lineEditPages");
        QCOMPARE(time->text(), QStringLiteral("3"));
        time->clear();
        QCOMPARE(time->text(), QStringLiteral("1"));
        QCOMPARE(d.values().interval, 1);
        time->setText(QStringLiteral("x"));
        QCOMPARE(time->text(), QStringLiteral("1"));
        time->setText(QStringLiteral("12"));
        QCOMPARE(d.values().interval, 12);
        pages->setText(QStringLiteral("5"));
        QCOMPARE(d.values().limit, 5);
        pages->setText(QStringLiteral("0"));
        QCOMPARE(pages->text(), QStringLiteral("9999"));
        QCOMPARE(d.values().limit, 9999);
    }

    void smartRunCountsTheReportsAndEnds() {
        QMultiCapDialog d(MultiCapValues{0, 3, 2});
        QSignalSpy switched(&d, &QMultiCapDialog::autoCaptureSwitched);
        child<QRadioButton>(&d, "radioButtonSmart")->click();
        QCOMPARE(d.values().mode, 1);
        QVERIFY(!child<QGroupBox>(&d, "groupBoxTimerSetting")->isEnabled());
        child<QPushButton>(&d, "pushButtonStart")->click();
        QCOMPARE(switched.count(), 1);
        QCOMPARE(switched.at(0).at(0).toBool(), true);
        QVERIFY(d.acceptsAutoCapture());
        for (int i = 0; i < 5; ++i) // no limit in smart mode
            d.ShowCapturedCount();
        QCOMPARE(labelOf(d), QStringLiteral("已拍照 5 张"));
        child<QPushButton>(&d, "pushButtonStart")->click();
        QCOMPARE(switched.at(1).at(0).toBool(), false);
        QCOMPARE(labelOf(d), QStringLiteral("已拍照 5 张, 拍照结束"));
        QVERIFY(!d.acceptsAutoCapture());
    }

    // ---- The watermark record ----

    void defaultRecordBytes() {
        ProfileName d{WatermarkSettings()};
        const QByteArray r = bytesOf(d.record(2592, 1944));
        QCOMPARE(r.size(), 696);
        QCOMPARE(QByteArray(r.constData()), QByteArray("水印"));
        QCOMPARE(QByteArray(r.constData() + 300), QByteArray("宋体"));
        QCOMPARE(intAt(r, 400), 72);
        QCOMPARE(r.mid(404, 4), QByteArray("\xFF\x00\x00\x80", 4));
        QCOMPARE(intAt(r, 408), 0);
        QCOMPARE(intAt(r, 672), 0);
        QCOMPARE(intAt(r, 680), 0);
        QCOMPARE(intAt(r, 684), 0);
        QVERIFY(zeroOutside(r, {{0, 6}, {300, 6}, {400, 4}, {404, 4}}));
        QVERIFY(!d.withTime());
    }

    void fixedPlaceAndOffsetRecords() {
        WatermarkSettings fixed;
        fixed.mode = 1;
        fixed.pos = 2;
        fixed.hRatio = 50; // ignored when fixed
        ProfileName f(fixed);
        QByteArray r = bytesOf(f.record(2592, 1944));
        QCOMPARE(intAt(r, 672), 1);
        QCOMPARE(intAt(r, 676), 2);
        QCOMPARE(intAt(r, 680), 0);
        QCOMPARE(intAt(r, 684), 0);

        WatermarkSettings offset;
        offset.hRatio = 50;
        offset.vRatio = 25;
        offset.angle = -30;
        ProfileName o(offset);
        r = bytesOf(o.record(2592, 1944));
        QCOMPARE(intAt(r, 672), 0);
        QCOMPARE(intAt(r, 676), 0);
        QCOMPARE(intAt(r, 680), 1296);
        QCOMPARE(intAt(r, 684), 486);
        QCOMPARE(intAt(r, 408), -30);
    }

    void longTextsAreCutAtACharacterBoundary() {
        WatermarkInput in;
        in.text = QString(150, QChar(0x6C34)); // 450 bytes in UTF-8
        in.fontFamily = QStringLiteral("a") + QString(60, QChar(0x5B8B));
        const QByteArray r = bytesOf(packWatermark(in));
        QCOMPARE(qstrlen(r.constData()), 297u); // 99 whole characters
        QCOMPARE(QString::fromUtf8(r.constData()), QString(99, QChar(0x6C34)));
        QCOMPARE(qstrlen(r.constData() + 300), 97u); // "a" and 32 characters
        QCOMPARE(localBytesWithin(QStringLiteral("ab"), 1), QByteArray("a"));
    }

    // ---- In the main window ----

    void watermarkCheckBoxAndDialogReachTheLibrary() {
        env.writeProfile("WaterAngle=15\n");
        MainForm form;
        QCOMPARE(core().count("OrvAddWaterMark"), 0); // off at start
        auto* dialog = form.findChild<ProfileName*>();
        QVERIFY(dialog);
        form.widgets()->pushBtnWaterMark->click();
        QVERIFY(dialog->isVisible());
        child<QCheckBox>(dialog, "checkBoxTime")->setChecked(true);
        core().calls.clear();
        form.widgets()->checkBoxWaterMark->click();
        QCOMPARE(core().names({"OrvClearWatermark", "OrvAddWaterMark"}),
                 QStringList({"OrvClearWatermark", "OrvAddWaterMark"}));
        QCOMPARE(core().callsOf("OrvAddWaterMark").at(0).args.at(1).toInt(), 5);
        QCOMPARE(intAt(core().callsOf("OrvAddWaterMark").at(0).args.at(2).toByteArray(), 408), 15);
        child<QCheckBox>(dialog, "checkBoxTime")->setChecked(false);
        child<QSlider>(dialog, "horizontalSlider_AN")->setValue(40);
        child<QPushButton>(dialog, "pushButtonOK")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(core().callsOf("OrvAddWaterMark").at(1).args.at(1).toInt(), 2);
        QCOMPARE(intAt(core().callsOf("OrvAddWaterMark").at(1).args.at(2).toByteArray(), 408), 40);
        core().calls.clear();
        form.widgets()->checkBoxWaterMark->click();
        QCOMPARE(core().names({"OrvClearWatermark", "OrvAddWaterMark"}),
                 QStringList({"OrvClearWatermark"}));
    }

    void watermarkSettingsSurviveARestart() {
        env.writeProfile("ShowWater=1\nWaterText=旧\n");
        {
            MainForm form;
            QCOMPARE(core().count("OrvAddWaterMark"), 1); // applied at start
            auto* dialog = form.findChild<ProfileName*>();
            child<QTextEdit>(dialog, "textEdit")->setPlainText(QStringLiteral("新的水印"));
            child<QRadioButton>(dialog, "radioButtonFixPos")->click();
            child<QRadioButton>(dialog, "radioButton_M")->click();
            child<QSlider>(dialog, "horizontalSlider_H")->setValue(30);
            child<QPushButton>(dialog, "pushButtonCancel")->click();
        }
        const QByteArray profile = env.readProfile();
        QVERIFY(profile.contains("\nWaterText=新的水印\n"));
        QVERIFY(profile.contains("\nWaterMode=1\n"));
        QVERIFY(profile.contains("\nWaterPos=4\n"));
        QVERIFY(profile.contains("\nHRatio=30\n"));
        QVERIFY(profile.contains("\nShowWater=1\n"));
    }

    void smartRunCapturesOnTheGuiThreadForEachReport() {
        env.writeProfile("MultiCapMode=1\nInterval=4\n");
        auto* form = new MainForm;
        form->widgets()->pushButtonAutoScan->click();
        auto* dialog = form->findChild<QMultiCapDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        child<QPushButton>(dialog, "pushButtonStart")->click();
        QCOMPARE(core().callsOf("OrvSetAutoCap").last().args.at(1).toBool(), true);
        QVERIFY(core().autoCapCallback);
        const int before = core().count("OrvCapture");
        std::thread engine([] {
            for (int i = 0; i < 5; ++i)
                core().autoCapCallback(0);
        });
        engine.join();
        QTRY_COMPARE(core().count("OrvCapture"), before + 5);
        QCOMPARE(labelOf(*dialog), QStringLiteral("已拍照 5 张"));
        child<QPushButton>(dialog, "pushButtonStart")->click();
        QCOMPARE(core().callsOf("OrvSetAutoCap").last().args.at(1).toBool(), false);
        QCOMPARE(labelOf(*dialog), QStringLiteral("已拍照 5 张, 拍照结束"));
        core().autoCapCallback(0); // a report that crossed the stop
        QTest::qWait(20);
        QCOMPARE(core().count("OrvCapture"), before + 5);
        delete form;
        QVERIFY(env.readProfile().contains("\nInterval=4\n"));
        QVERIFY(env.readProfile().contains("\nMultiCapMode=1\n"));
    }

    // ---- The settings dialog ----

    void settingsDialogFilledAndClosedCallsNothing() {
        core().script.audioNames = {"Mic A", "Mic B"};
        SettingDlgValues values{1, true, 0.5f, "pdf"};
        QSettingDlg d(&values, [](bool on, float r) { OrvSetResize(0, on, r); });
        QCOMPARE(child<QComboBox>(&d, "comboBoxAudio")->currentIndex(), 1);
        QCOMPARE(child<QLineEdit>(&d, "lineEditResizeRatio")->text(), QStringLiteral("0.5"));
        QCOMPARE(child<QComboBox>(&d, "comboBoxOCRRes")->currentIndex(), 2);
        d.show();
        d.close();
        QCOMPARE(core().count("OrvSetAudioDev"), 0);
        QCOMPARE(core().count("OrvSetResize"), 0);
        QVERIFY(env.messages.isEmpty());
        child<QComboBox>(&d, "comboBoxAudio")->setCurrentIndex(0);
        QCOMPARE(core().callsOf("OrvSetAudioDev").size(), 1);
        QCOMPARE(values.audioIndex, 0);
        child<QComboBox>(&d, "comboBoxOCRRes")->setCurrentIndex(3);
        QCOMPARE(values.ocrExtension, QByteArray("txt"));
        // Searchable PDFs: off unless chosen.
        auto* searchable = child<QCheckBox>(&d, "checkBoxSearchablePdf");
        QVERIFY(!searchable->isChecked());
        searchable->click();
        QVERIFY(values.searchablePdf);
        d.applyLanguage(1);
        QCOMPARE(searchable->text(), QStringLiteral("Searchable PDF (OCR)"));
    }

    void ratioFieldPassesEveryKeystroke() {
        SettingDlgValues values{0, false, 1.0f, "rtf"};
        QSettingDlg d(&values, [](bool on, float r) { OrvSetResize(0, on, r); });
        QCOMPARE(env.messages.size(), 1); // no microphone
        QCOMPARE(env.messages.first().first, QStringLiteral("未发现录音设备!"));
        auto* ratio = child<QLineEdit>(&d, "lineEditResizeRatio");
        QVERIFY(!ratio->isEnabled());
        child<QCheckBox>(&d, "checkBoxResize")->click();
        QVERIFY(ratio->isEnabled());
        QCOMPARE(core().callsOf("OrvSetResize").last().args, QVariantList({0, true, 1.0f}));
        ratio->clear();
        QCOMPARE(core().callsOf("OrvSetResize").last().args, QVariantList({0, true, 0.0f}));
        core().calls.clear();
        QTest::keyClicks(ratio, QStringLiteral("1.5"));
        QCOMPARE(core().count("OrvSetResize"), 3);
        QCOMPARE(core().callsOf("OrvSetResize").last().args.at(2).toFloat(), 1.5f);
        QCOMPARE(values.ratio, 1.5f);
    }

    void menuEntryOpensTheSettingsDialog() {
        MainForm form;
        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                opened = w->objectName();
                auto* ratio = w->findChild<QLineEdit*>(QStringLiteral("lineEditResizeRatio"));
                w->findChild<QCheckBox*>(QStringLiteral("checkBoxResize"))->click();
                ratio->setText(QStringLiteral("0.5"));
                w->close();
            }
        });
        form.onSetting();
        QCOMPARE(opened, QStringLiteral("QSettingDlg"));
        QCOMPARE(core().callsOf("OrvSetResize").last().args.at(2).toFloat(), 0.5f);
    }
};

QTEST_MAIN(TestCaptureDialogs)
#include "tst_capture_dialogs.moc"
