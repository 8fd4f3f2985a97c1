// Capture commands against the fake camera library: which files are taken,
// which items reach the thumbnail strip, merges and compositions, failures,
// and the hand-off of the strip to a waiting scanning driver.

#include "AppTestEnv.h"
#include "capture/CaptureGeometry.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Paths.h"
#include "recognition/QBarcodeResultDlg.h"
#include "ui_MainForm.h"
#include "ui_QBarcodeResultDlg.h"

#include "platform/Clock.h"
#include "platform/Desktop.h"

#include <QtTest>

using fake::core;

class TestCapture : public QObject {
    Q_OBJECT
    AppTestEnv env;

    static QList<QByteArray> items(MainForm* form) {
        QList<QByteArray> out;
        for (int i = 0; i < form->strip->count(); ++i)
            out << form->strip->pathAt(i);
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
    MainForm* form7() {
        env.writeProfile("FileNameCount=7\n");
        MainForm* form = new MainForm;
        if (!form->strip->isLoaded())
            qWarning("thumbnail strip library not found beside the test");
        form->strip->clear(); // the library outlives a window in one process
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
    void failedCaptureIsReportedAndNotListed();
    void mergeUsesThreeNamesAndListsOnlyTheResult();
    void mergeUnderDateNamingKeepsItsShots();
    void compositionArithmetic();
    void compositionUsesThreeNamesInOrder();
    void doubleCaptureHoldsModeOneForOneCapture();
    void commitWritesEveryPathAndResetsTheCounter();
    void commitNeverFollowsAPlantedLink();
    void barcodeDialogShowsAndExports();
};

void TestCapture::plainCaptureAddsOneItem() {
    MainForm* form = form7();
    form->ui->pushButtonScan->click();
    const QByteArray expected = form->imageFolder + "/Image00007.jpg";
    QCOMPARE(capturePaths(), QList<QByteArray>{expected});
    QCOMPARE(items(form), QList<QByteArray>{expected});
    QVERIFY(form->strip->checkedAt(0));
    QCOMPARE(form->cfg.fileNameCounter, 8);
    // Without the watermark check box, no earlier watermark stays on.
    QCOMPARE(core().count("OrvClearWatermark"), 1);
    delete form;
}

void TestCapture::splitAddsTheSplitItem() {
    MainForm* form = form7();
    form->ui->checkBoxSplitCap->click();
    QCOMPARE(core().callsOf("OrvEnableSplitCap").last().args[1].toBool(), true);
    form->ui->pushButtonScan->click();
    const QByteArray base = form->imageFolder + "/Image00007";
    QCOMPARE(items(form), (QList<QByteArray>{base + ".jpg", base + "_split.jpg"}));
    delete form;
}

void TestCapture::countAboveOneAddsNumberedItems() {
    core().script.captureResult = 3;
    MainForm* form = form7();
    form->ui->pushButtonScan->click();
    const QByteArray x = form->imageFolder + "/Image00007";
    QCOMPARE(items(form),
             (QList<QByteArray>{x + ".jpg", x + "_1.jpg", x + "_2.jpg", x + "_3.jpg"}));
    delete form;

    core().reset();
    core().script.captureResult = 2;
    form = form7();
    form->ui->checkBoxSplitCap->click();
    form->ui->pushButtonScan->click();
    const QList<QByteArray> got = items(form);
    QCOMPARE(got.mid(got.size() - 3),
             (QList<QByteArray>{x + "_split.jpg", x + "_split_1.jpg", x + "_split_2.jpg"}));
    delete form;
}

void TestCapture::pdfCaptureShowsTheTemporaryPicture() {
    MainForm* form = form7();
    form->ui->comboBoxFmt->setCurrentIndex(1);
    form->ui->checkBoxSplitCap->click();
    form->ui->pushButtonScan->click();
    const QByteArray pdf = form->imageFolder + "/Image00007.pdf";
    const QByteArray picture = platform::tempFolder() + "OrvImage.jpg";
    QCOMPARE(capturePaths(), (QList<QByteArray>{pdf, picture}));
    const int n = form->strip->count();
    QVERIFY(n >= 1);
    QCOMPARE(form->strip->pathAt(n - 1), pdf);
    delete form;
}

void TestCapture::failedCaptureIsReportedAndNotListed() {
    core().script.captureResult = 0;
    MainForm* form = form7();
    const int before = form->strip->count();
    form->ui->pushButtonScan->click();
    QCOMPARE(form->strip->count(), before);
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("拍照失败!"));
    form->onEnglish();
    env.messages.clear();
    form->ui->comboBoxFmt->setCurrentIndex(2);
    form->ui->pushButtonScan->click();
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(env.messages.first().first.startsWith(QStringLiteral("Capture failed")));
    QCOMPARE(form->strip->count(), before);
    delete form;
}

void TestCapture::mergeUsesThreeNamesAndListsOnlyTheResult() {
    MainForm* form = form7();
    form->ui->checkBoxMix->click();
    QVERIFY(form->ui->radioButtonH->isEnabled());
    const int before = form->strip->count();
    form->ui->pushButtonScan->click();
    const QByteArray f = form->imageFolder + "/Image0000";
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
    QCOMPARE(form->strip->count(), before + 1);
    QCOMPARE(form->strip->pathAt(before), f + "9.jpg");
    QVERIFY(form->firstShotPath.isEmpty());

    form->ui->radioButtonH->click();
    form->ui->pushButtonScan->click();
    const fake::Call horizontal = core().callsOf("OrvImagesMix").last();
    QCOMPARE(horizontal.args[1].toInt(), 0);
    QCOMPARE(horizontal.args[2].toInt(), 1);
    QCOMPARE(horizontal.args[3].toInt(), 2);
    form->ui->checkBoxMix->click();
    QVERIFY(!form->ui->radioButtonH->isEnabled());
    delete form;
}

void TestCapture::mergeUnderDateNamingKeepsItsShots() {
    platform::setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); });
    env.writeProfile("NameRule=2\n");
    MainForm* form = new MainForm;
    form->ui->checkBoxMix->click();
    form->ui->pushButtonScan->click();
    const QByteArray base = form->imageFolder + "/2024-03-05_140709";
    QCOMPARE(capturePaths(), (QList<QByteArray>{base + ".jpg", base + "_2.jpg"}));
    QCOMPARE(core().callsOf("OrvImagesMix").first().args[5].toByteArray(), base + "_3.jpg");
    platform::setClock({});
    delete form;
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
    MainForm* form = form7();
    form->ui->checkBoxPIP->click();
    form->ui->checkBoxInVideo->click();
    core().calls.clear();
    form->ui->pushButtonScan->click();
    const QByteArray f = form->imageFolder + "/Image0000";
    QCOMPARE(capturePaths(), (QList<QByteArray>{f + "7.jpg", f + "8.jpg"}));
    QCOMPARE(firstArg(core().callsOf("OrvCapture")), (QList<int>{0, 1}));
    const fake::Call combine = core().callsOf("OrvCombineMainSubEn").first();
    QCOMPARE(combine.args[2].toByteArray(), f + "9.jpg");
    QVERIFY(combine.args[5].toInt() <= 0 && combine.args[6].toInt() <= 0); // offsets negated
    QCOMPARE(form->strip->pathAt(form->strip->count() - 1), f + "9.jpg");
    delete form;
}

void TestCapture::doubleCaptureHoldsModeOneForOneCapture() {
    MainForm* form = form7();
    form->ui->pushButtonCompose->click();
    QCOMPARE(core().names({"OrvSetCaptureMode", "OrvCapture"}),
             (QStringList{"OrvSetCaptureMode", "OrvCapture", "OrvSetCaptureMode"}));
    QCOMPARE(core().callsOf("OrvSetCaptureMode").last().args[1].toInt(), 0);
    delete form;
}

void TestCapture::commitWritesEveryPathAndResetsTheCounter() {
    MainForm* form = form7();
    if (!form->strip->isLoaded())
        QSKIP("thumbnail strip library not built");
    form->ui->pushButtonScan->click();
    form->ui->pushButtonScan->click();
    const QString file = QString::fromLocal8Bit(platform::tempFolder()) + "OrvCommit.txt";
    QFile::remove(file);
    QVERIFY(form->onCommit());
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray dir = form->imageFolder;
    QCOMPARE(f.readAll(), dir + "/Image00007.jpg@@" + dir + "/Image00008.jpg@@");
    QCOMPARE(form->strip->count(), 0);
    QCOMPARE(form->cfg.fileNameCounter, 0);
    // An empty strip commits nothing.
    QVERIFY(!form->onCommit());
    f.remove();
    delete form;
}

void TestCapture::commitNeverFollowsAPlantedLink() {
    MainForm* form = form7();
    if (!form->strip->isLoaded())
        QSKIP("thumbnail strip library not built");
    form->ui->pushButtonScan->click();
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
    delete form;
}

void TestCapture::barcodeDialogShowsAndExports() {
    core().script.barcode = "<barcode type=\"QR_CODE\">\xe4\xb8\xad A</barcode>";
    MainForm* form = new MainForm;
    form->ui->pushButtonReadBarcode->click();
    QBarcodeResultDlg* dlg = form->barcodeDialog;
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->ui->textEdit->toPlainText().contains(QStringLiteral("中 A")));
    QVERIFY(dlg->ui->pushButtonExport->isEnabled());

    core().script.barcode.clear();
    form->ui->pushButtonReadBarcode->click();
    QCOMPARE(dlg->ui->textEdit->toPlainText(), QStringLiteral("没有检测到条码!"));
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
    delete form;
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
