// Capture commands against the fake camera library: which files are taken,
// which items reach the thumbnail strip, merges and compositions, failures,
// and the hand-off of the strip to a waiting scanning driver.

#include "AppTestEnv.h"
#include "FakeModaOcr.h"
#include "capture/CaptureGeometry.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Paths.h"
#include "recognition/QBarcodeResultDlg.h"
#include "ui_MainForm.h"
#include "ui_QBarcodeResultDlg.h"

#include "platform/Clock.h"
#include "platform/Desktop.h"

#include <QtTest>

#include <atomic>

using fake::core;

class TestCapture : public QObject {
    Q_OBJECT
    AppTestEnv env;

    static QList<QByteArray> items(MainForm* form) {
        QList<QByteArray> out;
        for (int i = 0; i < onScreen::strip(form).count(); ++i)
            out << onScreen::strip(form).pathAt(i);
        return out;
    }
    static QList<int> firstArg(const QList<fake::Call>& calls) {
        QList<int> out;
        for (const fake::Call& c : calls)
            out << c.args[0].toInt();
        return out;
    }
    static QList<QByteArray> capturePaths() {
        QList<QByteArray> out;
        for (const fake::Call& c : core().callsOf("OrvCapture"))
            out << c.args[1].toByteArray();
        return out;
    }
    std::unique_ptr<MainForm> form7() {
        env.writeProfile("FileNameCount=7\n");
        auto form = env.makeForm();
        if (!onScreen::strip(form).isLoaded())
            qWarning("thumbnail strip library not found beside the test");
        onScreen::strip(form).clear(); // the library outlives a window in one process
        return form;
    }

private slots:
    void init() {
        env.setUp();
        platform::setSaveFileChooser({});
    }

    void plainCaptureAddsOneItem();
    void splitAddsTheSplitItem();
    void countAboveOneAddsNumberedItems();
    void pdfCaptureShowsTheTemporaryPicture();
    void searchablePdfPagesLandInCaptureOrder();
    void closingWaitsForSearchablePages();
    void failedCaptureIsReportedAndNotListed_data();
    void failedCaptureIsReportedAndNotListed();
    void mergeUsesThreeNamesAndListsOnlyTheResult();
    void mergeUnderDateNamingKeepsItsShots();
    void compositionArithmetic();
    void compositionUsesThreeNamesInOrder();
    void doubleCaptureHoldsModeOneForOneCapture();
    void commitWritesEveryPathAndResetsTheCounter();
    void commitNeverFollowsAPlantedLink();
    void barcodeDialogShowsAndExports();
    void barcodeReadsLeaveTheWindowLive();
};

void TestCapture::plainCaptureAddsOneItem() {
    auto form = form7();
    form->widgets()->pushButtonScan->click();
    const QByteArray expected = onScreen::folder(form) + "/Image00007.jpg";
    QCOMPARE(capturePaths(), QList<QByteArray>{expected});
    QCOMPARE(items(form.get()), QList<QByteArray>{expected});
    QVERIFY(onScreen::strip(form).checkedAt(0));
    QCOMPARE(form->settings().fileNameCounter, 8);
    // Without the watermark check box, no earlier watermark stays on.
    QCOMPARE(core().count("OrvClearWatermark"), 1);
    form.reset();
}

void TestCapture::splitAddsTheSplitItem() {
    auto form = form7();
    form->widgets()->checkBoxSplitCap->click();
    QCOMPARE(core().callsOf("OrvEnableSplitCap").last().args[1].toBool(), true);
    form->widgets()->pushButtonScan->click();
    const QByteArray base = onScreen::folder(form) + "/Image00007";
    QCOMPARE(items(form.get()), (QList<QByteArray>{base + ".jpg", base + "_split.jpg"}));
    form.reset();
}

void TestCapture::countAboveOneAddsNumberedItems() {
    core().script.captureResult = 3;
    auto form = form7();
    form->widgets()->pushButtonScan->click();
    const QByteArray x = onScreen::folder(form) + "/Image00007";
    QCOMPARE(items(form.get()),
             (QList<QByteArray>{x + ".jpg", x + "_1.jpg", x + "_2.jpg", x + "_3.jpg"}));
    form.reset();

    core().reset();
    core().script.captureResult = 2;
    form = form7();
    form->widgets()->checkBoxSplitCap->click();
    form->widgets()->pushButtonScan->click();
    // Image00007 is taken now: the next free number. A split capture is one
    // page pair whatever the count, as the library writes it.
    const QByteArray y = onScreen::folder(form) + "/Image00008";
    const QList<QByteArray> got = items(form.get());
    QCOMPARE(got.mid(got.size() - 2), (QList<QByteArray>{y + ".jpg", y + "_split.jpg"}));
    form.reset();
}

void TestCapture::pdfCaptureShowsTheTemporaryPicture() {
    auto form = form7();
    form->widgets()->comboBoxFmt->setCurrentIndex(1);
    form->widgets()->checkBoxSplitCap->click();
    form->widgets()->pushButtonScan->click();
    const QByteArray pdf = onScreen::folder(form) + "/Image00007.pdf";
    const QByteArray picture = platform::privateTempFolder() + "OrvImage.jpg";
    QCOMPARE(capturePaths(), (QList<QByteArray>{pdf, picture}));
    const int n = onScreen::strip(form).count();
    QVERIFY(n >= 1);
    QCOMPARE(onScreen::strip(form).pathAt(n - 1), pdf);
    form.reset();
}

// Pages are read off the GUI thread one after the other and written with
// their words; the document is one strip item, marked while pages wait.
void TestCapture::searchablePdfPagesLandInCaptureOrder() {
    env.writeProfile("FileNameCount=7\nSearchablePdf=1\n");
    fake::modaOcr().reset();
    fake::modaOcr().words = "0 10 10 90 40 93 word\n";
    fake::modaOcr().hold = true;
    auto form = env.makeForm();
    onScreen::strip(form).clear();
    form->widgets()->comboBoxFmt->setCurrentIndex(2);
    for (int i = 0; i < 3; ++i)
        form->widgets()->pushButtonScan->click();
    const QByteArray pdf = onScreen::folder(form) + "/Image00007.pdf";
    // Nothing is written while the first page is being read, and the
    // document has one item already.
    QCOMPARE(core().count("OrvWritePdfPages"), 0);
    QVERIFY(!QFile::exists(QString::fromLocal8Bit(pdf)));
    QCOMPARE(items(form.get()), QList<QByteArray>{pdf});
    const QList<QByteArray> shots = capturePaths();
    QCOMPARE(shots.size(), 6); // a page and the strip's picture, three times
    fake::modaOcr().released.release(3);
    QTRY_COMPARE(core().count("OrvWritePdfPages"), 3);
    const QList<fake::Call> writes = core().callsOf("OrvWritePdfPages");
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(writes[i].args[0].toByteArray(), pdf);
        QCOMPARE(writes[i].args[1].toInt(), 0); // appended
        QCOMPARE(writes[i].args[3].toByteArray(), shots[2 * i] + ';');
    }
    QCOMPARE(fake::modaOcr().wordCallsSoFar(), (QList<QByteArray>{shots[0], shots[2], shots[4]}));
    QFile file(QString::fromLocal8Bit(pdf));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("page\n0 10 10 90 40 93 word\n").repeated(3));
    // The pictures of the pages are gone once written.
    QTRY_VERIFY(!QFile::exists(QString::fromLocal8Bit(shots[4])));
    QCOMPARE(items(form.get()), QList<QByteArray>{pdf});
    QVERIFY(env.messages.isEmpty());

    // No models: the page is written without words, and the user is told.
    fake::modaOcr().hold = false;
    fake::modaOcr().languages.clear();
    form->widgets()->pushButtonScan->click();
    QTRY_COMPARE(core().count("OrvWritePdfPages"), 4);
    QTRY_COMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().first.contains(QStringLiteral("模型")));
    form.reset();
    fake::modaOcr().reset();
}

void TestCapture::closingWaitsForSearchablePages() {
    env.writeProfile("FileNameCount=7\nSearchablePdf=1\n");
    fake::modaOcr().reset();
    fake::modaOcr().hold = true;
    auto form = env.makeForm();
    form->widgets()->comboBoxFmt->setCurrentIndex(1);
    form->widgets()->pushButtonScan->click();
    form->widgets()->pushButtonScan->click();
    bool finishing = false;
    QTimer::singleShot(100, [&] {
        // The window says what it waits for.
        finishing = QApplication::activeModalWidget() != nullptr;
        fake::modaOcr().released.release(2);
    });
    form->close();
    QVERIFY(finishing);
    const QList<fake::Call> writes = core().callsOf("OrvWritePdfPages");
    QCOMPARE(writes.size(), 2);
    QCOMPARE(writes[0].args[1].toInt(), 1); // single-page documents
    QVERIFY(writes[0].args[0].toByteArray() != writes[1].args[0].toByteArray());
    form.reset();
    fake::modaOcr().reset();
}

// A capture that writes nothing is told, lists nothing and leaves a
// document it would have appended to as it was.
void TestCapture::failedCaptureIsReportedAndNotListed_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("appending");
    QTest::addColumn<bool>("english");
    QTest::newRow("jpg") << 0 << false << false;
    QTest::newRow("bmp, English") << 3 << false << true;
    QTest::newRow("single page pdf") << 1 << false << false;
    QTest::newRow("multi page pdf") << 2 << false << true;
    QTest::newRow("multi page pdf, second page") << 2 << true << false;
}

void TestCapture::failedCaptureIsReportedAndNotListed() {
    QFETCH(int, format);
    QFETCH(bool, appending);
    QFETCH(bool, english);
    auto form = form7();
    if (english)
        form->onEnglish();
    form->widgets()->comboBoxFmt->setCurrentIndex(format);
    const QString document = QString::fromLocal8Bit(onScreen::folder(form)) + "/Image00007.pdf";
    if (appending)
        form->widgets()->pushButtonScan->click();
    const auto contents = [&document] {
        QFile f(document);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    const int listed = onScreen::strip(form).count();
    env.messages.clear();
    core().script.captureResult = 0;
    form->widgets()->pushButtonScan->click();
    QCOMPARE(onScreen::strip(form).count(), listed);
    QCOMPARE(env.messages.size(), 1);
    if (english)
        QVERIFY(env.messages.first().first.startsWith(QStringLiteral("Capture failed")));
    else
        QCOMPARE(env.messages.first().first, QStringLiteral("拍照失败!"));
    QCOMPARE(QFile::exists(document), appending);
    if (appending)
        QCOMPARE(contents(), before);
    form.reset();
}

void TestCapture::mergeUsesThreeNamesAndListsOnlyTheResult() {
    auto form = form7();
    form->widgets()->checkBoxMix->click();
    QVERIFY(form->widgets()->radioButtonH->isEnabled());
    const int before = onScreen::strip(form).count();
    form->widgets()->pushButtonScan->click();
    const QByteArray f = onScreen::folder(form) + "/Image0000";
    QCOMPARE(capturePaths(), (QList<QByteArray>{f + "7.jpg", f + "8.jpg"}));
    // The prompt between the two shots.
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().first.startsWith(QStringLiteral("第一张或身份证正面已拍照")));
    const fake::Call mix = core().callsOf("OrvImagesMix").first();
    QCOMPARE(mix.args[0].toByteArray(), f + "7.jpg;" + f + "8.jpg;");
    QCOMPARE((QList<int>{mix.args[1].toInt(), mix.args[2].toInt(), mix.args[3].toInt(),
                         mix.args[4].toInt()}),
             (QList<int>{1, 2, 0, 0}));
    QCOMPARE(mix.args[5].toByteArray(), f + "9.jpg");
    QCOMPARE(onScreen::strip(form).count(), before + 1);
    QCOMPARE(onScreen::strip(form).pathAt(before), f + "9.jpg");

    form->widgets()->radioButtonH->click();
    form->widgets()->pushButtonScan->click();
    const fake::Call horizontal = core().callsOf("OrvImagesMix").last();
    QCOMPARE(horizontal.args[1].toInt(), 0);
    QCOMPARE(horizontal.args[2].toInt(), 1);
    QCOMPARE(horizontal.args[3].toInt(), 2);
    form->widgets()->checkBoxMix->click();
    QVERIFY(!form->widgets()->radioButtonH->isEnabled());
    form.reset();
}

void TestCapture::mergeUnderDateNamingKeepsItsShots() {
    platform::setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); });
    env.writeProfile("NameRule=2\n");
    auto form = env.makeForm();
    form->widgets()->checkBoxMix->click();
    form->widgets()->pushButtonScan->click();
    const QByteArray base = onScreen::folder(form) + "/2024-03-05_140709";
    QCOMPARE(capturePaths(), (QList<QByteArray>{base + ".jpg", base + "_2.jpg"}));
    QCOMPARE(core().callsOf("OrvImagesMix").first().args[5].toByteArray(), base + "_3.jpg");
    platform::setClock({});
    form.reset();
}

void TestCapture::compositionArithmetic() {
    capture::Composition c;
    c.videoLeft = 10;
    c.videoTop = 20;
    c.videoRight = 410;
    c.videoBottom = 320; // 400 x 300 on screen
    c.smallSize = QSize(136, 100);
    c.videoOrigin = QPoint(500, 400);
    c.smallPos = QPoint(600, 550); // 100 right, 50 above the bottom
    c.imageWidth = 2000;
    c.imageHeight = 1500; // 5x
    const capture::Placement p = capture::placeSubPicture(c);
    QCOMPARE(p.width, 680);
    QCOMPARE(p.height, 500);
    QCOMPARE(p.offsetX, 500);
    QCOMPARE(p.offsetY, 250);
    c.videoRight = c.videoLeft; // no video: nothing placed, no division by zero
    QCOMPARE(capture::placeSubPicture(c).width, 0);
}

void TestCapture::compositionUsesThreeNamesInOrder() {
    core().script.cameraCount = 2;
    core().script.rect[0] = 0;
    core().script.rect[2] = 640;
    auto form = form7();
    form->widgets()->checkBoxPIP->click();
    form->widgets()->checkBoxInVideo->click();
    core().calls.clear();
    form->widgets()->pushButtonScan->click();
    const QByteArray f = onScreen::folder(form) + "/Image0000";
    QCOMPARE(capturePaths(), (QList<QByteArray>{f + "7.jpg", f + "8.jpg"}));
    QCOMPARE(firstArg(core().callsOf("OrvCapture")), (QList<int>{0, 1}));
    const fake::Call combine = core().callsOf("OrvCombineMainSubEn").first();
    QCOMPARE(combine.args[2].toByteArray(), f + "9.jpg");
    QVERIFY(combine.args[5].toInt() <= 0 && combine.args[6].toInt() <= 0); // offsets negated
    QCOMPARE(onScreen::strip(form).pathAt(onScreen::strip(form).count() - 1), f + "9.jpg");
    form.reset();
}

void TestCapture::doubleCaptureHoldsModeOneForOneCapture() {
    auto form = form7();
    form->widgets()->pushButtonCompose->click();
    QCOMPARE(core().names({"OrvSetCaptureMode", "OrvCapture"}),
             (QStringList{"OrvSetCaptureMode", "OrvCapture", "OrvSetCaptureMode"}));
    QCOMPARE(core().callsOf("OrvSetCaptureMode").last().args[1].toInt(), 0);
    form.reset();
}

void TestCapture::commitWritesEveryPathAndResetsTheCounter() {
    auto form = form7();
    if (!onScreen::strip(form).isLoaded())
        QSKIP("thumbnail strip library not built");
    form->widgets()->pushButtonScan->click();
    form->widgets()->pushButtonScan->click();
    const QString file = QString::fromLocal8Bit(platform::tempFolder()) + "OrvCommit.txt";
    QFile::remove(file);
    QVERIFY(form->onCommit());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray dir = onScreen::folder(form);
    QCOMPARE(f.readAll(), dir + "/Image00007.jpg@@" + dir + "/Image00008.jpg@@");
    QCOMPARE(onScreen::strip(form).count(), 0);
    QCOMPARE(form->settings().fileNameCounter, 0);
    // An empty strip commits nothing.
    QVERIFY(!form->onCommit());
    f.remove();
    form.reset();
}

void TestCapture::commitNeverFollowsAPlantedLink() {
    auto form = form7();
    if (!onScreen::strip(form).isLoaded())
        QSKIP("thumbnail strip library not built");
    form->widgets()->pushButtonScan->click();
    QTemporaryDir victimDir;
    const QString victim = victimDir.filePath(QStringLiteral("victim.txt"));
    QFile v(victim);
    QVERIFY(v.open(QIODevice::WriteOnly));
    v.write("precious");
    v.close();
    const QString file = QString::fromLocal8Bit(platform::tempFolder()) + "OrvCommit.txt";
    QFile::remove(file);
    QVERIFY(QFile::link(victim, file));
    QVERIFY(form->onCommit());
    QVERIFY(!QFileInfo(file).isSymLink());
    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("precious"));
    QFile::remove(file);
    form.reset();
}

// Both reads run on a worker thread: the button's, during which a second
// press is ignored, and the naming rule's, during which the GUI thread keeps
// handling events (here a timer that lets the read finish).
void TestCapture::barcodeReadsLeaveTheWindowLive() {
    env.writeProfile("NameRule=1\n");
    core().script.barcode = "<barcode type=\"QRCode\">INV-9</barcode>";
    auto form = env.makeForm();
    QSemaphore go;
    std::atomic<QThread*> readOn{nullptr};
    std::atomic<bool> released{false};
    core().onCall = [&](const fake::Call& call) {
        if (call.name != "OrvReadBarcode")
            return;
        readOn = QThread::currentThread();
        released = go.tryAcquire(1, 5000);
    };

    form->widgets()->pushButtonReadBarcode->click();
    QTRY_VERIFY(readOn.load());
    QVERIFY(readOn.load() != QThread::currentThread());
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    form->widgets()->pushButtonReadBarcode->click(); // ignored: a read runs
    go.release();
    QTRY_VERIFY(onScreen::child<QBarcodeResultDlg>(form)->isVisible());
    QVERIFY(released.load());
    QCOMPARE(core().count("OrvReadBarcode"), 1);
    QVERIFY(!QGuiApplication::overrideCursor());

    readOn = nullptr;
    released = false;
    QTimer::singleShot(30, [&go] { go.release(); }); // fires only if the GUI thread is free
    QCOMPARE(form->NextFileName(), QByteArray("INV-9"));
    QVERIFY(released.load());
    QVERIFY(readOn.load() != QThread::currentThread());
    QCOMPARE(core().count("OrvReadBarcode"), 2);
    core().onCall = nullptr;
}

void TestCapture::barcodeDialogShowsAndExports() {
    core().script.barcode = "<barcode type=\"QR_CODE\">\xe4\xb8\xad A</barcode>";
    auto form = env.makeForm();
    form->widgets()->pushButtonReadBarcode->click();
    QBarcodeResultDlg* dlg = onScreen::child<QBarcodeResultDlg>(form);
    QTRY_VERIFY(dlg->isVisible()); // the read runs on a worker thread
    QVERIFY(dlg->ui->textEdit->toPlainText().contains(QStringLiteral("中 A")));
    QVERIFY(dlg->ui->pushButtonExport->isEnabled());

    core().script.barcode.clear();
    form->widgets()->pushButtonReadBarcode->click();
    QTRY_COMPARE(dlg->ui->textEdit->toPlainText(), QStringLiteral("没有检测到条码!"));
    QVERIFY(!dlg->ui->pushButtonExport->isEnabled());

    // The earlier reading is what an export writes, as UTF-8.
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("codes.xml"));
    platform::setSaveFileChooser(
        [&](QWidget*, const QString&, const QString&, const QString&) { return out; });
    dlg->onExport();
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("<barcode type=\"QR_CODE\">\xe4\xb8\xad A</barcode>"));
    QCOMPARE(env.messages.last().first, QStringLiteral("导出完成!"));

    // Cancelled: nothing written, nothing said.
    env.messages.clear();
    platform::setSaveFileChooser(
        [](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
    dlg->onExport();
    QVERIFY(env.messages.isEmpty());
    dlg->ui->pushButtonClose->click();
    QVERIFY(!dlg->isVisible());
    form.reset();
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
