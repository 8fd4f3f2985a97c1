// The built program as a user starts it: its command line answers without a
// display, a second start hands over to the first and ends, and the window
// comes up under a Wayland compositor (weston's headless backend).

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestProgram : public QObject {
    Q_OBJECT
    QTemporaryDir home;

    // A private home and runtime folder, virtual cameras, no display at all
    // unless a platform is asked for.
    QString waylandDisplay; // set: the program runs on this Wayland display
    QProcessEnvironment environment(bool display) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (display && waylandDisplay.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (display && !waylandDisplay.isEmpty()) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
            env.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
        }
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        env.insert(QStringLiteral("ORVANTA_VIRTUAL_CAMERAS"), QStringLiteral("1"));
        env.insert(QStringLiteral("ORVANTA_REAL_CAMERAS"), QStringLiteral("0"));
        return env;
    }
    QString runtime() const { return home.path() + QStringLiteral("/run"); }

    struct Result {
        int status = -1;
        QByteArray out, err;
    };
    Result run(const QStringList& args, bool display = false) const {
        QProcess p;
        p.setProcessEnvironment(environment(display));
        p.start(QStringLiteral(ORVANTA_PROGRAM), args);
        Result r;
        if (!p.waitForFinished(60000))
            p.kill();
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
    // Starts the program and waits until it listens for later starts.
    bool startFirst(QProcess& p) const {
        QFile::remove(runtime() + QStringLiteral("/orvanta.socket"));
        p.setProcessEnvironment(environment(true));
        p.start(QStringLiteral(ORVANTA_PROGRAM), {});
        if (!p.waitForStarted())
            return false;
        for (int i = 0; i < 600 && p.state() == QProcess::Running; ++i) {
            if (QFile::exists(runtime() + QStringLiteral("/orvanta.socket")))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

private slots:
    void initTestCase() {
        QVERIFY(home.isValid());
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
        QDir(home.path()).mkpath(QStringLiteral("Documents"));
    }

    void commandLineAnswersWithoutADisplay_data();
    void commandLineAnswersWithoutADisplay();
    void secondStartRaisesTheFirstAndEnds();
    void runsUnderAWaylandCompositor();
};

void TestProgram::commandLineAnswersWithoutADisplay_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << QStringLiteral("orvanta " ORVANTA_VERSION "\n") << QString();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QStringLiteral("Usage: orvanta")
                            << QString();
    QTest::newRow("unknown") << QStringList{"--nope"} << 2 << QString()
                             << QStringLiteral("orvanta: unrecognised argument '--nope'");
}

void TestProgram::commandLineAnswersWithoutADisplay() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Result r = run(args);
    QCOMPARE(r.status, status);
    QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.startsWith(out.toUtf8()), r.out);
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.startsWith(err.toUtf8()), r.err);
}

void TestProgram::secondStartRaisesTheFirstAndEnds() {
    QProcess first;
    QVERIFY(startFirst(first));
    const Result second = run({}, true);
    QCOMPARE(second.status, 0);
    QVERIFY2(second.err.contains("brought to the front"), second.err);
    QByteArray log;
    QTRY_VERIFY2_WITH_TIMEOUT((log += first.readAllStandardError()).contains("second start"),
                              log.constData(), 10000);
    QCOMPARE(first.state(), QProcess::Running);

    // The first ends as a window close would, and a later start is first.
    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(30000));
    QCOMPARE(first.exitCode(), 0);
    QVERIFY(QFile::exists(home.path() + QStringLiteral("/Documents/Orvanta/orvconf.ini")));

    // A program that died leaves its lock behind: the next start takes it.
    QProcess crashed;
    QVERIFY(startFirst(crashed));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(10000));
    QProcess next;
    QVERIFY2(startFirst(next), next.readAllStandardError());
    ::kill(pid_t(next.processId()), SIGTERM);
    QVERIFY(next.waitForFinished(30000));
}

void TestProgram::runsUnderAWaylandCompositor() {
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        QSKIP("weston is not installed (scripts/install-deps)");
    QProcess compositor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
    compositor.setProcessEnvironment(env);
    compositor.start(weston, {"--backend=headless-backend.so", "--socket=orvanta-test",
                              "--idle-time=0", "--width=1400", "--height=900"});
    QVERIFY(compositor.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime() + QStringLiteral("/orvanta-test")), 10000);
    waylandDisplay = QStringLiteral("orvanta-test");

    QProcess first;
    const bool started = startFirst(first);
    QTest::qWait(3000); // the window is built and shown; the preview runs
    const bool running = first.state() == QProcess::Running;
    const Result second = run({}, true);
    ::kill(pid_t(first.processId()), SIGTERM);
    first.waitForFinished(30000);
    waylandDisplay.clear();
    compositor.terminate();
    compositor.waitForFinished(10000);

    const QByteArray log = first.readAllStandardError();
    QVERIFY2(started && running, log);
    QCOMPARE(second.status, 0);
    QCOMPARE(first.exitCode(), 0);
    QVERIFY2(log.contains("Orvanta " ORVANTA_VERSION " on wayland"), log);
    QVERIFY2(!log.contains("Could not") && !log.contains("failed"), log);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
