// Start-up, hot-plug and exit of the main window, seen through the fake
// camera library.

#include "AppTestEnv.h"
#include "platform/Signals.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <thread>

using fake::core;

class TestStartup : public QObject {
    Q_OBJECT
    AppTestEnv env;

    // Builds the window; the caller deletes it (which "ends the process").
    std::unique_ptr<MainForm> build() { return env.makeForm(); }

private slots:
    void init() { env.setUp(); }

    void mainCameraOpensWithTheStoredSettings();
    void mainCameraOpensIntoThePreview();
    void noCameraShowsOneMessageInTheConfiguredLanguage_data();
    void noCameraShowsOneMessageInTheConfiguredLanguage();
    void storedCameraIndexPastTheCountIsClamped();
    void viceCameraOpensBeforeTheMainCameraWhenStoredOpen();
    void removalThenArrivalReopensOnce();
    void arrivalAfterMissingCameraAtStartOpensIt();
    void exitClosesBothCamerasBeforeWritingSettings();
    void exitCodeIsZeroWhateverTheEventLoopReturned();
    void cameraArrivingAfterNoneFillsTheControls();
    void enterAndEscapeLeaveTheWindowAlone();
    void oversizedSettingsFileIsReported();
    void settingsComeBackAfterARestart();
    void hideDoesNotCloseTheWindow();
    void unwritableSettingsFolderIsReportedOnce();
    void settingsAreKeptWhenTheWorkingFolderIsElsewhere();
    void zoomCallbackFromAnotherThreadMovesTheSliderOnTheGuiThread();
    // Last: the termination flag stays set for the rest of the process.
    void terminationDuringAStartupMessageIsKept();
};

void TestStartup::mainCameraOpensWithTheStoredSettings() {
    env.writeProfile("JPGQuality=61\nDPIIndex=3\nDelBack=1\nAutoCrop=1\nResolution=1\n");
    core().script.cameraCount = 1;
    auto form = build();
    // The library is up before any camera call, and the main camera opens at
    // its stored resolution with every stored setting.
    QCOMPARE(core().names().first(), QStringLiteral("OrvInit"));
    QVERIFY(core().indexOf("OrvSetDefaultResolution", 0) < core().indexOf("OrvOpenCamera", 0));
    QCOMPARE(core().callsOf("OrvSetDefaultResolution").first().args[1].toInt(), 1);
    auto last = [](const char* name) { return core().callsOf(name).last().args; };
    QCOMPARE(last("OrvSetJpgQuality"), (QVariantList{0, 61}));
    QCOMPARE(last("OrvSetDPI"), (QVariantList{0, 300}));
    QCOMPARE(last("OrvDelBackColor"), (QVariantList{0, true}));
    QCOMPARE(last("OrvEnableAutoRotate"), (QVariantList{0, true}));
    QVERIFY(core().zoomCallback);
    QVERIFY(core().deviceCallback);
    form.reset();
}

void TestStartup::mainCameraOpensIntoThePreview() {
    core().script.cameraCount = 1;
    auto form = build();
    // The main camera opens into the preview surface, after its default
    // resolution was set; video size is read at resolution 0.
    const fake::Call open = core().callsOf("OrvOpenCamera").first();
    QCOMPARE(open.args[0].toInt(), 0);
    QCOMPARE(open.args[1].toULongLong(), qulonglong(form->cameras().surfaces().preview));
    QVERIFY(form->cameras().surfaces().preview != 0);
    QCOMPARE(form->cameras().mainVideoSize(), QSize(2592, 1944));
    // DPI list entry 1 ("200") without a profile file.
    QCOMPARE(core().callsOf("OrvSetDPI").first().args[1].toInt(), 200);
    QCOMPARE(form->widgets()->comboBoxRes->count(), 3);
    QCOMPARE(form->widgets()->comboBoxRes->itemText(1), QStringLiteral("1600x1200"));
    QVERIFY(env.messages.isEmpty());
    form.reset();
}

void TestStartup::noCameraShowsOneMessageInTheConfiguredLanguage_data() {
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("chinese") << QByteArray("0") << QStringLiteral("请连接高拍仪!")
                             << QStringLiteral("提示");
    QTest::newRow("english") << QByteArray("1")
                             << QStringLiteral("Please connect high speed portable scanner!")
                             << QStringLiteral("Information");
    // The forms' own texts are Chinese: so is the message.
    QTest::newRow("other") << QByteArray("2") << QStringLiteral("请连接高拍仪!")
                           << QStringLiteral("提示");
}

void TestStartup::noCameraShowsOneMessageInTheConfiguredLanguage() {
    QFETCH(QByteArray, language);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    env.writeProfile("Language=" + language + "\n");
    core().script.cameraCount = 0;
    auto form = build();
    QVERIFY(form->cameras().cameraMissing());
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, text);
    QCOMPARE(env.messages.first().second, caption);
    QVERIFY(form->isVisible());
    QVERIFY(!form->widgets()->checkBoxPIP->isEnabled());
    form.reset();
}

void TestStartup::storedCameraIndexPastTheCountIsClamped() {
    env.writeProfile("DevIndex=5\n");
    core().script.cameraCount = 2;
    auto form = build();
    QCOMPARE(form->cameras().main(), 1);
    QCOMPARE(core().callsOf("OrvOpenCamera").first().args[0].toInt(), 1);
    QCOMPARE(form->widgets()->comboBoxDev->currentIndex(), 1);
    form.reset();
    // The clamped index is what is stored.
    QVERIFY(env.readProfile().contains("DevIndex=1"));
}

void TestStartup::viceCameraOpensBeforeTheMainCameraWhenStoredOpen() {
    env.writeProfile("DevIndex=1\nOpenSub=1\n");
    core().script.cameraCount = 2;
    auto form = build();
    const QList<fake::Call> opens = core().callsOf("OrvOpenCamera");
    QCOMPARE(opens.size(), 2);
    QCOMPARE(opens[0].args[0].toInt(), 0);
    QCOMPARE(opens[0].args[1].toULongLong(), qulonglong(form->cameras().surfaces().viceArea));
    QCOMPARE(opens[1].args[0].toInt(), 1);
    QCOMPARE(opens[1].args[1].toULongLong(), qulonglong(form->cameras().surfaces().preview));
    QCOMPARE(form->widgets()->comboBoxDev_2->count(), 1);
    QCOMPARE(form->cameras().vice(), 0);
    QVERIFY(form->widgets()->pushButtonSwitchMainSub->isEnabled());
    form.reset();
}

void TestStartup::removalThenArrivalReopensOnce() {
    core().script.cameraCount = 1;
    auto form = build();
    QVERIFY(core().deviceCallback);
    const int opensBefore = core().count("OrvOpenCamera");

    // Another camera leaving does not make the main one missing.
    core().script.cameraCount = 2;
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    core().script.cameraCount = 1;
    core().deviceCallback(ORV_DEVICE_REMOVE_COMPLETE);
    QCoreApplication::processEvents();
    QVERIFY(!form->cameras().cameraMissing());
    core().script.cameraCount = 0;
    core().deviceCallback(ORV_DEVICE_REMOVE_COMPLETE);
    QTRY_VERIFY(form->cameras().cameraMissing());
    core().script.cameraCount = 1;
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    QTRY_COMPARE(core().count("OrvOpenCamera"), opensBefore + 1);
    QVERIFY(!form->cameras().cameraMissing());

    // A second arrival without a removal in between does nothing.
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    QCoreApplication::processEvents();
    QCOMPARE(core().count("OrvOpenCamera"), opensBefore + 1);
    form.reset();
}

void TestStartup::arrivalAfterMissingCameraAtStartOpensIt() {
    core().script.cameraCount = 0;
    auto form = build();
    QVERIFY(form->cameras().cameraMissing());
    core().script.cameraCount = 1;
    // Events from an engine thread reach the window on the GUI thread.
    std::thread engine([] { core().deviceCallback(ORV_DEVICE_ARRIVAL); });
    engine.join();
    QTRY_VERIFY(!form->cameras().cameraMissing());
    const fake::Call reopen = core().callsOf("OrvOpenCamera").last();
    QCOMPARE(reopen.args[0].toInt(), 0);
    QCOMPARE(reopen.args[1].toULongLong(), qulonglong(form->cameras().surfaces().preview));
    form.reset();
}

void TestStartup::exitClosesBothCamerasBeforeWritingSettings() {
    core().script.cameraCount = 2;
    auto form = build();
    QList<bool> profileExistedAtClose;
    const QString profile = env.profilePath();
    core().onCall = [&](const fake::Call& c) {
        if (c.name == "OrvCloseCamera")
            profileExistedAtClose << QFileInfo::exists(profile);
    };
    QVERIFY(!QFileInfo::exists(profile));
    form.reset();
    QCOMPARE(profileExistedAtClose, (QList<bool>{false, false}));
    const QList<fake::Call> closes = core().callsOf("OrvCloseCamera");
    QCOMPARE(closes.size(), 2);
    QCOMPARE(closes[0].args[0].toInt(), 0); // main
    QCOMPARE(closes[1].args[0].toInt(), 1); // vice, opened or not
    QVERIFY(QFileInfo::exists(profile));
    QCOMPARE(env.exitCodes, QList<int>{0});
    // The notification is withdrawn.
    QVERIFY(!core().deviceCallback);
}

void TestStartup::exitCodeIsZeroWhateverTheEventLoopReturned() {
    auto form = build();
    QTimer::singleShot(0, [] { QCoreApplication::exit(3); });
    QCOMPARE(QCoreApplication::exec(), 3);
    form.reset();
    QCOMPARE(env.exitCodes, QList<int>{0});
}

void TestStartup::settingsComeBackAfterARestart() {
    auto form = build();
    form->onSliderJPG(42);
    form->widgets()->pushButtonRotateRight->click();
    form->widgets()->pushButtonRotateRight->click();
    form.reset();
    const QByteArray written = env.readProfile();
    QVERIFY(written.contains("JPGQuality=42"));
    // A profile the user edited by hand keeps its ShowRatio.
    QVERIFY(!written.contains("ShowRatio"));

    core().reset();
    form = build();
    QCOMPARE(AppTestEnv::saved(form).JPGQuality, 42);
    QCOMPARE(form->widgets()->label_JPG->text(), QStringLiteral("42"));
    // Start-up rotation code 2 for 180 degrees.
    QCOMPARE(core().callsOf("OrvSetRotate").first().args[1].toInt(), 2);
    form.reset();
}

void TestStartup::hideDoesNotCloseTheWindow() {
    auto form = build();
    form->hide();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    form->show();
    QVERIFY(form->isVisible());
    form.reset();
}

void TestStartup::zoomCallbackFromAnotherThreadMovesTheSliderOnTheGuiThread() {
    core().script.minZoom = 1.0f;
    core().script.maxZoom = 4.0f;
    auto form = build();
    QVERIFY(core().zoomCallback);
    OrvZoomCallback cb = core().zoomCallback;
    std::thread engine([cb] { cb(2.5f); });
    engine.join();
    QTRY_COMPARE(form->widgets()->horizontalSliderScale->value(), 50);
    cb(4.5f); // out of range: ignored
    QCoreApplication::processEvents();
    QCOMPARE(form->widgets()->horizontalSliderScale->value(), 50);
    form.reset();
}

void TestStartup::unwritableSettingsFolderIsReportedOnce() {
    // A file where the settings folder should be: nothing can be created there.
    QFile blocker(env.documents() + QStringLiteral("/Orvanta"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto form = build();
    env.messages.clear();
    form.reset();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("写配置文件失败, 参数不能记忆!"));
    QCOMPARE(env.messages.first().second, QStringLiteral("提示"));
    QCOMPARE(env.exitCodes, QList<int>{0});
}

void TestStartup::settingsAreKeptWhenTheWorkingFolderIsElsewhere() {
    // The working folder exists elsewhere, the settings folder does not yet.
    QTemporaryDir work;
    const QString profile = env.profilePath();
    env.writeProfile("WorkPath=" + work.path().toLocal8Bit() + "\nJPGQuality=33\n");
    auto form = build();
    QDir(env.documents() + QStringLiteral("/Orvanta")).removeRecursively();
    form.reset();
    QVERIFY(QFileInfo::exists(profile));
    QVERIFY(env.readProfile().contains("JPGQuality=33"));
    QVERIFY(env.readProfile().contains("WorkPath=" + work.path().toLocal8Bit()));
}

void TestStartup::cameraArrivingAfterNoneFillsTheControls() {
    env.writeProfile("JPGQuality=55\n");
    core().script.cameraCount = 0;
    core().script.minZoom = 1.0f;
    core().script.maxZoom = 8.0f;
    auto form = build();
    QCOMPARE(form->widgets()->comboBoxDev->count(), 0);
    core().script.cameraCount = 2;
    core().calls.clear();
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    QTRY_VERIFY(!form->cameras().cameraMissing());
    QCOMPARE(form->widgets()->comboBoxDev->count(), 2);
    QCOMPARE(form->widgets()->comboBoxRes->count(), 3);
    QVERIFY(form->widgets()->checkBoxPIP->isEnabled());
    QCOMPARE(form->cameras().maxZoom(), 8.0f);
    QCOMPARE(core().callsOf("OrvSetJpgQuality").last().args, (QVariantList{0, 55}));
    QCOMPARE(core().callsOf("OrvSetDPI").last().args,
             (QVariantList{0, form->widgets()->comboBoxDPI->currentText().toInt()}));
    QVERIFY(core().zoomCallback);
    // The zoom slider works on the camera's range.
    form->widgets()->horizontalSliderScale->setValue(100);
    emit form->widgets()->horizontalSliderScale->sliderReleased();
    QCOMPARE(core().callsOf("OrvZoom").last().args[1].toFloat(), 8.0f);
    form.reset();
}

void TestStartup::enterAndEscapeLeaveTheWindowAlone() {
    env.writeProfile("AutoExp=1\n");
    core().script.cameraCount = 0;
    auto form = build();
    form->activateWindow();
    core().calls.clear();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
        QTest::keyClick(form.get(), key);
    QCoreApplication::processEvents();
    QVERIFY(form->isVisible());
    QCOMPARE(core().count("OrvShowVideoProperty"), 0);
    QVERIFY(AppTestEnv::saved(form).AutoExp);
    form.reset();
    QVERIFY(env.readProfile().contains("AutoExp=1"));
}

void TestStartup::oversizedSettingsFileIsReported() {
    env.writeProfile("JPGQuality=80\n" + QByteArray(2 << 20, '#') + "\n");
    auto form = build();
    env.messages.clear();
    form.reset();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("写配置文件失败, 参数不能记忆!"));
}

void TestStartup::terminationDuringAStartupMessageIsKept() {
    platform::quitOnTerminationSignals();
    core().script.cameraCount = 0; // start-up shows "connect the camera"
    platform::setMessageHandler([](const QString&, const QString&) {
        ::raise(SIGTERM);
        // The box's own event loop runs while it is open.
        QTest::qWait(50);
    });
    auto form = build();
    QVERIFY(platform::terminationRequested());
    // The main loop is not entered: the program ends as after a close.
    QCOMPARE(platform::runEventLoop(), 0);
    form.reset();
    QCOMPARE(env.exitCodes, QList<int>{0});
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
