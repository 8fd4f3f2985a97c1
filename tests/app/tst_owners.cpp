// The main window's owners without widgets, each over one table: the naming
// panel, the picture controls and the device panel (against the fake camera
// library), the window frame, the small window's fit and placement, the hand-off to a
// scanning driver.

#include "FakeOrvCore.h"
#include "camera/CameraPair.h"
#include "camera/DevicePanel.h"
#include "camera/PictureControls.h"
#include "camera/SmallWindowGeometry.h"
#include "capture/CaptureService.h"
#include "capture/DriverHandoff.h"
#include "capture/NamingPanel.h"
#include "capture/ThumbnailStrip.h"
#include "config/Settings.h"
#include "platform/DriverWindow.h"
#include "platform/Messages.h"
#include "shell/Language.h"
#include "shell/WindowFrame.h"

#include <QBuffer>
#include <QImageReader>
#include <QtTest>

class TestOwners : public QObject {
    Q_OBJECT
    QStringList messages;
    ThumbnailStrip strip; // the library keeps its items for the process

private slots:
    void init() {
        messages.clear();
        platform::setMessageHandler(
            [this](const QString& text, const QString&) { messages << text; });
    }
    void cleanup() { platform::setMessageHandler({}); }
    void initTestCase() {
        // The strip's thumbnails are made on its own threads; with the image
        // plugins loaded here no thread loads one while the library unloads.
        for (const QByteArray& format : QImageReader::supportedImageFormats()) {
            QBuffer none;
            QImageReader(&none, format).canRead();
        }
        QVERIFY(strip.load(QCoreApplication::applicationDirPath() + '/' +
                               QLatin1String(ThumbnailStrip::libraryFileName()),
                           0));
    }
    // Its items go while the application still runs.
    void cleanupTestCase() { strip.unload(); }

    void namingPanel_data();
    void namingPanel();
    void pictureControls_data();
    void pictureControls();
    void devicePanel_data();
    void devicePanel();
    void windowFrame_data();
    void windowFrame();
    void fitWait_data();
    void fitWait();
    void placement_data();
    void placement();
    void driverHandoff_data();
    void driverHandoff();
};

// One edit of the naming panel from the stored rule, in a language: whether
// it was taken, the message, the value stored after it and what the panel
// shows.
void TestOwners::namingPanel_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("stored"); // the edited value as the panel shows it
    QTest::addColumn<QString>("shown");  // counter boxes, name box, label, name box text, width
    const QString digits = QStringLiteral("请输入[1-20]之间的数字!");
    const QString step = QStringLiteral("请输入[1-100]之间的数字!");
    const QString automaticZh = QStringLiteral("counters name 前缀: Image 51");
    QTest::newRow("digits 20") << 0 << 0 << "digits"
                               << " 20 " << true << ""
                               << "20" << automaticZh;
    QTest::newRow("digits 0") << 0 << 0 << "digits"
                              << "0" << false << digits << "5" << automaticZh;
    QTest::newRow("digits 21") << 0 << 0 << "digits"
                               << "21" << false << digits << "5" << automaticZh;
    QTest::newRow("digits hex") << 0 << 0 << "digits"
                                << "0x5" << false << digits << "5" << automaticZh;
    QTest::newRow("step 100") << 0 << 0 << "step"
                              << "100" << true << ""
                              << "100" << automaticZh;
    QTest::newRow("step -1") << 0 << 0 << "step"
                             << "-1" << false << step << "1" << automaticZh;
    QTest::newRow("counter -7") << 0 << 0 << "counter"
                                << "-7" << true << ""
                                << "-7" << automaticZh;
    QTest::newRow("counter past int")
        << 0 << 0 << "counter"
        << "2147483648" << false << QStringLiteral("请输入整数!") << "0" << automaticZh;
    // English messages stay Chinese, as the program has them.
    QTest::newRow("english digits") << 1 << 0 << "digits"
                                    << "x" << false << digits << "5"
                                    << "counters name Prefix: Image 51";
    QTest::newRow("prefix") << 0 << 0 << "name"
                            << "页" << true << ""
                            << "页"
                            << "counters name 前缀: 页 51";
    QTest::newRow("custom name is no prefix") << 0 << 3 << "name"
                                              << "page" << true << ""
                                              << "Image"
                                              << "- name 文件名:  120";
    QTest::newRow("to custom") << 1 << 0 << "rule"
                               << "3" << true << ""
                               << "3"
                               << "- name 文件名:  120";
    QTest::newRow("to date") << 0 << 0 << "rule"
                             << "2" << true << ""
                             << "2"
                             << "- - ";
    QTest::newRow("to barcode") << 0 << 3 << "rule"
                                << "1" << true << ""
                                << "1"
                                << "- - ";
    QTest::newRow("to automatic") << 0 << 2 << "rule"
                                  << "0" << true << ""
                                  << "0" << automaticZh;
    QTest::newRow("same rule") << 0 << 2 << "rule"
                               << "2" << false << ""
                               << "2"
                               << "- - ";
    QTest::newRow("no rule") << 0 << 2 << "rule"
                             << "-1" << false << ""
                             << "2"
                             << "- - ";
    QTest::newRow("not a rule") << 0 << 2 << "rule"
                                << "4" << false << ""
                                << "2"
                                << "- - ";
}

void TestOwners::namingPanel() {
    QFETCH(int, language);
    QFETCH(int, rule);
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(bool, taken);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Settings cfg;
    cfg.Language = language;
    cfg.nameRule = rule;
    cfg.prefixName = "Image";
    cfg.fileNameDigits = 5;
    cfg.fileNameStep = 1;
    cfg.fileNameCounter = 0;
    shell::Language texts(cfg.Language);
    capture::NamingPanel panel(cfg, texts);

    bool result = true;
    QString after;
    if (edit == "digits") {
        result = panel.editDigits(typed);
        after = panel.digits();
    } else if (edit == "step") {
        result = panel.editStep(typed);
        after = panel.step();
    } else if (edit == "counter") {
        result = panel.editCounter(typed);
        after = panel.counter();
    } else if (edit == "name") {
        panel.editName(typed);
        after = panel.prefix();
    } else {
        result = panel.chooseRule(typed.toInt());
        after = QString::number(panel.rule());
    }
    QCOMPARE(result, taken);
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(after, stored);
    QStringList view{panel.showsCounterBoxes() ? "counters" : "-",
                     panel.showsNameBox() ? "name" : "-"};
    if (panel.showsNameBox())
        view << panel.nameLabel() << panel.nameBoxText() << QString::number(panel.nameBoxWidth());
    else
        view << QString();
    QCOMPARE(view.join(' '), shown);
}

// One change of the picture controls with main camera 2, stored manual
// exposure -4 (or automatic): the library calls and the stored settings
// (AutoExp, Exposure, JPGQuality, AutoCrop, DelBack) after it.
void TestOwners::pictureControls_data() {
    QTest::addColumn<bool>("autoExp");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("arg");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QString>("stored");
    const QString plain = QStringLiteral("0 -4 75 0 0");
    QTest::newRow("contrast") << false << "property"
                              << "1" << QStringList{"OrvSetVideoProp(2,1,false,9)"} << plain;
    QTest::newRow("exposure moved")
        << false << "exposure"
        << "-3" << QStringList{"OrvSetExposure(2,false,-3)"} << "0 -3 75 0 0";
    QTest::newRow("exposure unchanged") << false << "exposure"
                                        << "-4" << QStringList{} << plain;
    QTest::newRow("exposure under auto") << true << "exposure"
                                         << "-3" << QStringList{} << "1 -4 75 0 0";
    QTest::newRow("auto on") << false << "auto"
                             << "-4" << QStringList{"OrvSetExposure(2,true,-4)"} << "1 -4 75 0 0";
    // Automatic since start: no value shown, the stored one is set.
    QTest::newRow("auto off, nothing shown")
        << true << "manual"
        << "" << QStringList{"OrvSetExposure(2,false,-4)"} << plain;
    QTest::newRow("auto off, shown value")
        << true << "manual"
        << "-6" << QStringList{"OrvSetExposure(2,false,-6)"} << plain;
    QTest::newRow("device panel turns auto on")
        << false << "panel"
        << "" << QStringList{"OrvShowVideoProperty(2)", "OrvGetExposure(2)"} << "1 -4 75 0 0";
    QTest::newRow("jpeg") << false << "jpeg"
                          << "40" << QStringList{"OrvSetJpgQuality(2,40)"} << "0 -4 40 0 0";
    QTest::newRow("auto crop") << false << "crop"
                               << "" << QStringList{"OrvEnableAutoRotate(2,true)"} << "0 -4 75 1 0";
    QTest::newRow("background") << false << "background"
                                << "" << QStringList{"OrvDelBackColor(2,true)"} << "0 -4 75 0 1";
    for (const auto& [angle, turns] : {std::pair{0, 0}, {90, 1}, {180, 2}, {270, 3}, {45, 0}})
        QTest::addRow("rotation %d", angle)
            << false << "rotation" << QString::number(angle)
            << QStringList{QStringLiteral("OrvSetRotate(2,%1)").arg(turns)} << plain;
}

void TestOwners::pictureControls() {
    QFETCH(bool, autoExp);
    QFETCH(QString, change);
    QFETCH(QString, arg);
    QFETCH(QStringList, calls);
    QFETCH(QString, stored);
    fake::core().reset();
    fake::core().script.exposure = {true, 0, -13, -7}; // the camera runs automatic
    Settings cfg;
    cfg.mainCameraIndex = 2;
    cfg.AutoExp = autoExp;
    cfg.Exposure = -4;
    cfg.JPGQuality = 75;
    cfg.AutoCrop = false;
    cfg.DelBack = false;
    camera::CameraPair pair(cfg);
    camera::PictureControls controls(cfg, pair);
    fake::core().calls.clear();
    if (change == "property")
        controls.setProperty(arg.toInt(), 9);
    else if (change == "exposure")
        controls.moveExposure(arg.toInt());
    else if (change == "auto" || change == "manual")
        controls.setAutoExposure(change == "auto", arg);
    else if (change == "panel") {
        controls.showDevicePanel();
        QCOMPARE(controls.followCameraExposure().value, -7);
    } else if (change == "jpeg")
        controls.setJpegQuality(arg.toInt());
    else if (change == "crop")
        controls.setAutoCrop(true);
    else if (change == "background")
        controls.setBackgroundRemoval(true);
    else if (change == "rotation") {
        cfg.RotateAngle = arg.toInt();
        controls.applyStoredRotation();
    }
    QStringList seen;
    for (const fake::Call& c : fake::core().calls) {
        QStringList args;
        for (const QVariant& a : c.args)
            args << a.toString();
        seen << QString::fromLatin1(c.name) + '(' + args.join(',') + ')';
    }
    QCOMPARE(seen, calls);
    QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(int(cfg.AutoExp))
                 .arg(cfg.Exposure)
                 .arg(cfg.JPGQuality)
                 .arg(int(cfg.AutoCrop))
                 .arg(int(cfg.DelBack)),
             stored);
}

// The device panel with cameras and main camera 1 (stored resolution 0, DPI
// 100): what its lists hold, or one choice, its result and library calls.
void TestOwners::devicePanel_data() {
    QTest::addColumn<int>("cameras");
    QTest::addColumn<QString>("ask");
    QTest::addColumn<int>("arg");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("devices") << 3 << "devices" << 0 << "Camera 0|Camera 1|Camera 2 @1 vice"
                             << QStringList{};
    QTest::newRow("vice list skips main")
        << 3 << "vice" << 0 << "Camera 0|Camera 2" << QStringList{};
    QTest::newRow("one camera") << 1 << "devices" << 0 << "Camera 0 @0" << QStringList{};
    QTest::newRow("no camera") << 0 << "devices" << 0 << " @-1" << QStringList{};
    QTest::newRow("resolutions") << 2 << "resolutions" << 1 << "2592x1944|1600x1200|640x480"
                                 << QStringList{};
    QTest::newRow("dpi list") << 2 << "dpis" << 0 << "100|200|255|300|400|500|600" << QStringList{};
    QTest::newRow("resolution") << 2 << "resolution" << 2 << "taken 2"
                                << QStringList{"OrvSetResolution(1,2)"};
    QTest::newRow("same resolution") << 2 << "resolution" << 0 << "no 0" << QStringList{};
    QTest::newRow("no resolution") << 2 << "resolution" << -1 << "no 0" << QStringList{};
    QTest::newRow("dpi") << 2 << "dpi" << 3 << "taken 300" << QStringList{"OrvSetDPI(1,300)"};
    QTest::newRow("same dpi") << 2 << "dpi" << 0 << "no 100" << QStringList{};
    QTest::newRow("no dpi") << 2 << "dpi" << -1 << "no 100" << QStringList{};
}

void TestOwners::devicePanel() {
    QFETCH(int, cameras);
    QFETCH(QString, ask);
    QFETCH(int, arg);
    QFETCH(QString, answer);
    QFETCH(QStringList, calls);
    fake::core().reset();
    fake::core().script.cameraCount = cameras;
    Settings cfg;
    cfg.mainCameraIndex = qBound(0, cameras - 1, 1);
    cfg.resolutionIndex = 0;
    cfg.DPIIndex = 0;
    camera::CameraPair pair(cfg);
    camera::DevicePanel panel(cfg, pair);
    fake::core().calls.clear();
    QString seen;
    if (ask == "devices")
        seen = panel.deviceNames().join('|') + QStringLiteral(" @%1").arg(panel.mainEntry()) +
               (panel.viceAvailable() ? " vice" : "");
    else if (ask == "vice")
        seen = panel.viceNames().join('|');
    else if (ask == "resolutions")
        seen = panel.resolutions(arg).join('|');
    else if (ask == "dpis")
        seen = panel.dpiTexts().join('|');
    else if (ask == "resolution") {
        const bool taken = panel.chooseResolution(arg);
        seen = (taken ? "taken " : "no ") + QString::number(cfg.resolutionIndex);
    } else {
        const bool taken = panel.chooseDpi(arg);
        seen = (taken ? "taken " : "no ") + QString::number(panel.dpi());
    }
    QCOMPARE(seen, answer);
    QStringList changes;
    for (const fake::Call& c : fake::core().calls) {
        if (!c.name.startsWith("OrvSet"))
            continue;
        QStringList args;
        for (const QVariant& a : c.args)
            args << a.toString();
        changes << QString::fromLatin1(c.name) + '(' + args.join(',') + ')';
    }
    QCOMPARE(changes, calls);
}

// Steps on the frame: "max" (the button), "press x,y" (global, window at
// 100,100), "move x,y" (button down), "release"; after each, the frame's
// geometry (or top-left) and state.
void TestOwners::windowFrame_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("maximise and restore")
        << QStringList{"max", "max", "max"}
        << QStringList{"0,0 1920x1040 max", "100,100 800x600", "0,0 1920x1040 max"};
    QTest::newRow("drag keeps the grip")
        << QStringList{"press 130,110", "move 170,135", "move 30,-5", "release", "move 500,500"}
        << QStringList{"100,100 drag", "140,125 drag", "0,-15 drag", "0,-15", "0,-15"};
    QTest::newRow("a move without press is no drag")
        << QStringList{"move 170,135"} << QStringList{"100,100"};
}

void TestOwners::windowFrame() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, after);
    shell::WindowFrame frame;
    QRect window(100, 100, 800, 600);
    const QRect screen(0, 0, 1920, 1040);
    const auto point = [](const QString& s) {
        const QStringList xy = s.section(' ', 1).split(',');
        return QPoint(xy[0].toInt(), xy[1].toInt());
    };
    QStringList seen;
    for (const QString& step : steps) {
        QPoint to;
        if (step == "max")
            window = frame.toggleMaximized(window, screen);
        else if (step.startsWith("press"))
            frame.press(point(step), window.topLeft());
        else if (step.startsWith("move") && frame.dragTo(point(step), &to))
            window.moveTopLeft(to);
        else if (step == "release")
            frame.release();
        QString s = QStringLiteral("%1,%2").arg(window.x()).arg(window.y());
        if (step == "max")
            s += QStringLiteral(" %1x%2").arg(window.width()).arg(window.height());
        if (frame.maximized())
            s += " max";
        if (frame.dragging())
            s += " drag";
        if (step == "max" && !frame.maximized())
            QCOMPARE(window, QRect(100, 100, 800, 600));
        seen << s;
    }
    QCOMPARE(seen, after);
}

// Rectangles reported tick by tick ("-" never settles): ticks until the wait
// ends and whether the last tick fits.
void TestOwners::fitWait_data() {
    QTest::addColumn<QList<smallwindow::VideoRect>>("reports");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<bool>("fitted");
    const smallwindow::VideoRect none{0, 0, 0, 0};
    const smallwindow::VideoRect good{10, 20, 610, 470};
    const smallwindow::VideoRect negative{-1, 20, 610, 470};
    const smallwindow::VideoRect flat{10, 20, 610, 20};
    QTest::newRow("settled at once") << QList<smallwindow::VideoRect>{good} << 1 << true;
    QTest::newRow("third tick") << QList<smallwindow::VideoRect>{none, flat, good} << 3 << true;
    QTest::newRow("at the origin") << QList<smallwindow::VideoRect>{{0, 0, 640, 480}} << 1 << true;
    QTest::newRow("never") << QList<smallwindow::VideoRect>(12, none) << 10 << false;
    QTest::newRow("negative is not settled")
        << QList<smallwindow::VideoRect>(12, negative) << 10 << false;
}

void TestOwners::fitWait() {
    QFETCH(QList<smallwindow::VideoRect>, reports);
    QFETCH(int, ticks);
    QFETCH(bool, fitted);
    smallwindow::FitWait wait;
    QVERIFY(!wait.tick(reports.first())); // no wait before a resolution change
    wait.start();
    int n = 0;
    bool fit = false;
    for (const smallwindow::VideoRect& r : reports) {
        if (!wait.waiting())
            break;
        fit = wait.tick(r);
        ++n;
    }
    QCOMPARE(n, ticks);
    QCOMPARE(fit, fitted);
    QVERIFY(!wait.waiting());
}

// Steps on the small window's placement (136 x 100, the preview at 202,66):
// "preview x,y" (its top-left), "video l,t,r,b" (the library reports),
// "on" (picture-in-picture), "drag x,y", "move dx,dy" (the main window),
// "rotate l,t,r,b" (the picture turned and reported), "fit" (a new
// resolution settled); the small window's top-left after each.
void TestOwners::placement_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("before any picture")
        << QStringList{"drag 500,500", "on"} << QStringList{"-1,-1", "-1,-1"};
    QTest::newRow("on, then dragged outside")
        << QStringList{"video 10,20,610,470", "on", "drag 9000,-50", "drag -5,9000", "drag 300,200"}
        << QStringList{"0,0", "676,436", "676,86", "212,436", "300,200"};
    QTest::newRow("on again after a drag")
        << QStringList{"video 10,20,610,470", "on", "drag 300,200", "on"}
        << QStringList{"0,0", "676,436", "300,200", "676,436"};
    QTest::newRow("rotation 90 and 270 swap width and height")
        << QStringList{"video 0,0,640,480",    "on",
                       "rotate 140,0,500,480", "drag 9000,9000",
                       "rotate 0,0,640,480",   "rotate 140,0,500,480"}
        << QStringList{"0,0", "706,446", "342,66", "566,446", "202,66", "342,66"};
    // The far edges meet the picture's bottom-right, as the clamp lowers last.
    QTest::newRow("window smaller than the small window")
        << QStringList{"video 0,0,100,80", "on", "drag 300,300"}
        << QStringList{"0,0", "166,46", "166,46"};
    QTest::newRow("the main window carries it")
        << QStringList{"video 10,20,610,470", "on",           "drag 300,200",
                       "move 30,40",          "move -1000,0", "move 0,5000"}
        << QStringList{"0,0", "676,436", "300,200", "330,240", "-670,240", "-670,5240"};
    QTest::newRow("fit after a new resolution")
        << QStringList{"video 10,20,610,470", "drag 300,200", "fit"}
        << QStringList{"0,0", "300,200", "212,86"};
    QTest::newRow("fit keeps a window the area holds")
        << QStringList{"preview 0,0", "video 0,0,800,600", "drag 300,200", "fit"}
        << QStringList{"0,0", "0,0", "300,200", "300,200"};
}

void TestOwners::placement() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, after);
    const QSize small(136, 100);
    QPoint preview(202, 66);
    smallwindow::VideoRect video;
    smallwindow::Placement place;
    QPoint at(0, 0);
    QStringList seen;
    for (const QString& step : steps) {
        const QStringList n = step.section(' ', 1).split(',');
        const auto arg = [&n](int i) { return n.value(i).toInt(); };
        const QString verb = step.section(' ', 0, 0);
        if (verb == "video" || verb == "rotate") {
            video = {arg(0), arg(1), arg(2), arg(3)};
            place.follow(small, preview, video);
            if (verb == "rotate")
                at = place.afterRotation();
        } else if (verb == "preview") {
            preview = QPoint(arg(0), arg(1));
        } else if (verb == "on") {
            at = place.turnedOn();
        } else if (verb == "drag") {
            at = place.clamped(QPoint(arg(0), arg(1)));
        } else if (verb == "move") {
            preview += QPoint(arg(0), arg(1));
            place.follow(small, preview, video);
            at = place.carried(at, QPoint(arg(0), arg(1)));
        } else if (verb == "fit") {
            at = place.afterFit(small).value_or(at);
        }
        seen << QStringLiteral("%1,%2").arg(at.x()).arg(at.y());
    }
    QCOMPARE(seen, after);
}

// One hand-off of the strip: "commit" (the driver asks) or "close" (the
// window closes and no driver waits), with the strip library there or not,
// a list left from an earlier run, a temporary folder that can't take the
// list; what commit says, the list file, what stays in the strip, the
// counter and the message.
void TestOwners::driverHandoff_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("library");
    QTest::addColumn<QByteArrayList>("items");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("list"); // "-": no list file
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("message");
    const QByteArrayList two{"/d/Image00000.jpg", "/d/页 1.pdf"};
    const QString zh = QStringLiteral("无法将图像提交给扫描驱动: 临时目录不可写! | 提示");
    const QString en = QStringLiteral("Could not hand the pictures to the scanner driver: the "
                                      "temporary folder is not writable. | Information");
    QTest::newRow("two pictures") << 0 << "commit" << true << two << true << true << true
                                  << QByteArray("/d/Image00000.jpg@@/d/页 1.pdf@@") << 0 << 0 << "";
    QTest::newRow("empty strip removes an old list")
        << 0 << "commit" << true << QByteArrayList{} << true << true << false << QByteArray("-")
        << 0 << 7 << "";
    QTest::newRow("no strip library") << 0 << "commit" << false << QByteArrayList{} << true << true
                                      << true << QByteArray("old") << 0 << 7 << "";
    QTest::newRow("unwritable, chinese") << 0 << "commit" << true << two << false << false << false
                                         << QByteArray("-") << 2 << 7 << zh;
    QTest::newRow("unwritable, english") << 1 << "commit" << true << two << false << false << false
                                         << QByteArray("-") << 2 << 7 << en;
    QTest::newRow("unwritable, forms' texts") << 2 << "commit" << true << two << false << false
                                              << false << QByteArray("-") << 2 << 7 << zh;
    QTest::newRow("closing without a driver") << 0 << "close" << true << two << true << true
                                              << false << QByteArray("old") << 2 << 7 << "";
}

void TestOwners::driverHandoff() {
    QFETCH(int, language);
    QFETCH(QString, step);
    QFETCH(bool, library);
    QFETCH(QByteArrayList, items);
    QFETCH(bool, stale);
    QFETCH(bool, writable);
    QFETCH(bool, result);
    QFETCH(QByteArray, list);
    QFETCH(int, left);
    QFETCH(int, counter);
    QFETCH(QString, message);
    QTemporaryDir tmp;
    QString folder = tmp.path();
    if (!writable) { // a file where the folder should be
        folder += QStringLiteral("/file");
        QFile(folder).open(QIODevice::WriteOnly);
    }
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", folder.toLocal8Bit());
    const QString file = capture::DriverHandoff::listFile();
    QCOMPARE(file, folder + QStringLiteral("/OrvCommit.txt"));
    if (stale) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old");
    }

    Settings cfg;
    cfg.Language = language;
    cfg.fileNameCounter = 7;
    shell::Language lang(cfg.Language);
    camera::CameraPair pair(cfg);
    ThumbnailStrip none;
    ThumbnailStrip& used = library ? strip : none;
    strip.clear();
    for (const QByteArray& item : items)
        used.add(item);
    capture::CaptureService captures(cfg, pair, used, {});
    capture::DriverHandoff handoff(cfg, used, captures, lang);
    QStringList seen;
    platform::setMessageHandler(
        [&seen](const QString& text, const QString& caption) { seen << text + " | " + caption; });

    if (step == "commit")
        QCOMPARE(handoff.commit(), result);
    else
        handoff.windowClosing(platform::DriverWindow());
    qputenv("TMPDIR", oldTmp);

    QFile f(file);
    QCOMPARE(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("-"), list);
    QCOMPARE(used.count(), left);
    QCOMPARE(cfg.fileNameCounter, counter);
    QCOMPARE(seen.join('\n'), message);
    strip.clear();
}

QTEST_GUILESS_MAIN(TestOwners)
#include "tst_owners.moc"
