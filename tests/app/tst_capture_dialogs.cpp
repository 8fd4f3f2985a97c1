// Continuous capture, the watermark and the settings dialog: the dialogs on
// their own (a short interval through the dialog's second length), the
// watermark record byte for byte, and their wiring in the main window against
// the fake camera library.

#include "AppTestEnv.h"
#include "capture/ProfileName.h"
#include "capture/QMultiCapDialog.h"
#include "dialogs/QSettingDlg.h"
#include "shell/Contrast.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
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

// Whether page-turn detection was last switched on, per camera.
QMap<int, bool> detection() {
    QMap<int, bool> on;
    for (const fake::Call& c : core().callsOf("OrvSetAutoCap"))
        on[c.args.at(0).toInt()] = c.args.at(1).toBool();
    return on;
}

// The cameras that hold a watermark after the calls so far.
QSet<int> stamping() {
    QSet<int> on;
    for (const fake::Call& c : core().calls) {
        if (c.name == "OrvAddWaterMark")
            on.insert(c.args.at(0).toInt());
        else if (c.name == "OrvClearWatermark")
            on.remove(c.args.at(0).toInt());
    }
    return on;
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
        QTest::keyClick(&d, Qt::Key_Escape); // Esc is the close button
        QVERIFY(d.isVisible());
        QCOMPARE(env.messages.size(), 2);
        QCOMPARE(env.messages.last().first, QStringLiteral("请先停止连拍!"));
        const int before = captures.count();
        QTRY_VERIFY(captures.count() > before); // the run goes on
        child<QPushButton>(&d, "pushButtonStart")->click();
        const int taken = captures.count();
        QCOMPARE(labelOf(d), QStringLiteral("已拍照 %1 张").arg(taken));
        QTest::qWait(100);
        QCOMPARE(captures.count(), taken);
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
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
        // The longest interval the timer can count, also for longer numbers.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("[Tt]imer")));
        for (const char* text : {"2147484", "99999999999999999999"}) {
            time->setText(QLatin1String(text));
            QCOMPARE(time->text(), QStringLiteral("2147483"));
            QCOMPARE(d.values().interval, 2147483);
        }
        child<QPushButton>(&d, "pushButtonStart")->click();
        QCOMPARE(buttonOf(d), QStringLiteral("停止"));
        child<QPushButton>(&d, "pushButtonStart")->click();
    }

    void unknownModeIsTimerCapture() {
        QMultiCapDialog d(MultiCapValues{2, 3, 9999});
        QSignalSpy switched(&d, &QMultiCapDialog::autoCaptureSwitched);
        QCOMPARE(d.values().mode, 0);
        QVERIFY(child<QRadioButton>(&d, "radioButtonTimer")->isChecked());
        child<QPushButton>(&d, "pushButtonStart")->click();
        child<QPushButton>(&d, "pushButtonStart")->click();
        QCOMPARE(switched.count(), 0);
        env.writeProfile("MultiCapMode=2\n");
        MainForm form;
        QCOMPARE(AppTestEnv::saved(&form).multiCapMode, 0);
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

    // The colour button's text stays readable on the colour it shows, under
    // every skin.
    void colourButtonTextReadsOnItsColour() {
        MainForm form;
        for (int skin = 1; skin <= 6; ++skin) {
            form.setSkin(skin);
            for (const QColor& c : {QColor(255, 255, 0), QColor(0, 255, 0), QColor(255, 255, 255),
                                    QColor(0, 0, 0), QColor(0, 0, 255), QColor(255, 0, 0)}) {
                WatermarkSettings colour;
                colour.red = c.red();
                colour.green = c.green();
                colour.blue = c.blue();
                ProfileName d(colour);
                d.show();
                auto* button = child<QPushButton>(&d, "pushButtonColor");
                button->ensurePolished();
                const QColor text = button->palette().color(QPalette::ButtonText);
                QVERIFY2(
                    contrast::ratio(text, c) >= contrast::kText,
                    qPrintable(
                        QStringLiteral("skin %1, %2 on %3").arg(skin).arg(text.name(), c.name())));
            }
        }
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

    void okWithTheBoxUncheckedOnlyKeepsTheSettings() {
        MainForm form;
        auto* dialog = form.findChild<ProfileName*>();
        form.widgets()->pushBtnWaterMark->click();
        child<QSlider>(dialog, "horizontalSlider_AN")->setValue(20);
        child<QPushButton>(dialog, "pushButtonOK")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(core().count("OrvAddWaterMark"), 0);
        QVERIFY(stamping().isEmpty());
        form.widgets()->checkBoxWaterMark->click(); // checking stamps the kept settings
        QCOMPARE(stamping(), QSet<int>{0});
        QCOMPARE(intAt(core().callsOf("OrvAddWaterMark").last().args.at(2).toByteArray(), 408), 20);
    }

    // Whichever way a camera becomes main, it stamps (with offsets for its own
    // resolution) and the camera it replaced stops stamping.
    void watermarkFollowsTheMainCamera() {
        env.writeProfile("ShowWater=1\nHRatio=50\n");
        core().script.cameraCount = 3;
        core().script.cameraResolutions[2] = {QSize(1000, 800)};
        MainForm form;
        QCOMPARE(stamping(), QSet<int>{0});
        form.widgets()->checkBoxPIP->click();
        form.widgets()->comboBoxDev->setCurrentIndex(2); // not the vice camera: reopened
        QCOMPARE(form.cameras().main(), 2);
        QCOMPARE(stamping(), QSet<int>{2});
        QCOMPARE(intAt(core().callsOf("OrvAddWaterMark").last().args.at(2).toByteArray(), 680),
                 500);
        form.widgets()->pushButtonSwitchMainSub->click();
        QCOMPARE(stamping(), QSet<int>{form.cameras().main()});
        QVERIFY(form.cameras().main() != 2);
        form.widgets()->checkBoxWaterMark->click();
        QVERIFY(stamping().isEmpty());
    }

    // A swap carries a smart run to the new main camera; stopping leaves no
    // camera detecting page turns.
    void smartRunMovesWithTheMainCamera() {
        env.writeProfile("MultiCapMode=1\n");
        core().script.cameraCount = 2;
        MainForm form;
        form.widgets()->checkBoxPIP->click();
        form.widgets()->pushButtonAutoScan->click();
        auto* dialog = form.findChild<QMultiCapDialog*>();
        child<QPushButton>(dialog, "pushButtonStart")->click();
        QCOMPARE(detection(), (QMap<int, bool>{{0, true}}));
        form.widgets()->pushButtonSwitchMainSub->click();
        QCOMPARE(detection(), (QMap<int, bool>{{0, false}, {1, true}}));
        QCOMPARE(core().callsOf("OrvSetAutoCapCB").last().args.at(0).toInt(), 1);
        core().autoCapCallback(1);
        QCOMPARE(core().callsOf("OrvCapture").last().args.at(0).toInt(), 1);
        child<QPushButton>(dialog, "pushButtonStart")->click();
        QCOMPARE(detection(), (QMap<int, bool>{{0, false}, {1, false}}));
        form.widgets()->pushButtonSwitchMainSub->click();
        QCOMPARE(detection(), (QMap<int, bool>{{0, false}, {1, false}}));
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

    // A failed picture ends the run with one message, also when more page
    // turns or ticks come while the message is open.
    void failureEndsTheRunWithOneMessage_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("timer") << 0;
        QTest::newRow("smart") << 1;
    }
    void failureEndsTheRunWithOneMessage() {
        QFETCH(int, mode);
        env.writeProfile("MultiCapMode=" + QByteArray::number(mode) + "\n");
        core().script.captureResult = 0;
        MainForm form;
        form.widgets()->pushButtonAutoScan->click();
        auto* dialog = form.findChild<QMultiCapDialog*>();
        dialog->setSecondLength(5);
        int boxes = 0, open = 0, mostOpen = 0;
        platform::setMessageHandler([&](const QString&, const QString&) {
            ++boxes;
            mostOpen = std::max(mostOpen, ++open);
            if (boxes < 5) { // the box's own event loop
                if (mode == 1)
                    core().autoCapCallback(0);
                QTest::qWait(40);
            }
            --open;
        });
        child<QPushButton>(dialog, "pushButtonStart")->click();
        if (mode == 1)
            core().autoCapCallback(0);
        QTRY_VERIFY(boxes > 0);
        QTest::qWait(60);
        QCOMPARE(boxes, 1);
        QCOMPARE(mostOpen, 1);
        QCOMPARE(buttonOf(*dialog), QStringLiteral("启动"));
        QCOMPARE(labelOf(*dialog), QStringLiteral("已拍照 0 张, 拍照结束"));
        QCOMPARE(detection().value(0), false);
    }

    // Closing the main window ends a run: nothing is captured behind it.
    void closingTheWindowEndsTheRun() {
        auto form = env.makeForm();
        form->widgets()->pushButtonAutoScan->click();
        auto* dialog = form->findChild<QMultiCapDialog*>();
        dialog->setSecondLength(10);
        child<QPushButton>(dialog, "pushButtonStart")->click();
        QTRY_VERIFY(core().count("OrvCapture") > 0);
        // As the program runs: closing the last window ends the event loop,
        // which closes every other window.
        QTimer::singleShot(0, form.get(), [&form] { QVERIFY(form->close()); });
        QTimer hang; // never hangs, and gone with the test
        hang.setSingleShot(true);
        connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        hang.start(3000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!form->isVisible());
        QVERIFY(!dialog->isVisible());
        QCOMPARE(buttonOf(*dialog), QStringLiteral("启动"));
        const int taken = core().count("OrvCapture");
        QTest::qWait(60);
        QCOMPARE(core().count("OrvCapture"), taken);
        QVERIFY(env.messages.isEmpty());
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
        // An empty field, or a ratio captures don't take, is marked and
        // passes nothing: the last good ratio stays.
        core().calls.clear();
        ratio->clear();
        QCOMPARE(core().count("OrvSetResize"), 0);
        QVERIFY(!ratio->styleSheet().isEmpty());
        QTest::keyClicks(ratio, QStringLiteral("1.5"));
        QCOMPARE(core().count("OrvSetResize"), 3);
        QCOMPARE(core().callsOf("OrvSetResize").last().args.at(2).toFloat(), 1.5f);
        QCOMPARE(values.ratio, 1.5f);
        QVERIFY(ratio->styleSheet().isEmpty());
        for (const char* refused : {"100", "0.01", "x"}) {
            ratio->clear();
            QTest::keyClicks(ratio, QLatin1String(refused));
            QVERIFY2(!ratio->styleSheet().isEmpty(), refused);
            QVERIFY(!ratio->toolTip().isEmpty());
        }
        QCOMPARE(values.ratio, 10.0f); // the "10" of "100"
        QCOMPARE(core().callsOf("OrvSetResize").last().args.at(2).toFloat(), 10.0f);
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
