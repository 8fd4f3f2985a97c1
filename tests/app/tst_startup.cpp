// Start-up, hot-plug and exit of the main window, seen through the fake
// camera library.

#include "AppTestEnv.h"
#include "ui_MainForm.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QtTest>

#include <thread>

using fake::core;

class TestStartup : public QObject {
    Q_OBJECT
    AppTestEnv env;

    // Builds the window; the caller deletes it (which "ends the process").
    MainForm* build() { return new MainForm; }

private slots:
    void init() { env.setUp(); }

    void constructionCallsTheLibraryInOrder();
    void noCameraShowsOneMessageInTheConfiguredLanguage_data();
    void noCameraShowsOneMessageInTheConfiguredLanguage();
    void storedCameraIndexPastTheCountIsClamped();
    void viceCameraOpensBeforeTheMainCameraWhenStoredOpen();
    void removalThenArrivalReopensOnce();
    void arrivalAfterMissingCameraAtStartOpensIt();
    void exitClosesBothCamerasBeforeWritingSettings();
    void exitCodeIsZeroWhateverTheEventLoopReturned();
    void settingsComeBackAfterARestart();
    void hideDoesNotCloseTheWindow();
    void unwritableSettingsFolderIsReportedOnce();
    void settingsAreKeptWhenTheWorkingFolderIsElsewhere();
    void zoomCallbackFromAnotherThreadMovesTheSliderOnTheGuiThread();
};

void TestStartup::constructionCallsTheLibraryInOrder() {
    core().script.cameraCount = 1;
    MainForm* form = build();
    const QStringList watched = {"OrvInit",
                                 "OrvSetDefaultResolution",
                                 "OrvOpenCamera",
                                 "OrvSetResize",
                                 "OrvSetShowZoomRate",
                                 "OrvSetDPI",
                                 "OrvGetResCount",
                                 "OrvGetExposure",
                                 "OrvSetJpgQuality",
                                 "OrvGetMinZoomRatio",
                                 "OrvGetMaxZoomRatio",
                                 "OrvSetZoomCB",
                                 "OrvSetRotate",
                                 "OrvDelBackColor",
                                 "OrvEnableAutoRotate",
                                 "OrvSetDeviceChangeCB"};
    QStringList firsts;
    for (const QString& n : core().names(watched))
        if (!firsts.contains(n))
            firsts << n;
    QCOMPARE(firsts, watched);

    // The main camera opens into the preview surface, after its default
    // resolution was set; video size is read at resolution 0.
    const fake::Call open = core().callsOf("OrvOpenCamera").first();
    QCOMPARE(open.args[0].toInt(), 0);
    QCOMPARE(open.args[1].toULongLong(), qulonglong(form->previewHandle));
    QVERIFY(form->previewHandle != 0);
    QCOMPARE(form->videoWidth, 2592);
    QCOMPARE(form->videoHeight, 1944);
    // DPI list entry 1 ("200") without a profile file.
    QCOMPARE(core().callsOf("OrvSetDPI").first().args[1].toInt(), 200);
    QCOMPARE(form->ui->comboBoxRes->count(), 3);
    QCOMPARE(form->ui->comboBoxRes->itemText(1), QStringLiteral("1600x1200"));
    QVERIFY(env.messages.isEmpty());
    delete form;
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
    QTest::newRow("other") << QByteArray("2") << QString() << QString();
}

void TestStartup::noCameraShowsOneMessageInTheConfiguredLanguage() {
    QFETCH(QByteArray, language);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    env.writeProfile("Language=" + language + "\n");
    core().script.cameraCount = 0;
    MainForm* form = build();
    QVERIFY(form->cameraMissing);
    if (text.isEmpty()) {
        QVERIFY(env.messages.isEmpty());
    } else {
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages.first().first, text);
        QCOMPARE(env.messages.first().second, caption);
    }
    QVERIFY(form->isVisible());
    QVERIFY(!form->ui->checkBoxPIP->isEnabled());
    delete form;
}

void TestStartup::storedCameraIndexPastTheCountIsClamped() {
    env.writeProfile("DevIndex=5\n");
    core().script.cameraCount = 2;
    MainForm* form = build();
    QCOMPARE(form->cfg.mainCameraIndex, 1);
    QCOMPARE(core().callsOf("OrvOpenCamera").first().args[0].toInt(), 1);
    QCOMPARE(form->ui->comboBoxDev->currentIndex(), 1);
    delete form;
    // The clamped index is what is stored.
    QVERIFY(env.readProfile().contains("DevIndex=1"));
}

void TestStartup::viceCameraOpensBeforeTheMainCameraWhenStoredOpen() {
    env.writeProfile("DevIndex=1\nOpenSub=1\n");
    core().script.cameraCount = 2;
    MainForm* form = build();
    const QList<fake::Call> opens = core().callsOf("OrvOpenCamera");
    QCOMPARE(opens.size(), 2);
    QCOMPARE(opens[0].args[0].toInt(), 0);
    QCOMPARE(opens[0].args[1].toULongLong(), qulonglong(form->viceAreaHandle));
    QCOMPARE(opens[1].args[0].toInt(), 1);
    QCOMPARE(opens[1].args[1].toULongLong(), qulonglong(form->previewHandle));
    QCOMPARE(form->ui->comboBoxDev_2->count(), 1);
    QCOMPARE(form->viceCameraIndex, 0);
    QVERIFY(form->ui->pushButtonSwitchMainSub->isEnabled());
    delete form;
}

void TestStartup::removalThenArrivalReopensOnce() {
    core().script.cameraCount = 1;
    MainForm* form = build();
    QVERIFY(core().deviceCallback);
    const int opensBefore = core().count("OrvOpenCamera");

    core().deviceCallback(ORV_DEVICE_REMOVE_COMPLETE);
    QTRY_VERIFY(form->cameraMissing);
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    QTRY_COMPARE(core().count("OrvOpenCamera"), opensBefore + 1);
    QVERIFY(!form->cameraMissing);

    // A second arrival without a removal in between does nothing.
    core().deviceCallback(ORV_DEVICE_ARRIVAL);
    QCoreApplication::processEvents();
    QCOMPARE(core().count("OrvOpenCamera"), opensBefore + 1);
    delete form;
}

void TestStartup::arrivalAfterMissingCameraAtStartOpensIt() {
    core().script.cameraCount = 0;
    MainForm* form = build();
    QVERIFY(form->cameraMissing);
    core().script.cameraCount = 1;
    // Events from an engine thread reach the window on the GUI thread.
    std::thread engine([] { core().deviceCallback(ORV_DEVICE_ARRIVAL); });
    engine.join();
    QTRY_VERIFY(!form->cameraMissing);
    const fake::Call reopen = core().callsOf("OrvOpenCamera").last();
    QCOMPARE(reopen.args[0].toInt(), 0);
    QCOMPARE(reopen.args[1].toULongLong(), qulonglong(form->previewHandle));
    delete form;
}

void TestStartup::exitClosesBothCamerasBeforeWritingSettings() {
    core().script.cameraCount = 2;
    MainForm* form = build();
    QList<bool> profileExistedAtClose;
    const QString profile = env.profilePath();
    core().onCall = [&](const fake::Call& c) {
        if (c.name == "OrvCloseCamera")
            profileExistedAtClose << QFileInfo::exists(profile);
    };
    QVERIFY(!QFileInfo::exists(profile));
    delete form;
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
    MainForm* form = build();
    QTimer::singleShot(0, [] { QCoreApplication::exit(3); });
    QCOMPARE(QCoreApplication::exec(), 3);
    delete form;
    QCOMPARE(env.exitCodes, QList<int>{0});
}

void TestStartup::settingsComeBackAfterARestart() {
    MainForm* form = build();
    form->cfg.JPGQuality = 42;
    form->cfg.RotateAngle = 180;
    delete form;
    const QByteArray written = env.readProfile();
    QVERIFY(written.contains("JPGQuality=42"));
    // A profile the user edited by hand keeps its ShowRatio.
    QVERIFY(!written.contains("ShowRatio"));

    core().reset();
    form = build();
    QCOMPARE(form->cfg.JPGQuality, 42);
    QCOMPARE(form->ui->label_JPG->text(), QStringLiteral("42"));
    // Start-up rotation code 2 for 180 degrees.
    QCOMPARE(core().callsOf("OrvSetRotate").first().args[1].toInt(), 2);
    delete form;
}

void TestStartup::hideDoesNotCloseTheWindow() {
    MainForm* form = build();
    form->hide();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    form->show();
    QVERIFY(form->isVisible());
    delete form;
}

void TestStartup::zoomCallbackFromAnotherThreadMovesTheSliderOnTheGuiThread() {
    core().script.minZoom = 1.0f;
    core().script.maxZoom = 4.0f;
    MainForm* form = build();
    QVERIFY(core().zoomCallback);
    OrvZoomCallback cb = core().zoomCallback;
    std::thread engine([cb] { cb(2.5f); });
    engine.join();
    QTRY_COMPARE(form->ui->horizontalSliderScale->value(), 50);
    cb(4.5f); // out of range: ignored
    QCoreApplication::processEvents();
    QCOMPARE(form->ui->horizontalSliderScale->value(), 50);
    delete form;
}

void TestStartup::unwritableSettingsFolderIsReportedOnce() {
    // A file where the settings folder should be: nothing can be created there.
    QFile blocker(env.documents() + QStringLiteral("/Orvanta"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MainForm* form = build();
    env.messages.clear();
    delete form;
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("写配置文件失败, 参数不能记忆!"));
    QCOMPARE(env.messages.first().second, QStringLiteral("提示"));
    QCOMPARE(env.exitCodes, QList<int>{0});
}

void TestStartup::settingsAreKeptWhenTheWorkingFolderIsElsewhere() {
    // The working folder exists elsewhere, the settings folder does not yet.
    QTemporaryDir work;
    const QString profile = env.profilePath();
    MainForm* form = build();
    QDir(env.documents() + QStringLiteral("/Orvanta")).removeRecursively();
    form->cfg.workPath = work.path().toLocal8Bit();
    form->cfg.JPGQuality = 33;
    delete form;
    QVERIFY(QFileInfo::exists(profile));
    QVERIFY(env.readProfile().contains("JPGQuality=33"));
    QVERIFY(env.readProfile().contains("WorkPath=" + work.path().toLocal8Bit()));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
