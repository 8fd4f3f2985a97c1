// ID cards: the log rows and pictures of a reading (against the fake camera
// library) and recognition of a captured card (against the fake recogniser).

#include "AppTestEnv.h"
#include "FakeIdCardRecog.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Clock.h"
#include "recognition/IdCardLog.h"
#include "recognition/IdCardRecogLibrary.h"
#include "recognition/IdCardService.h"
#include "ui_MainForm.h"

#include <QtTest>

#include <atomic>
#include <thread>

using fake::core;

namespace {

const QByteArray kHeader =
    QStringLiteral("姓名,性别,民族,出生,住址,号码,发证机关,有效期,操作日期,").toUtf8() + '\r';

QList<QByteArray> card(const QByteArray& number = "110101199003071238",
                       const QByteArray& address = "北京市东城区示例路88号") {
    return {"林晓明",
            "男",
            "汉",
            "1990-03-07",
            address,
            number,
            "北京市公安局东城分局",
            "2015.06.01-2035.06.01"};
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

class TestIdCard : public QObject {
    Q_OBJECT
    AppTestEnv env;
    std::unique_ptr<QTemporaryDir> dir;
    QList<QByteArray> items;
    QStringList told;

    // A card on the reader whose two pictures the library wrote.
    void presentCard(const QList<QByteArray>& fields) {
        core().script.idCardPresent = true;
        core().script.idFields = fields;
        const QString head = dir->filePath(QStringLiteral("lib_head.jpg"));
        const QString cardImage = dir->filePath(QStringLiteral("lib_card.jpg"));
        QFile h(head), c(cardImage);
        QVERIFY(h.open(QIODevice::WriteOnly) && h.write("head") == 4);
        QVERIFY(c.open(QIODevice::WriteOnly) && c.write("card") == 4);
        // The library's files are private temporary files.
        QVERIFY(h.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(c.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        core().script.idHeadImagePath = QFile::encodeName(head);
        core().script.idCardImagePath = QFile::encodeName(cardImage);
    }
    bool readCard() {
        IdCardService service(
            {[this](const QByteArray& p) { items << p; }, [this](const QString& t) { told << t; }});
        return service.read(QFile::encodeName(work()), QFile::encodeName(work()));
    }
    QString work() const { return dir->filePath(QStringLiteral("work")); }
    QString csv() const { return work() + QStringLiteral("/IDInfo.csv"); }

private slots:
    void init() {
        env.setUp();
        fake::idCardRecog().reset();
        dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(work());
        items.clear();
        told.clear();
        platform::setClock([] { return QDateTime(QDate(2024, 1, 5), QTime(13, 45, 12)); });
    }
    void cleanup() { platform::setClock({}); }

    void noCardWritesNothing() {
        QVERIFY(!readCard());
        QVERIFY(!QFile::exists(csv()));
        QVERIFY(items.isEmpty() && told.isEmpty());
    }

    void logRowsAndPictures() {
        presentCard(card());
        QVERIFY(readCard());
        const QByteArray row1 =
            "林晓明,男,汉,1990-03-07,北京市东城区示例路88号,'110101199003071238',"
            "北京市公安局东城分局,2015.06.01-2035.06.01,'2024-01-05 13:45:12',\r";
        QCOMPARE(read(csv()), kHeader + row1);
        // Both pictures named from the row's time, copied, listed; the
        // library's files are gone.
        const QByteArray folder = QFile::encodeName(work());
        QCOMPARE(items, (QList<QByteArray>{folder + "/20240105134512_head.jpg",
                                           folder + "/20240105134512_idcard.jpg"}));
        QCOMPARE(read(work() + "/20240105134512_head.jpg"), QByteArray("head"));
        QCOMPARE(read(work() + "/20240105134512_idcard.jpg"), QByteArray("card"));
        QVERIFY(!QFile::exists(QString::fromLocal8Bit(core().script.idHeadImagePath)));
        QVERIFY(told.isEmpty());
        // The copies have the mode of any new file of the user, as captures.
        QFile capture(work() + "/capture.jpg");
        QVERIFY(capture.open(QIODevice::WriteOnly));
        QCOMPARE(QFile::permissions(work() + "/20240105134512_head.jpg"), capture.permissions());
        QCOMPARE(QFile::permissions(work() + "/20240105134512_idcard.jpg"), capture.permissions());
        QVERIFY(capture.remove());

        // A second reading in the same second: only a data row; the X-ending
        // number is quoted like a numeric one; the first pictures stay.
        presentCard(card("11010119900307123X"));
        QVERIFY(readCard());
        QCOMPARE(read(csv()), kHeader + row1 + QByteArray(row1).replace("1238'", "123X'"));
        QCOMPARE(items.mid(2), (QList<QByteArray>{folder + "/20240105134512_head_2.jpg",
                                                  folder + "/20240105134512_idcard_2.jpg"}));
        QCOMPARE(read(work() + "/20240105134512_head.jpg"), QByteArray("head"));
    }

    void emptyLogGetsTheHeader() {
        QFile(csv()).open(QIODevice::WriteOnly);
        presentCard(card());
        readCard();
        QVERIFY(read(csv()).startsWith(kHeader + "林晓明,"));
    }

    void cellsStayCells() {
        QCOMPARE(idcard::cell("=1+2"), QByteArray("'=1+2"));
        QCOMPARE(idcard::cell("@SUM(A1)"), QByteArray("'@SUM(A1)"));
        QCOMPARE(idcard::cell("-3"), QByteArray("'-3"));
        QCOMPARE(idcard::cell("+86"), QByteArray("'+86"));
        QCOMPARE(idcard::cell("a,b"), QByteArray("\"a,b\""));
        QCOMPARE(idcard::cell("say \"hi\""), QByteArray("\"say \"\"hi\"\"\""));
        QCOMPARE(idcard::cell("line1\nline2"), QByteArray("\"line1\nline2\""));
        QCOMPARE(idcard::cell("=a,b"), QByteArray("\"'=a,b\""));
        QCOMPARE(idcard::cell("\t=1+2"), QByteArray("'\t=1+2"));
        QCOMPARE(idcard::cell("\r=1+2"), QByteArray("\"'\r=1+2\""));
        presentCard(card("110101199003071238", "甲路1号,乙楼"));
        readCard();
        const QByteArray row = read(csv()).mid(kHeader.size());
        QVERIFY(row.contains(",\"甲路1号,乙楼\",'110101199003071238',"));
        QCOMPARE(row.count('\r'), 1);
    }

    void failuresAreToldAndLoseNothing() {
        // The log cannot be written (its name is a folder); a picture the
        // library did not write is not listed; the other one is stored.
        QDir().mkpath(csv());
        presentCard(card());
        QFile::remove(QString::fromLocal8Bit(core().script.idHeadImagePath));
        QVERIFY(readCard());
        QCOMPARE(items,
                 QList<QByteArray>{QFile::encodeName(work()) + "/20240105134512_idcard.jpg"});
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(QStringLiteral("IDInfo.csv")));
        QVERIFY(told[0].contains(QStringLiteral("头像")));

        // A copy that fails keeps the library's file, and says where it is.
        QDir(work()).removeRecursively();
        told.clear();
        items.clear();
        presentCard(card());
        readCard();
        QVERIFY(items.isEmpty());
        const QString kept = QString::fromLocal8Bit(core().script.idCardImagePath);
        QVERIFY(QFile::exists(kept));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(kept), qPrintable(told[0]));
        QVERIFY(told[0].contains(QString::fromLocal8Bit(core().script.idHeadImagePath)));
    }

    void windowCommands() {
        auto form = env.makeForm();
        onScreen::strip(form).clear();
        presentCard(card());
        form->widgets()->pushButtonReadIDCard->click();
        QTRY_COMPARE(onScreen::strip(form).count(), 2); // read on a worker thread
        QVERIFY(QFile::exists(QString::fromLocal8Bit(onScreen::folder(form)) +
                              "/20240105134512_idcard.jpg"));

        fake::idCardRecog().text = QStringLiteral("姓名:林晓明\n性别:男").toLocal8Bit();
        form->widgets()->pushButtonRecogID->click();
        QCOMPARE(onScreen::strip(form).count(), 3);
        QTRY_VERIFY(!QGuiApplication::overrideCursor()); // recognised on a worker thread
        QCOMPARE(fake::idCardRecog().paths.size(), 1);
        QCOMPARE(onScreen::strip(form).pathAt(2), fake::idCardRecog().paths[0]);
        QVERIFY(QFile::exists(QString::fromLocal8Bit(fake::idCardRecog().paths[0])));
        QCOMPARE(env.messages.constLast(), qMakePair(QStringLiteral("姓名:林晓明\n性别:男"),
                                                     QStringLiteral("身份证识别结果")));

        // Whatever the format list says, the recogniser gets a JPEG capture.
        for (int format = 1; format <= 5; ++format) {
            form->widgets()->comboBoxFmt->setCurrentIndex(format);
            form->widgets()->pushButtonRecogID->click();
            QTRY_VERIFY(!QGuiApplication::overrideCursor());
            const QByteArray shot = fake::idCardRecog().paths.constLast();
            QVERIFY2(shot.endsWith(".jpg"), shot.constData());
            QCOMPARE(core().callsOf("OrvCapture").constLast().args.value(1).toByteArray(), shot);
        }
        QCOMPARE(fake::idCardRecog().paths.size(), 6);
        form->widgets()->comboBoxFmt->setCurrentIndex(0);

        // A capture that wrote nothing is not recognised.
        core().script.captureResult = 0;
        const int listed = onScreen::strip(form).count();
        form->widgets()->pushButtonRecogID->click();
        QCOMPARE(fake::idCardRecog().paths.size(), 6);
        QCOMPARE(onScreen::strip(form).count(), listed);
    }

    // The recogniser's models load once, on the worker that recognises,
    // while the window is already up; a recognition asked for meanwhile
    // waits for the load instead of being dropped.
    void modelsLoadOnceOnTheWorker() {
        QSemaphore loaded;
        fake::idCardRecog().holdInit = &loaded;
        fake::idCardRecog().text = QStringLiteral("姓名:林晓明").toLocal8Bit();
        auto form = env.makeForm();
        QVERIFY(form->isVisible());
        QTRY_COMPARE(fake::idCardRecog().initCalls.load(), 1);
        form->widgets()->pushButtonRecogID->click();
        QTest::qWait(50);
        QVERIFY(fake::idCardRecog().paths.isEmpty());
        loaded.release();
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
        form->widgets()->pushButtonRecogID->click();
        QTRY_VERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(fake::idCardRecog().paths.size(), 2);
        QCOMPARE(env.messages.constLast().first, QStringLiteral("姓名:林晓明"));
        QCOMPARE(fake::idCardRecog().initCalls.load(), 1);
        QCOMPARE(fake::idCardRecog().initThread.load(), fake::idCardRecog().recogniseThread.load());
        QVERIFY(fake::idCardRecog().initThread.load() != QThread::currentThread());
        form.reset();
        fake::idCardRecog().holdInit = nullptr;
    }

    // Both commands run the slow part on a worker thread: the GUI thread's
    // event loop runs meanwhile (here a timer that lets the job finish), a
    // second press is ignored, the result comes afterwards, and closing the
    // window while a job runs waits for its files and drops its result.
    void slowJobsLeaveTheWindowLive_data() {
        QTest::addColumn<bool>("recognise");
        QTest::addColumn<bool>("closeWhileRunning");
        QTest::newRow("read") << false << false;
        QTest::newRow("recognise") << true << false;
        QTest::newRow("read, closed") << false << true;
        QTest::newRow("recognise, closed") << true << true;
    }
    void slowJobsLeaveTheWindowLive() {
        QFETCH(bool, recognise);
        QFETCH(bool, closeWhileRunning);
        fake::idCardRecog().text = QStringLiteral("姓名:林晓明").toLocal8Bit();
        static QSemaphore go;
        static std::atomic<QThread*> ranOn;
        static std::atomic<int> jobs;
        go.tryAcquire(go.available());
        ranOn = nullptr;
        jobs = 0;
        auto slow = [] {
            ranOn = QThread::currentThread();
            ++jobs;
            go.tryAcquire(1, 5000);
        };
        core().onCall = [slow](const fake::Call& call) {
            if (call.name == "OrvReadIDCard")
                slow();
        };
        IdCardRecogLibrary::instance().setFunctions([] { return 0; },
                                                    [](const char*) {
                                                        ranOn = QThread::currentThread();
                                                        ++jobs;
                                                        go.tryAcquire(1, 5000);
                                                        return fake::idCardRecog().text.constData();
                                                    });
        auto form = env.makeForm(); // after the recogniser is in place: its load runs at once
        onScreen::strip(form).clear();
        presentCard(card());
        QAbstractButton* button =
            recognise ? static_cast<QAbstractButton*>(form->widgets()->pushButtonRecogID)
                      : form->widgets()->pushButtonReadIDCard;
        const int listed = recognise ? 1 : 2;
        const int captures = core().count("OrvCapture");

        button->click();
        QTRY_VERIFY(ranOn.load());
        QVERIFY(ranOn.load() != QThread::currentThread());
        button->click(); // ignored: a job runs
        form->widgets()->pushButtonReadIDCard->click();
        QCOMPARE(core().count("OrvCapture"), captures + (recognise ? 1 : 0));
        if (closeWhileRunning) {
            std::thread releaser([] {
                QThread::msleep(100);
                go.release();
            });
            form.reset(); // waits for the job
            releaser.join();
            QCoreApplication::processEvents();
        } else {
            QTimer::singleShot(30, [] { go.release(); }); // fires only if the GUI thread is free
            QCOMPARE(onScreen::strip(form).count(), recognise ? 1 : 0);
            QTRY_COMPARE(onScreen::strip(form).count(), listed);
            QTRY_VERIFY(!QGuiApplication::overrideCursor());
        }
        QCOMPARE(jobs.load(), 1);
        if (recognise)
            QCOMPARE(env.messages.size(), closeWhileRunning ? 0 : 1);
        else { // the row and both pictures are stored, the window gone or not
            QVERIFY(read(env.documents() + "/Orvanta/IDInfo.csv").contains("110101199003071238"));
            QVERIFY(!QFile::exists(QString::fromLocal8Bit(core().script.idHeadImagePath)));
            QVERIFY(!QFile::exists(QString::fromLocal8Bit(core().script.idCardImagePath)));
        }
        core().onCall = nullptr;
        fake::idCardRecog().reset();
    }
};

QTEST_MAIN(TestIdCard)
#include "tst_idcard.moc"
