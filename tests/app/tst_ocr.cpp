// OCR of the page against the fake camera library and the fake OCR engine:
// the picture file, the engine's call, the reused result window, failed
// captures and stale pictures, a run in progress, and saving the text in
// each export format (read back with standard tools).

#include "AppTestEnv.h"
#include "FakeModaOcr.h"
#include "platform/Paths.h"
#include "recognition/OcrExport.h"
#include "recognition/OcrService.h"
#include "recognition/QOCRResultDlg.h"
#include "ui_QOCRResultDlg.h"

#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using fake::core;
using fake::modaOcr;

namespace {

// What the fake camera writes for a capture (a stand-in for a JPEG).
const QByteArray kPicture = "\xFF\xD8 page picture \xFF\xD9";

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(program, QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// &#NNNNN; entities (unrtf's HTML) back to characters.
QString decodeEntities(QString html) {
    static const QRegularExpression entity(QStringLiteral("&#(\\d+);"));
    QRegularExpressionMatch m;
    while ((m = entity.match(html)).hasMatch())
        html.replace(m.capturedStart(), m.capturedLength(), QChar(m.captured(1).toInt()));
    return html;
}

} // namespace

class TestOcr : public QObject {
    Q_OBJECT
    AppTestEnv env;
    std::unique_ptr<QTemporaryDir> temp;
    std::unique_ptr<QWidget> window;
    QPushButton* button = nullptr;
    OcrService* service = nullptr;
    bool captureWrites = true;
    int language = 0;

    QString picturePath() const { return QString::fromLocal8Bit(OcrService::imagePath()); }

    void runOnce(const QByteArray& text) {
        modaOcr().text = text;
        QSignalSpy done(service, &OcrService::finished);
        QVERIFY(service->start(0, button));
        QVERIFY(done.wait(5000));
    }

private slots:
    void init() {
        env.setUp();
        temp = std::make_unique<QTemporaryDir>();
        qputenv("TMPDIR", temp->path().toLocal8Bit());
        modaOcr().reset();
        captureWrites = true;
        language = 0;
        core().onCall = [this](const fake::Call& call) {
            if (call.name != "OrvCapture" || !captureWrites)
                return;
            QFile file(QString::fromLocal8Bit(call.args.value(1).toByteArray()));
            if (file.open(QIODevice::WriteOnly))
                file.write(kPicture);
        };
        window = std::make_unique<QWidget>();
        button = new QPushButton(QStringLiteral("OCR识别"), window.get());
        service = new OcrService(window.get(), [this] { return language; });
    }
    void cleanup() {
        core().onCall = nullptr;
        window.reset();
        qunsetenv("TMPDIR");
    }

    // The camera's picture in the temporary folder is what the engine reads,
    // with the fixed values; a second run replaces the text in the same window.
    void twoRunsShareOneWindow() {
        runOnce("第一页 first page");
        QCOMPARE(core().callsOf("OrvCapture").value(0).args,
                 QVariantList({0, picturePath().toLocal8Bit()}));
        const QList<fake::OcrCall> calls = modaOcr().callsSoFar();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].path, picturePath().toLocal8Bit());
        QCOMPARE(calls[0].picture, kPicture);
        QCOMPARE(calls[0].quality, 50);
        QCOMPARE(calls[0].mode, 0);
        QCOMPARE(calls[0].values[0], 0.6f);
        QCOMPARE(calls[0].values[1], 0.3f);
        QCOMPARE(calls[0].values[2], 3.0f);
        QCOMPARE(calls[0].values[3], 2.0f);
        QVERIFY(!calls[0].flags[0] && !calls[0].flags[1]);
        QOCRResultDlg* dialog = service->dialog();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("OCR识别结果"));
        QCOMPARE(dialog->size(), QSize(743, 745));
        QVERIFY(!dialog->ui->textEdit->isReadOnly());
        QCOMPARE(dialog->ocrText(), QStringLiteral("第一页 first page"));

        dialog->ui->textEdit->append(QStringLiteral("typed by the user"));
        runOnce("第二页 <b>second</b> page");
        QCOMPARE(window->findChildren<QOCRResultDlg*>().size(), 1);
        QCOMPARE(dialog->ocrText(), QStringLiteral("第二页 <b>second</b> page"));
        QVERIFY(env.messages.isEmpty());
    }

    // The shared temporary folder holds another account's "13.jpg" that
    // nobody here can remove: the run's pictures live in a folder of this
    // run's own (mode 0700, in the temporary folder), so OCR still reads.
    void otherAccountsPictureIsNoObstacle() {
        QVERIFY(QDir(temp->path()).mkpath(QStringLiteral("13.jpg/kept")));
        runOnce("第一页");
        QVERIFY(env.messages.isEmpty());
        QCOMPARE(service->dialog()->ocrText(), QStringLiteral("第一页"));
        const QFileInfo folder(QFileInfo(picturePath()).absolutePath());
        QCOMPARE(folder.absolutePath(), QFileInfo(temp->path()).absoluteFilePath());
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(folder.permissions() & others, QFile::Permissions());
        QVERIFY(folder.isDir() && !folder.isSymLink() && folder.isWritable());
        QVERIFY(QFileInfo(temp->filePath(QStringLiteral("13.jpg/kept"))).isDir());
        // The same folder for the whole run; made again when it has gone.
        QCOMPARE(platform::privateTempFolder(), OcrService::imagePath().chopped(6));
        QVERIFY(QDir(folder.absoluteFilePath()).removeRecursively());
        runOnce("第二页");
        QCOMPARE(service->dialog()->ocrText(), QStringLiteral("第二页"));
        QVERIFY(QFileInfo(picturePath()).isFile());
    }

    // While the engine reads, the button is disabled and says so, the cursor
    // is busy and another press does nothing; afterwards all is as before.
    void pressDuringRunDoesNothing() {
        modaOcr().hold = true;
        modaOcr().text = "页面";
        QSignalSpy done(service, &OcrService::finished);
        QVERIFY(service->start(0, button));
        QVERIFY(!button->isEnabled());
        QCOMPARE(button->text(), QStringLiteral("识别中…"));
        QVERIFY(QApplication::overrideCursor());
        QVERIFY(!service->start(0, button));
        QCOMPARE(core().count("OrvCapture"), 1);
        modaOcr().released.release();
        QVERIFY(done.wait(5000));
        QVERIFY(button->isEnabled());
        QCOMPARE(button->text(), QStringLiteral("OCR识别"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(modaOcr().callsSoFar().size(), 1);
        QCOMPARE(service->dialog()->ocrText(), QStringLiteral("页面"));
    }

    // A capture that writes nothing is reported and the window holds no
    // text: never an older page's, whether or not an old picture (or a link
    // planted in its place) was left in the temporary folder.
    void failedCaptureShowsNoOldText_data() {
        QTest::addColumn<QString>("left");
        QTest::newRow("nothing left") << QString();
        QTest::newRow("old picture") << QStringLiteral("file");
        QTest::newRow("planted link") << QStringLiteral("link");
    }
    void failedCaptureShowsNoOldText() {
        QFETCH(QString, left);
        runOnce("旧的页面 old page");
        const QString victim = env.home->filePath(QStringLiteral("keep.txt"));
        QFile keep(victim);
        QVERIFY(keep.open(QIODevice::WriteOnly));
        keep.write("the user's file");
        keep.close();
        if (left != QLatin1String("file"))
            QVERIFY(QFile::remove(picturePath()));
        if (left == QLatin1String("link"))
            QVERIFY(QFile::link(victim, picturePath()));
        QCOMPARE(QFileInfo::exists(picturePath()) || QFileInfo(picturePath()).isSymLink(),
                 !left.isEmpty());

        // The library reports success but writes nothing.
        captureWrites = false;
        core().script.writeFiles = false;
        QVERIFY(!service->start(0, button));
        QCOMPARE(modaOcr().callsSoFar().size(), 1);
        QCOMPARE(service->dialog()->ocrText(), QString());
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages[0].first, QStringLiteral("拍照失败，未能识别!"));
        QVERIFY(button->isEnabled());
        // The link itself is gone; what it pointed at is untouched.
        QVERIFY(!QFileInfo(picturePath()).isSymLink());
        QVERIFY(keep.open(QIODevice::ReadOnly));
        QCOMPARE(keep.readAll(), QByteArray("the user's file"));

        language = 1;
        QVERIFY(!service->start(0, button));
        QCOMPARE(env.messages.last().first,
                 QStringLiteral("The capture failed; nothing was read."));
    }

    // Each format opens in a standard tool with the text in it.
    void exportFormats_data() {
        QTest::addColumn<QByteArray>("extension");
        QTest::addColumn<QString>("file");
        QTest::newRow("txt") << QByteArray("txt") << QStringLiteral("out.txt");
        QTest::newRow("rtf") << QByteArray("rtf") << QStringLiteral("out.rtf");
        QTest::newRow("pdf") << QByteArray("pdf") << QStringLiteral("out.pdf");
        QTest::newRow("excel") << QByteArray("xls") << QStringLiteral("out.xlsx");
    }
    void exportFormats() {
        QFETCH(QByteArray, extension);
        QFETCH(QString, file);
        const QStringList lines = {QStringLiteral("文档摄像头识别结果"),
                                   QStringLiteral("Second line {braces} & \\backslash"),
                                   QStringLiteral("第三行 mixed 中文 text")};
        QOCRResultDlg* dialog = service->dialog();
        dialog->setOCRText(lines.join(QLatin1Char('\n')));
        dialog->setExportExtension(extension);
        const QString path = temp->filePath(file);
        QVERIFY(dialog->saveTo(path));
        QVERIFY(env.messages.isEmpty());
        QCOMPARE(QDir(temp->path()).entryList(QDir::Files | QDir::Hidden), QStringList{file});

        QString shown;
        if (extension == "txt") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            shown = QString::fromUtf8(f.readAll());
            QCOMPARE(shown, lines.join(QLatin1Char('\n')));
        } else if (extension == "rtf") {
            if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
                QSKIP("unrtf is not installed");
            shown = decodeEntities(run(QStringLiteral("unrtf"), {QStringLiteral("--html"), path}));
            shown.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        } else if (extension == "pdf") {
            shown = run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        } else {
            shown = run(QStringLiteral("unzip"),
                        {QStringLiteral("-p"), path, QStringLiteral("xl/sharedStrings.xml")});
            shown.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
            const QString sheet =
                run(QStringLiteral("unzip"),
                    {QStringLiteral("-p"), path, QStringLiteral("xl/worksheets/sheet1.xml")});
            for (const char* cell : {"r=\"A1\"", "r=\"A2\"", "r=\"A3\""})
                QVERIFY2(sheet.contains(QLatin1String(cell)), cell);
            QVERIFY(!sheet.contains(QLatin1String("r=\"A4\"")));
        }
        for (const QString& line : lines)
            QVERIFY2(shown.contains(line), qPrintable(shown));
    }

    // While the text is the engine's, "pdf" is the page picture with its
    // words (the engine reads them with their places); once the user has
    // edited it, the text alone.
    void pdfExportIsThePageWhileTheTextIsUnedited() {
        modaOcr().words = "0 10 10 90 40 93 页面\n";
        runOnce("页面");
        QOCRResultDlg* dialog = service->dialog();
        dialog->setExportExtension("pdf");
        const QString path = temp->filePath(QStringLiteral("page.pdf"));
        QVERIFY(dialog->saveTo(path));
        const QList<fake::Call> writes = core().callsOf("OrvWritePdfPages");
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes[0].args.value(0).toByteArray(), QFile::encodeName(path));
        QCOMPARE(writes[0].args.value(1).toInt(), 1); // a file of its own
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("page\n0 10 10 90 40 93 页面\n"));
        QCOMPARE(modaOcr().wordCallsSoFar().size(), 1);

        dialog->ui->textEdit->append(QStringLiteral("typed"));
        const QString edited = temp->filePath(QStringLiteral("edited.pdf"));
        QVERIFY(dialog->saveTo(edited));
        QCOMPARE(core().count("OrvWritePdfPages"), 1);
        QVERIFY(run(QStringLiteral("pdftotext"), {edited, QStringLiteral("-")})
                    .contains(QStringLiteral("typed")));
        QVERIFY(env.messages.isEmpty());
    }

    // No model set: a clear message, no empty window.
    void missingModelsAreReported() {
        modaOcr().languages.clear();
        runOnce("");
        QVERIFY(!service->dialog()->isVisible());
        QCOMPARE(env.messages.size(), 1);
        QVERIFY(env.messages.first().first.contains(QStringLiteral("tesseract-ocr-chi-sim")));
        QVERIFY(modaOcr().callsSoFar().isEmpty());
        QVERIFY(button->isEnabled());
    }

    // A file that cannot be written is reported in the user's language and
    // leaves nothing behind.
    void saveFailureIsReported() {
        QOCRResultDlg* dialog = service->dialog();
        dialog->setOCRText(QStringLiteral("文字"));
        const QString path = temp->filePath(QStringLiteral("missing/out.xlsx"));
        for (const QByteArray& extension : {QByteArray("txt"), QByteArray("xls")}) {
            dialog->setExportExtension(extension);
            QVERIFY(!dialog->saveTo(path));
        }
        QCOMPARE(env.messages.size(), 2);
        QVERIFY(env.messages[0].first.startsWith(QStringLiteral("保存失败")));
        dialog->setLanguage(1);
        QVERIFY(!dialog->saveTo(path));
        QVERIFY(env.messages.last().first.startsWith(QStringLiteral("Could not save")));
        QCOMPARE(env.messages.last().second, QStringLiteral("提示"));
    }
};

QTEST_MAIN(TestOcr)
#include "tst_ocr.moc"
