// Recording commands against the fake camera library: what the record
// buttons start and stop, under which names, across a language switch and at
// exit.

#include "AppTestEnv.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "ui_MainForm.h"

#include <QLabel>
#include <QtTest>

using fake::core;

namespace {

const QDateTime kStart(QDate(2024, 1, 5), QTime(13, 45, 12));

QList<QByteArray> startedPaths() {
    QList<QByteArray> out;
    for (const fake::Call& c : core().callsOf("OrvStartRecord"))
        out << c.args[1].toByteArray();
    return out;
}

QList<int> stoppedCameras() {
    QList<int> out;
    for (const fake::Call& c : core().callsOf("OrvStopRecord"))
        out << c.args[0].toInt();
    return out;
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT
    AppTestEnv env;

    std::unique_ptr<MainForm> makeForm(int language) {
        env.writeProfile("Language=" + QByteArray::number(language) + "\n");
        core().script.cameraCount = 2;
        return env.makeForm();
    }

private slots:
    void init() {
        env.setUp();
        platform::setClock([] { return kStart; });
    }
    void cleanup() { platform::setClock({}); }

    void pressStartsThenStops_data();
    void pressStartsThenStops();
    void otherCaptionsOrLanguagesDoNothing();
    void languageSwitchKeepsTheRecordingStoppable();
    void sameSecondGetsDistinctNamesAndExitStopsAll();
    void refusedStartIsReported_data();
    void refusedStartIsReported();
    void storedMicrophoneIsUsedFromTheStart_data();
    void storedMicrophoneIsUsedFromTheStart();
    void cameraChangesThatWouldEndARecordingAreRefused();
    void recordingEndedByTheLibraryIsShown_data();
    void recordingEndedByTheLibraryIsShown();
    void droppedFramesShowBesideTheElapsedTime();
    void recordingFollowsItsCameraWhenAnotherLeaves_data();
    void recordingFollowsItsCameraWhenAnotherLeaves();
};

void TestRecording::pressStartsThenStops_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("idle");
    QTest::addColumn<QString>("recording");
    QTest::newRow("Chinese") << 0 << QStringLiteral("开始录像") << QStringLiteral("停止录像");
    QTest::newRow("English") << 1 << QStringLiteral("Record") << QStringLiteral("Stop");
}

// Press, press: one file named after the first press, recorded with sound
// from the main camera; the caption is changed before the library is called.
void TestRecording::pressStartsThenStops() {
    QFETCH(int, language);
    QFETCH(QString, idle);
    QFETCH(QString, recording);
    auto form = makeForm(language);
    QCOMPARE(form->widgets()->pushButtonRec->text(), idle);
    QStringList captionsAtCall;
    core().onCall = [&](const fake::Call& c) {
        if (c.name == "OrvStartRecord" || c.name == "OrvStopRecord")
            captionsAtCall << form->widgets()->pushButtonRec->text();
    };
    core().calls.clear();
    form->widgets()->pushButtonRec->click();
    QCOMPARE(form->widgets()->pushButtonRec->text(), recording);
    const QList<fake::Call> starts = core().callsOf("OrvStartRecord");
    QCOMPARE(starts.size(), 1);
    QCOMPARE(starts[0].args[0].toInt(), form->cameras().main());
    QCOMPARE(starts[0].args[1].toByteArray(),
             AppTestEnv::saved(form).workPath + "/20240105134512.wmv");
    QCOMPARE(starts[0].args[2].toBool(), true);
    const auto* elapsed = form->findChild<QLabel*>(QStringLiteral("labelRecordMain"));
    QVERIFY(elapsed && elapsed->isVisible());
    QCOMPARE(elapsed->text(), QStringLiteral("\u25CF 00:00"));

    platform::setClock([] { return kStart.addSecs(30); });
    form->widgets()->pushButtonRec->click();
    QCOMPARE(form->widgets()->pushButtonRec->text(), idle);
    QCOMPARE(stoppedCameras(), QList<int>{form->cameras().main()});
    QCOMPARE(core().count("OrvStartRecord"), 1);
    QVERIFY(!elapsed->isVisible());
    QCOMPARE(captionsAtCall, (QStringList{recording, idle}));
    QVERIFY(env.messages.isEmpty());
    core().onCall = nullptr;
    form.reset();
    QCOMPARE(core().count("OrvStopRecord"), 1); // nothing left to stop at exit
}

// A caption changed from outside, or a language without texts: no call.
void TestRecording::otherCaptionsOrLanguagesDoNothing() {
    auto form = makeForm(0);
    core().calls.clear();
    form->widgets()->pushButtonRec->setText(QStringLiteral("Record")); // English text in Chinese
    form->widgets()->pushButtonRec->click();
    form->widgets()->pushButtonRec->setText(QStringLiteral("录像"));
    form->widgets()->pushButtonRec->click();
    QCOMPARE(core().count("OrvStartRecord") + core().count("OrvStopRecord"), 0);
    form.reset();

    // A language without texts keeps the form's captions, and presses do nothing.
    form = makeForm(2);
    core().calls.clear();
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("开始录像"));
    form->widgets()->pushButtonRec->click();
    form->onSubRecord();
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("开始录像"));
    form.reset();
    QCOMPARE(core().count("OrvStartRecord") + core().count("OrvStopRecord"), 0);
}

// A recording keeps running through a language switch, shows the recording
// caption of the new language and stops with the next press.
void TestRecording::languageSwitchKeepsTheRecordingStoppable() {
    auto form = makeForm(0);
    form->widgets()->pushButtonRec->click();
    QCOMPARE(core().count("OrvStartRecord"), 1);
    form->onEnglish();
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("Stop"));
    QCOMPARE(form->widgets()->pushButtonSubRec->text(), QStringLiteral("Record"));
    QCOMPARE(core().count("OrvStopRecord"), 0);
    form->onChinese();
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("停止录像"));
    form->onEnglish();
    form->widgets()->pushButtonRec->click();
    QCOMPARE(stoppedCameras(), QList<int>{form->cameras().main()});
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("Record"));
    QCOMPARE(core().count("OrvStartRecord"), 1);
    form.reset();
}

// Main and vice started in the same second: two names, the later one with a
// suffix. Closing the program stops both before the cameras close.
void TestRecording::sameSecondGetsDistinctNamesAndExitStopsAll() {
    auto form = makeForm(0);
    const QByteArray folder = AppTestEnv::saved(form).workPath;
    form->widgets()->pushButtonRec->click();
    form->onSubRecord();
    QCOMPARE(startedPaths(),
             (QList<QByteArray>{folder + "/20240105134512.wmv", folder + "/20240105134512_1.wmv"}));
    QCOMPARE(form->widgets()->pushButtonSubRec->text(), QStringLiteral("停止录像"));
    const int vice = form->cameras().vice();
    QCOMPARE(core().callsOf("OrvStartRecord")[1].args[0].toInt(), vice);

    core().calls.clear();
    form.reset();
    QCOMPARE(stoppedCameras(), (QList<int>{0, vice}));
    const int lastStop = core().names().lastIndexOf(QStringLiteral("OrvStopRecord"));
    QVERIFY(lastStop >= 0 && lastStop < core().indexOf("OrvCloseCamera"));
}

void TestRecording::refusedStartIsReported_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");
    QTest::newRow("failed") << int(ORV_RECORD_FAILED) << QStringLiteral("Recording failed!")
                            << QStringLiteral("录像失败!");
    QTest::newRow("folder") << int(ORV_RECORD_FOLDER_NOT_WRITABLE)
                            << QStringLiteral(
                                   "Recording failed: the working folder cannot be written!")
                            << QStringLiteral("录像失败: 工作文件夹不能写入!");
    QTest::newRow("exists") << int(ORV_RECORD_FILE_EXISTS)
                            << QStringLiteral("Recording failed: the file exists already!")
                            << QStringLiteral("录像失败: 文件已存在!");
    QTest::newRow("closed") << int(ORV_RECORD_CAMERA_CLOSED)
                            << QStringLiteral("Recording failed: the camera is not open!")
                            << QStringLiteral("录像失败: 摄像头未打开!");
    QTest::newRow("disk full") << int(ORV_RECORD_DISK_FULL)
                               << QStringLiteral("Recording failed: the disk is full!")
                               << QStringLiteral("录像失败: 磁盘已满!");
}

// A start the library refuses is reported with its reason; the button is
// ready to start again.
void TestRecording::refusedStartIsReported() {
    QFETCH(int, result);
    QFETCH(QString, english);
    QFETCH(QString, chinese);
    auto form = makeForm(0);
    core().script.startRecordResult = result;
    form->widgets()->pushButtonRec->click();
    form->onEnglish();
    form->widgets()->pushButtonRec->click();
    QCOMPARE(env.messages.size(), 2);
    QCOMPARE(env.messages[0].first, chinese);
    QCOMPARE(env.messages[1].first, english);
    QCOMPARE(form->widgets()->pushButtonRec->text(), QStringLiteral("Record"));
    core().script.startRecordResult = 0;
    form->widgets()->pushButtonRec->click();
    QCOMPARE(core().count("OrvStartRecord"), 3);
    QCOMPARE(core().count("OrvStopRecord"), 0);
    form.reset();
    QCOMPARE(core().count("OrvStopRecord"), 1);
}

void TestRecording::storedMicrophoneIsUsedFromTheStart_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QVariantList>("passed");
    QTest::newRow("second of two") << QByteArray("1") << QVariantList{1};
    QTest::newRow("first") << QByteArray("0") << QVariantList{0};
    QTest::newRow("gone since") << QByteArray("2") << QVariantList{};
    QTest::newRow("negative") << QByteArray("-1") << QVariantList{};
}

// The microphone stored in the profile is handed to the library at start,
// when the library lists it.
void TestRecording::storedMicrophoneIsUsedFromTheStart() {
    QFETCH(QByteArray, stored);
    QFETCH(QVariantList, passed);
    env.writeProfile("AudioIndex=" + stored + "\n");
    core().script.audioNames = {"Mic A", "Mic B"};
    auto form = env.makeForm();
    QVariantList got;
    for (const fake::Call& c : core().callsOf("OrvSetAudioDev"))
        got << c.args[0];
    QCOMPARE(got, passed);
    form.reset();
}

// A recording ends only with a press of its button: a camera change that
// would close its camera is refused with a message and the controls show
// the cameras as they are; a swap keeps both cameras open and is made.
void TestRecording::cameraChangesThatWouldEndARecordingAreRefused() {
    auto form = makeForm(0);
    Ui::MainForm* ui = form->widgets();
    const QString refused = QStringLiteral("正在录像, 请先停止录像再切换摄像头!");
    ui->pushButtonRec->click();
    ui->comboBoxDev->setCurrentIndex(1); // another main camera
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].first, refused);
    QCOMPARE(ui->comboBoxDev->currentIndex(), 0);
    QCOMPARE(form->cameras().main(), 0);

    ui->checkBoxPIP->click(); // the vice preview may start
    QVERIFY(form->cameras().viceOn());
    ui->pushButtonSubRec->click();
    ui->checkBoxPIP->click(); // but not end while the vice records
    QCOMPARE(env.messages.size(), 2);
    QVERIFY(form->cameras().viceOn());
    QVERIFY(ui->checkBoxPIP->isChecked());
    QVERIFY(!ui->pushButtonSubRec->isHidden());
    QCOMPARE(core().count("OrvCloseCamera"), 0);

    ui->comboBoxDev->setCurrentIndex(1); // the vice camera: a swap
    QCOMPARE(env.messages.size(), 2);
    QCOMPARE(form->cameras().main(), 1);
    QCOMPARE(core().recording, (QList<int>{0, 1}));
    QCOMPARE(ui->pushButtonRec->text(), QStringLiteral("停止录像"));
    ui->pushButtonRec->click(); // stops the camera it started on
    ui->pushButtonSubRec->click();
    QCOMPARE(stoppedCameras(), (QList<int>{0, 1}));
    QCOMPARE(env.messages.size(), 2);
    ui->checkBoxPIP->click(); // nothing records now
    QVERIFY(!form->cameras().viceOn());
    form.reset();
}

void TestRecording::recordingEndedByTheLibraryIsShown_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("message");
    QTest::newRow("disk full") << int(ORV_RECORD_END_DISK_FULL) << true
                               << QStringLiteral("磁盘已满, 录像已停止并保存!");
    QTest::newRow("camera gone") << int(ORV_RECORD_END_CAMERA_CLOSED) << true
                                 << QStringLiteral("摄像头已关闭, 录像已停止并保存!");
    QTest::newRow("not saved") << int(ORV_RECORD_END_WRITE_FAILED) << false
                               << QStringLiteral("录像保存失败!");
}

// A recording the library ended itself: the button is ready to start, the
// elapsed time goes, the message says what happened; the next press starts
// a new recording and nothing is left to stop at exit.
void TestRecording::recordingEndedByTheLibraryIsShown() {
    QFETCH(int, reason);
    QFETCH(bool, saved);
    QFETCH(QString, message);
    auto form = makeForm(0);
    Ui::MainForm* ui = form->widgets();
    ui->pushButtonRec->click();
    const auto* elapsed = form->findChild<QLabel*>(QStringLiteral("labelRecordMain"));
    QVERIFY(elapsed->isVisible());
    core().endRecording(0, reason, saved);
    QCOMPARE(ui->pushButtonRec->text(), QStringLiteral("开始录像"));
    QVERIFY(!elapsed->isVisible());
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].first, message);
    ui->pushButtonRec->click();
    QCOMPARE(core().count("OrvStartRecord"), 2);
    QCOMPARE(env.messages.size(), 1);
    core().calls.clear();
    form.reset();
    QCOMPARE(stoppedCameras(), QList<int>{0});
}

// Frames the library dropped show beside the elapsed time, in the window's
// language, once there are any.
void TestRecording::droppedFramesShowBesideTheElapsedTime() {
    auto form = makeForm(0);
    form->widgets()->pushButtonRec->click();
    const auto* elapsed = form->findChild<QLabel*>(QStringLiteral("labelRecordMain"));
    QCOMPARE(elapsed->text(), QStringLiteral("\u25CF 00:00"));
    core().script.recordDroppedFrames = 12;
    QTRY_COMPARE(elapsed->text(), QStringLiteral("\u25CF 00:00  丢帧 12"));
    form->onEnglish();
    QTRY_COMPARE(elapsed->text(), QStringLiteral("\u25CF 00:00  12 frames dropped"));
    form.reset();
}

void TestRecording::recordingFollowsItsCameraWhenAnotherLeaves_data() {
    QTest::addColumn<bool>("endedByTheLibrary");
    QTest::newRow("stopped by the user") << false;
    QTest::newRow("ended by the library") << true;
}

// A camera listed before the recording one leaves and the indices move: the
// recording is stopped, or its end taken, by the index its camera has now.
void TestRecording::recordingFollowsItsCameraWhenAnotherLeaves() {
    QFETCH(bool, endedByTheLibrary);
    env.writeProfile("DevIndex=1\n");
    core().script.cameraCount = 2;
    core().script.names = {"Left", "Right"};
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    ui->pushButtonRec->click();
    QCOMPARE(core().recording, QList<int>{1});

    // "Left" is unplugged: the library lists "Right" first, recording still.
    core().script.cameraCount = 1;
    core().script.names = {"Right"};
    core().recording = {0};
    core().deviceCallback(ORV_DEVICE_REMOVE_COMPLETE);
    QTRY_COMPARE(form->cameras().main(), 0);
    if (endedByTheLibrary)
        core().endRecording(0, ORV_RECORD_END_DISK_FULL, true);
    else
        ui->pushButtonRec->click();
    QCOMPARE(ui->pushButtonRec->text(), QStringLiteral("开始录像"));
    QVERIFY(core().recording.isEmpty());
    QCOMPARE(env.messages.size(), endedByTheLibrary ? 1 : 0);
    core().calls.clear();
    form.reset();
    QVERIFY(stoppedCameras().isEmpty()); // nothing is left running at exit
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
