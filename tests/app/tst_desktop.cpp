// What a desktop user expects of the program: its command line, one running
// copy, keyboard shortcuts that keep out of text fields, names for screen
// readers in both languages, Qt's own texts in the interface language and a
// log on standard error.

#include "AppTestEnv.h"
#include "app/CommandLine.h"
#include "platform/SingleInstance.h"
#include "shell/KeyboardAccess.h"
#include "ui_MainForm.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <chrono>
#include <future>

using fake::core;

namespace {
QStringList logLines;
QtMessageHandler previousHandler = nullptr;
void keepLog(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    logLines << QString::fromLatin1(context.category) + QStringLiteral(": ") + text;
    previousHandler(type, context, text);
}
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
    AppTestEnv env;

    std::unique_ptr<MainForm> activeForm(const QByteArray& profile = "Language=0\n") {
        env.writeProfile(profile);
        core().script.cameraCount = 1;
        auto form = env.makeForm();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the main window did not become active");
        return form;
    }
    static int captures() { return core().count("OrvCapture"); }

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(keepLog); }
    void init() {
        env.setUp();
        logLines.clear();
    }

    void commandLine_data();
    void commandLine();
    void secondStartRaisesTheFirst();
    void captureKeysCaptureButNotInTextFields();
    void spaceKeepsItsMeaningOnTabbedControls();
    void tooltipsAndMenuShowTheKeys();
    void everyControlHasANameInBothLanguages();
    void qtDialogsFollowTheLanguage();
    void programStateIsLogged();
};

void TestDesktop::commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("offending");
    using A = app::CommandLine::Action;
    QTest::newRow("none") << QStringList{} << int(A::Run) << QString();
    QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << QString();
    QTest::newRow("-h after a Qt option")
        << QStringList{"-style", "fusion", "-h"} << int(A::Help) << QString();
    QTest::newRow("version") << QStringList{"--version"} << int(A::Version) << QString();
    QTest::newRow("-v") << QStringList{"-v"} << int(A::Version) << QString();
    QTest::newRow("Qt's options") << QStringList{"-platform", "xcb", "--style=fusion", "-reverse"}
                                  << int(A::Run) << QString();
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate"} << int(A::UsageError) << QStringLiteral("--frobnicate");
    QTest::newRow("a flag given a value")
        << QStringList{"-reverse=1"} << int(A::UsageError) << QStringLiteral("-reverse=1");
    QTest::newRow("an argument") << QStringList{"page.jpg"} << int(A::UsageError)
                                 << QStringLiteral("page.jpg");
    QTest::newRow("a lone dash") << QStringList{"-"} << int(A::UsageError) << QStringLiteral("-");
}

void TestDesktop::commandLine() {
    QFETCH(QStringList, args);
    QFETCH(int, action);
    QFETCH(QString, offending);
    const app::CommandLine line = app::parseCommandLine(args);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.offending, offending);
}

void TestDesktop::secondStartRaisesTheFirst() {
    QTemporaryDir runtime;
    platform::SingleInstance first(runtime.path());
    QVERIFY(first.acquire());
    QSignalSpy raised(&first, &platform::SingleInstance::activationRequested);
    platform::SingleInstance second(runtime.path());
    QVERIFY(!second.acquire());
    // The second start waits for the answer; the first answers from its
    // event loop.
    std::future<bool> answered =
        std::async(std::launch::async, [&second] { return second.notifyFirst(5000); });
    QTRY_VERIFY(answered.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    QVERIFY(answered.get());
    QCOMPARE(raised.count(), 1);
}

void TestDesktop::captureKeysCaptureButNotInTextFields() {
    auto form = activeForm();
    Ui::MainForm* ui = form->widgets();
    const int before = captures();
    QTest::keyClick(form.get(), Qt::Key_Space);
    QTest::keyClick(form.get(), Qt::Key_F5);
    QCOMPARE(captures(), before + 2);
    // A button clicked with the mouse keeps the focus; Space still captures.
    QTest::mouseClick(ui->checkBoxAutoCrop, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(captures(), before + 3);

    ui->lineEditFileName->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), ui->lineEditFileName);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_F5})
        QTest::keyClick(ui->lineEditFileName, key);
    QTest::keyClick(ui->lineEditFileName, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(ui->lineEditFileName, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(captures(), before + 3);
    QCOMPARE(core().count("OrvPrint"), 0);
    QVERIFY(form->isVisible());
    QCOMPARE(ui->lineEditFileName->text().right(1), QStringLiteral(" "));

    // Back on a button: Ctrl+P prints, F11 goes full screen and back, Ctrl+Q
    // closes the window.
    ui->pushButtonScan->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(core().count("OrvPrint"), 1);
    QTest::keyClick(form.get(), Qt::Key_F11);
    QTRY_VERIFY(form->isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_F11);
    QTRY_VERIFY(!form->isFullScreen());
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!form->isVisible());
}

void TestDesktop::spaceKeepsItsMeaningOnTabbedControls() {
    auto form = activeForm();
    QCheckBox* box = form->widgets()->checkBoxAutoCrop;
    const bool was = box->isChecked();
    box->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    const int before = captures();
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->isChecked(), !was);
    QCOMPARE(captures(), before);
    QTest::keyClick(box, Qt::Key_F5); // the pedal's other key captures anywhere
    QCOMPARE(captures(), before + 1);
}

void TestDesktop::tooltipsAndMenuShowTheKeys() {
    auto form = activeForm();
    Ui::MainForm* ui = form->widgets();
    const struct {
        QAbstractButton* button;
        QString chinese, english, key;
    } rows[] = {
        {ui->pushButtonScan, "拍照", "Capture", "F5"},
        {ui->pushButtonOCR, "OCR识别", "OCR", "Ctrl+R"},
        {ui->pushButtonReadBarcode, "条码识别", "Read barcode", "Ctrl+B"},
        {ui->pushButtonPrint, "打印", "Print", "Ctrl+P"},
        {ui->pushBtnOpenFolder, "打开文件夹", "Open folder", "Ctrl+O"},
    };
    for (int language : {0, 1}) {
        form->applyLanguage(language);
        for (const auto& r : rows) {
            const QString tip = r.button->toolTip();
            QVERIFY2(tip.startsWith(language == 0 ? r.chinese : r.english), qPrintable(tip));
            QVERIFY2(tip.contains(r.key), qPrintable(tip));
        }
        QStringList entries;
        for (QAction* a : ui->btnMenu->menu()->actions())
            entries << a->text();
        const QString menu = entries.join(QLatin1Char('|'));
        QVERIFY2(menu.contains(QStringLiteral("\tF11")), qPrintable(menu));
        QVERIFY2(menu.contains(QStringLiteral("\tCtrl+Q")), qPrintable(menu));
        QVERIFY2(menu.contains(language == 0 ? QStringLiteral("全屏") : QStringLiteral("Full")),
                 qPrintable(menu));
    }
    // Switching back and forth does not add the entries twice.
    int quits = 0;
    for (QAction* a : ui->btnMenu->menu()->actions())
        quits += a->text().contains(QStringLiteral("Ctrl+Q"));
    QCOMPARE(quits, 1);
}

void TestDesktop::everyControlHasANameInBothLanguages() {
    auto form = activeForm();
    Ui::MainForm* ui = form->widgets();
    for (int language : {0, 1}) {
        form->applyLanguage(language);
        QStringList sliders, lists;
        const QList<QWidget*> all = form->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QComboBox*>(w) &&
                !qobject_cast<QAbstractSlider*>(w) && !qobject_cast<QLineEdit*>(w))
                continue;
            if (!w->isVisibleTo(form.get()) || qobject_cast<QComboBox*>(w->parentWidget()))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            const QString name = a->text(QAccessible::Name);
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(w->objectName()));
            // No icon-font glyph (private use area) is read out.
            for (QChar c : name)
                QVERIFY2(c.unicode() < 0xE000 || c.unicode() > 0xF8FF, qPrintable(w->objectName()));
            if (qobject_cast<QSlider*>(w))
                sliders << name;
            if (qobject_cast<QComboBox*>(w))
                lists << name;
        }
        QCOMPARE(QSet<QString>(sliders.begin(), sliders.end()).size(), sliders.size());
        QCOMPARE(QSet<QString>(lists.begin(), lists.end()).size(), lists.size());
        QVERIFY(sliders.size() >= 5);
        QCOMPARE(ui->comboBoxDPI->accessibleName(), QStringLiteral("DPI"));
        QCOMPARE(ui->pushButtonZoomIn->accessibleName(),
                 language == 0 ? QStringLiteral("放大") : QStringLiteral("Zoom in"));
        QCOMPARE(ui->horizontalSliderexpos->accessibleName(),
                 language == 0 ? QStringLiteral("曝光") : QStringLiteral("Exposure"));
    }
}

void TestDesktop::qtDialogsFollowTheLanguage() {
    auto form = activeForm();
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->applyLanguage(0);
    QCoreApplication::processEvents(); // the language change reaches open windows
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    form->applyLanguage(1);
    QCoreApplication::processEvents();
    QVERIFY(buttons.button(QDialogButtonBox::Cancel)->text().contains(QStringLiteral("Cancel")));
}

void TestDesktop::programStateIsLogged() {
    env.writeProfile("Language=1\n");
    core().script.cameraCount = 0;
    auto form = env.makeForm();
    form->onDeviceChange(ORV_DEVICE_REMOVE_COMPLETE);
    const QString log = logLines.join(QLatin1Char('\n'));
    QVERIFY2(log.contains(QStringLiteral(
                 "orvanta.message: Information Please connect high speed portable scanner!")),
             qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("orvanta.camera: a camera was removed")), qPrintable(log));
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
