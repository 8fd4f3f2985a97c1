// Capture file names: the four naming rules, the counter, the field checks,
// formats and colour modes, and names that come from outside (barcodes, the
// custom box) made safe.

#include "AppTestEnv.h"
#include "capture/FileNaming.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "recognition/BarcodeText.h"
#include "ui_MainForm.h"

#include <QtTest>

using fake::core;

class TestNaming : public QObject {
    Q_OBJECT
    AppTestEnv env;

    static void finishEdit(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        emit edit->editingFinished();
    }

private slots:
    void init() {
        env.setUp();
        platform::setClock({});
        platform::setFolderChooser({});
    }

    void automaticNames_data();
    void automaticNames();
    void automaticCountsUpAndShowsTheCounter();
    void storedStepOutsideItsRangeLosesNoCapture_data();
    void storedStepOutsideItsRangeLosesNoCapture();
    void multiPagePdfStartsANewDocumentAtAFreeName();
    void dateNamesWithinOneSecondGetSuffixes();
    void barcodeNamingTakesTheFirstElement_data();
    void barcodeNamingTakesTheFirstElement();
    void customNamesAreMadeSafe_data();
    void customNamesAreMadeSafe();
    void safeNamesAreCutAtCharacterBoundaries();
    void existingFilesAreNeverReplaced();
    void fieldChecks_data();
    void fieldChecks();
    void colourModeAndFormatDecideTheExtension();
    void listsKeepTheirChoiceAcrossLanguageSwitches();
    void ruleSwitchShowsTheRightControls();
    void browserProbesWritability();
    void suffixBeforeTheExtension();
    void barcodeElementRule_data();
    void barcodeElementRule();
};

void TestNaming::automaticNames_data() {
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("padded") << 5 << 0 << QByteArray("Image00000");
    QTest::newRow("wider than digits") << 3 << 1234 << QByteArray("Image1234");
    QTest::newRow("negative") << 4 << -5 << QByteArray("Image-005");
    QTest::newRow("twenty digits") << 20 << 7 << QByteArray("Image00000000000000000007");
}

void TestNaming::automaticNames() {
    QFETCH(int, digits);
    QFETCH(int, counter);
    QFETCH(QByteArray, name);
    QCOMPARE(naming::automaticName("Image", digits, counter), name);
}

void TestNaming::automaticCountsUpAndShowsTheCounter() {
    auto form = env.makeForm();
    for (const char* name : {"Image00000.jpg", "Image00001.jpg", "Image00002.jpg"})
        QCOMPARE(onScreen::scannedName(form), QByteArray(name));
    QCOMPARE(form->widgets()->lineEditFileNameInit->text(), QStringLiteral("3"));
    finishEdit(form->widgets()->lineEditFileNameStep, QStringLiteral("10"));
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00003.jpg"));
    QCOMPARE(AppTestEnv::saved(form).fileNameCounter, 13);
    form.reset();
    QVERIFY(env.readProfile().contains("FileNameCount=13"));
}

void TestNaming::storedStepOutsideItsRangeLosesNoCapture_data() {
    QTest::addColumn<QByteArray>("step");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("negative") << QByteArray("-1");
    QTest::newRow("too large") << QByteArray("101");
}

// A hand-edited step would name captures alike or walk back over names of
// earlier sessions: the default step is used, shown and written back instead.
void TestNaming::storedStepOutsideItsRangeLosesNoCapture() {
    QFETCH(QByteArray, step);
    env.writeProfile("FileNameCount=4\nFileNameStep=" + step + "\nJPGQuality=1e9\n");
    auto form = env.makeForm();
    QCOMPARE(form->widgets()->lineEditFileNameStep->text(), QStringLiteral("1"));
    for (const char* name : {"Image00004.jpg", "Image00005.jpg", "Image00006.jpg"})
        QCOMPARE(onScreen::scannedName(form), QByteArray(name));
    form.reset();
    QVERIFY(env.readProfile().contains("\nFileNameStep=1\n"));
    QVERIFY(env.readProfile().contains("\nJPGQuality=75\n"));
}

void TestNaming::multiPagePdfStartsANewDocumentAtAFreeName() {
    auto form = env.makeForm();
    form->widgets()->comboBoxFmt->setCurrentIndex(2);
    // A document from an earlier run is somebody's: the new one goes beside it.
    QFile pdf(QString::fromLocal8Bit(onScreen::folder(form)) + "/Image00000.pdf");
    QVERIFY(pdf.open(QIODevice::WriteOnly));
    pdf.write("%PDF-1.4 earlier pages");
    pdf.close();
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00001.pdf"));
    // The next pages go into the same document: the counter stands still.
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00001.pdf"));
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00001.pdf"));
    QCOMPARE(AppTestEnv::saved(form).fileNameCounter, 1);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.readAll(), QByteArray("%PDF-1.4 earlier pages"));
    form.reset();
}
void TestNaming::dateNamesWithinOneSecondGetSuffixes() {
    platform::setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 400)); });
    env.writeProfile("NameRule=2\n");
    auto form = env.makeForm();
    QCOMPARE(onScreen::scannedName(form), QByteArray("2024-03-05_140709.jpg"));
    QCOMPARE(onScreen::scannedName(form), QByteArray("2024-03-05_140709_2.jpg"));
    QCOMPARE(onScreen::scannedName(form), QByteArray("2024-03-05_140709_3.jpg"));
    QVERIFY(
        QFile::exists(QString::fromLocal8Bit(onScreen::folder(form)) + "/2024-03-05_140709.jpg"));
    form.reset();
}
void TestNaming::barcodeNamingTakesTheFirstElement_data() {
    QTest::addColumn<QByteArray>("reading");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("first of two") << QByteArray("<barcode type=\"QR_CODE\">INV-7</barcode>"
                                                "<barcode type=\"CODE_128\">X</barcode>")
                                  << QByteArray("INV-7");
    QTest::newRow("plain text kept") << QByteArray("A12") << QByteArray("A12");
    QTest::newRow("nothing") << QByteArray() << QByteArray("未命名");
    QTest::newRow("empty element")
        << QByteArray("<barcode type=\"EAN_13\"></barcode>") << QByteArray("未命名");
    QTest::newRow("escape attempt")
        << QByteArray("<barcode type=\"QR_CODE\">../../etc/passwd</barcode>")
        << QByteArray("_.._etc_passwd");
    QTest::newRow("absolute path")
        << QByteArray("<barcode type=\"QR_CODE\">/tmp/x</barcode>") << QByteArray("_tmp_x");
    // C1 controls in UTF-8 (NEL, CSI) and as Latin-1 bytes; a character whose
    // UTF-8 bytes lie in that range ("丐" = E4 B8 90) stays.
    QTest::newRow("C1 controls") << QByteArray("<barcode type=\"QR_CODE\">a\xc2\x85"
                                               "b\xc2\x9b"
                                               "c\x85"
                                               "d\x9f\xe4\xb8\x90</barcode>")
                                 << QByteArray("a_b_c_d_\xe4\xb8\x90");
}

void TestNaming::barcodeNamingTakesTheFirstElement() {
    QFETCH(QByteArray, reading);
    QFETCH(QByteArray, name);
    env.writeProfile("NameRule=1\n");
    core().script.barcode = reading;
    auto form = env.makeForm();
    const QByteArray path = onScreen::scanned(form);
    QCOMPARE(path, onScreen::folder(form) + "/" + name + ".jpg");
    QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));
    form.reset();
}

void TestNaming::customNamesAreMadeSafe_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("plain") << QStringLiteral("合同 2024") << QByteArray("合同 2024");
    QTest::newRow("empty") << QString() << QByteArray("未命名");
    QTest::newRow("dots only") << QStringLiteral("..") << QByteArray("未命名");
    QTest::newRow("separators") << QStringLiteral("a/b\\c:d") << QByteArray("a_b_c_d");
    QTest::newRow("control characters") << QStringLiteral("a\tb\nc") << QByteArray("a_b_c");
    QTest::newRow("hidden file") << QStringLiteral(".profile") << QByteArray("profile");
    QTest::newRow("trailing dots") << QStringLiteral("name. . ") << QByteArray("name");
}

void TestNaming::customNamesAreMadeSafe() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, name);
    env.writeProfile("NameRule=3\n");
    auto form = env.makeForm();
    form->widgets()->lineEditFileName->setText(typed);
    QCOMPARE(onScreen::scannedName(form), name + ".jpg");
    form.reset();
}

void TestNaming::safeNamesAreCutAtCharacterBoundaries() {
    const QByteArray longName = QString(200, QChar(0x4E2D)).toUtf8(); // 600 bytes
    const QByteArray cut = naming::safeFileName(longName);
    QVERIFY(cut.size() <= 180);
    QCOMPARE(QString::fromUtf8(cut).toUtf8(), cut); // still valid UTF-8
    QCOMPARE(naming::safeFileName(QByteArray("a\0b", 3)), QByteArray("a"));
    const QByteArray prefix(200, 'p');
    QCOMPARE(naming::automaticName(prefix, 5, 1).size(), 99);
}

void TestNaming::existingFilesAreNeverReplaced() {
    env.writeProfile("NameRule=3\n");
    auto form = env.makeForm();
    form->widgets()->lineEditFileName->setText(QStringLiteral("page"));
    const QString existing = QString::fromLocal8Bit(onScreen::folder(form)) + "/page.jpg";
    QFile f(existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    QCOMPARE(onScreen::scannedName(form), QByteArray("page_2.jpg"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old"));
    form.reset();
}
void TestNaming::fieldChecks_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");
    const QString digits = QStringLiteral("请输入[1-20]之间的数字!");
    const QString step = QStringLiteral("请输入[1-100]之间的数字!");
    QTest::newRow("digits abc") << "count"
                                << "abc" << false << digits;
    QTest::newRow("digits 0") << "count"
                              << "0" << false << digits;
    QTest::newRow("digits 20") << "count"
                               << "20" << true << QString();
    QTest::newRow("digits 21") << "count"
                               << "21" << false << digits;
    QTest::newRow("step 100") << "step"
                              << "100" << true << QString();
    QTest::newRow("step 101") << "step"
                              << "101" << false << step;
    QTest::newRow("counter -7") << "init"
                                << "-7" << true << QString();
    QTest::newRow("counter x") << "init"
                               << "1x" << false << QStringLiteral("请输入整数!");
}

void TestNaming::fieldChecks() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    auto form = env.makeForm();
    QLineEdit* edit = field == "count"  ? form->widgets()->lineEditFileNameCount
                      : field == "step" ? form->widgets()->lineEditFileNameStep
                                        : form->widgets()->lineEditFileNameInit;
    const QString before = edit->text();
    finishEdit(edit, typed);
    if (accepted) {
        QVERIFY(env.messages.isEmpty());
        QCOMPARE(edit->text(), typed);
    } else {
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages.first().first, message);
        QCOMPARE(edit->text(), before);
    }
    form.reset();
}

void TestNaming::colourModeAndFormatDecideTheExtension() {
    auto form = env.makeForm();
    form->widgets()->comboBoxColor->setCurrentIndex(2);
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00000.tif"));
    QCOMPARE(core().callsOf("OrvSetDevColor").last().args[1].toInt(), 2);
    form->widgets()->comboBoxFmt->setCurrentIndex(5);
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00001.png"));
    form->widgets()->comboBoxColor->setCurrentIndex(1);
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00002.jpg"));
    QVERIFY(form->widgets()->radioButtonDocument->isChecked());
    form->widgets()->comboBoxColor->setCurrentIndex(2);
    QCOMPARE(onScreen::scannedName(form), QByteArray("Image00003.tif"));
    form.reset();
}

void TestNaming::listsKeepTheirChoiceAcrossLanguageSwitches() {
    auto form = env.makeForm();
    form->widgets()->comboBoxFmt->setCurrentIndex(4);
    form->widgets()->comboBoxNameRule->setCurrentIndex(2);
    form->widgets()->comboBoxColor->setCurrentIndex(1);
    form->onEnglish();
    QCOMPARE(form->widgets()->comboBoxFmt->currentIndex(), 4);
    QCOMPARE(AppTestEnv::saved(form).nameRule, 2);
    QCOMPARE(AppTestEnv::saved(form).colorMode, 1);
    QCOMPARE(form->widgets()->comboBoxFmt->currentText(), QStringLiteral("TIF"));
    QCOMPARE(form->widgets()->comboBoxNameRule->currentText(), QStringLiteral("Date naming"));
    // The extension is that of the last choice; a rebuild is no choice.
    QVERIFY(onScreen::scannedName(form).endsWith(".jpg")); // named by date
    form.reset();
}

void TestNaming::ruleSwitchShowsTheRightControls() {
    auto form = env.makeForm();
    Ui::MainForm* ui = form->widgets();
    QVERIFY(!ui->lineEditFileNameStep->isHidden());
    QCOMPARE(ui->labelFileName->text(), QStringLiteral("前缀:"));
    ui->comboBoxNameRule->setCurrentIndex(3);
    QVERIFY(ui->lineEditFileNameStep->isHidden());
    QVERIFY(!ui->lineEditFileName->isHidden());
    QCOMPARE(ui->lineEditFileName->width(), 120);
    QVERIFY(ui->lineEditFileName->text().isEmpty());
    QCOMPARE(ui->labelFileName->text(), QStringLiteral("文件名:"));
    // Typing under Custom doesn't change the prefix.
    finishEdit(ui->lineEditFileName, QStringLiteral("x"));
    QCOMPARE(AppTestEnv::saved(form).prefixName, QByteArray("Image"));
    ui->comboBoxNameRule->setCurrentIndex(1);
    QVERIFY(ui->lineEditFileName->isHidden());
    ui->comboBoxNameRule->setCurrentIndex(0);
    QCOMPARE(ui->lineEditFileName->text(), QStringLiteral("Image"));
    QCOMPARE(ui->lineEditFileName->width(), 51);
    form.reset();
}

void TestNaming::browserProbesWritability() {
    auto form = env.makeForm();
    const QByteArray before = AppTestEnv::saved(form).workPath;
    platform::setFolderChooser([](QWidget*, const QString&, const QString&) { return QString(); });
    form->onBrowser();
    QCOMPARE(AppTestEnv::saved(form).workPath, before);

    // A path where a folder can't be written: under a regular file.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("plain")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString blocked = dir.filePath(QStringLiteral("plain/sub"));
    platform::setFolderChooser([&](QWidget*, const QString&, const QString&) { return blocked; });
    form->onBrowser();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages.first().first, QStringLiteral("所选目录没有文件写权限, 请重新选择目录!"));
    QCOMPARE(AppTestEnv::saved(form).workPath, before);

    // The probe never touches a file of the user's.
    QFile mine(dir.filePath(QStringLiteral("test.txt")));
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("notes");
    mine.close();
    platform::setFolderChooser(
        [&](QWidget*, const QString&, const QString&) { return dir.path(); });
    form->onBrowser();
    QCOMPARE(AppTestEnv::saved(form).workPath, dir.path().toLocal8Bit());
    QCOMPARE(onScreen::folder(form), dir.path().toLocal8Bit());
    QCOMPARE(form->widgets()->lineEditFilePath->text(), dir.path());
    QVERIFY(mine.open(QIODevice::ReadOnly));
    QCOMPARE(mine.readAll(), QByteArray("notes"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"plain", "test.txt"}));
    platform::setFolderChooser({});
    form.reset();
}

void TestNaming::suffixBeforeTheExtension() {
    QCOMPARE(naming::insertBeforeExtension("/a/b.jpg", "_split"), QByteArray("/a/b_split.jpg"));
    QCOMPARE(naming::insertBeforeExtension("/a.d/b", "_1"), QByteArray("/a.d/b_1"));
    QCOMPARE(naming::insertBeforeExtension("/a/.jpg", "_1"), QByteArray("/a/.jpg_1"));
}

void TestNaming::barcodeElementRule_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("one") << QByteArray("<barcode type=\"QR\">abc</barcode>") << true
                         << QByteArray("abc");
    QTest::newRow("prefix noise") << QByteArray("x<barcode type=\"QR\">abc</barcode>") << true
                                  << QByteArray("abc");
    QTest::newRow("no close") << QByteArray("<barcode type=\"QR\">abc") << false << QByteArray();
    QTest::newRow("no open") << QByteArray("abc</barcode>") << false << QByteArray();
    QTest::newRow("no gt") << QByteArray("<barcode type") << false << QByteArray();
    QTest::newRow("empty content")
        << QByteArray("<barcode type=\"QR\"></barcode>") << true << QByteArray();
}

void TestNaming::barcodeElementRule() {
    QFETCH(QByteArray, text);
    QFETCH(bool, found);
    QFETCH(QByteArray, content);
    QByteArray got = "untouched";
    QCOMPARE(barcode::firstElement(text, &got), found);
    QCOMPARE(got, found ? content : QByteArray("untouched"));
    QCOMPARE(barcode::displayText("\xe4\xb8\xad"), QStringLiteral("中"));
    QCOMPARE(barcode::displayText("\xe9t\xe9"), QStringLiteral("été"));
}

QTEST_MAIN(TestNaming)
#include "tst_naming.moc"
