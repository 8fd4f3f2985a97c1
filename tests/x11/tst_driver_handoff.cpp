// Hand-off to a scanning driver over X11: the driver's window, found by its
// title, is asked to close once the commit file is complete.

#include "../app/AppTestEnv.h"
#include "capture/ThumbnailStrip.h"
#include "platform/DriverWindow.h"
#include "ui_MainForm.h"

#include <QProcess>
#include <QtTest>

class TestDriverHandoff : public QObject {
    Q_OBJECT
    AppTestEnv env;

private slots:
    void init() { env.setUp(); }

    void noDriverWindowMeansNoCommitFile();
    void driverGetsTheCompleteListWhenTheWindowCloses();
};

void TestDriverHandoff::noDriverWindowMeansNoCommitFile() {
    QVERIFY(!platform::DriverWindow::find(platform::DriverWindow::scannerDriverTitle()).exists());
    const QString file = QDir::tempPath() + QStringLiteral("/OrvCommit.txt");
    QFile::remove(file);
    auto form = env.makeForm();
    onScreen::strip(form).clear();
    form->widgets()->pushButtonScan->click();
    form->close();
    QVERIFY(!QFile::exists(file));
    QCOMPARE(onScreen::strip(form).count(), 1); // nothing was handed off
    form.reset();
}

void TestDriverHandoff::driverGetsTheCompleteListWhenTheWindowCloses() {
    QProcess driver;
    driver.start(QStringLiteral(DRIVER_STUB), {});
    QVERIFY(driver.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
        platform::DriverWindow::find(platform::DriverWindow::scannerDriverTitle()).exists(), 20000);

    auto form = env.makeForm();
    if (!onScreen::strip(form).isLoaded())
        QSKIP("thumbnail strip library not built");
    onScreen::strip(form).clear();
    form->widgets()->pushButtonScan->click();
    form->widgets()->pushButtonScan->click();
    const QByteArray dir = onScreen::folder(form);
    const QByteArray expected = dir + "/Image00000.jpg@@" + dir + "/Image00001.jpg@@";
    form->close();

    QVERIFY(driver.waitForFinished(20000));
    QCOMPARE(driver.readAllStandardOutput(), expected);
    QCOMPARE(form->settings().fileNameCounter, 0);
    form.reset();
}

QTEST_MAIN(TestDriverHandoff)
#include "tst_driver_handoff.moc"
