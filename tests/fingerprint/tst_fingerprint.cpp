// Fingerprints: the data file's records, the simulated reader library, and
// enrolment and identification as the user meets them (messages) and as the
// console shows them (diagnostic lines).

#include "platform/Messages.h"
#include "recognition/FingerDriver.h"
#include "recognition/FingerprintFile.h"
#include "recognition/FingerprintService.h"
#include "recognition/QFingerShowDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

const QString prompt = QStringLiteral("请将手指放在指纹仪上!");
const QString noMatch = QStringLiteral("未发现相关指纹!");

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class TestFingerprint : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QByteArray programDir = TESOLIVE_DIR;
    QStringList messages; // "caption|text"
    QList<QByteArray> lines;

    QString dataFile() const { return work.filePath(QStringLiteral("fingertian.dat")); }

    std::unique_ptr<FingerprintService> service(QByteArray workDir = {}) {
        if (workDir.isEmpty())
            workDir = work.path().toLocal8Bit();
        auto s = std::make_unique<FingerprintService>([this, workDir] {
            return FingerprintService::Folders{programDir, workDir};
        });
        s->setDiagnosticSink([this](const QByteArray& line) { lines << line; });
        return s;
    }
    void enrol(const QByteArray& name, const QByteArray& finger) {
        qputenv("ORVANTA_VIRTUAL_FINGER", finger);
        service()->enrollFingerprint(name);
    }
    void identify(const QByteArray& finger) {
        qputenv("ORVANTA_VIRTUAL_FINGER", finger);
        service()->matchFingerprint();
    }

private slots:
    void init() {
        programDir = TESOLIVE_DIR;
        QFile::remove(dataFile());
        messages.clear();
        lines.clear();
        platform::setMessageHandler([this](const QString& text, const QString& caption) {
            messages << caption + QLatin1Char('|') + text;
        });
    }

    void recordLayout() {
        QCOMPARE(FingerprintFile::recordSize, 523);
        QByteArray templet(600, 'T'); // a reader that fills more than it may
        templet[3] = '\0';
        const QByteArray r = FingerprintFile::packRecord("Alice", templet);
        QCOMPARE(r.size(), 523);
        QCOMPARE(r.left(10), QByteArray("Alice\0\0\0\0\0", 10));
        QCOMPARE(r.mid(10, 4), QByteArray("TTT\0", 4));
        QCOMPARE(r.mid(14), QByteArray(509, '\0'));
        QCOMPARE(FingerprintFile::packRecord("x", QByteArray(600, 'T')).mid(10),
                 QByteArray(512, 'T') + '\0');

        // 10 bytes at most, never half a character (UTF-8: 3 bytes each).
        QCOMPARE(FingerprintFile::nameField("abcdefghijkl"), QByteArray("abcdefghij"));
        QCOMPARE(FingerprintFile::nameField(QStringLiteral("张三丰李四王").toUtf8()),
                 QStringLiteral("张三丰").toUtf8());
        QCOMPARE(FingerprintFile::nameField(QStringLiteral("王a李四").toUtf8()),
                 QStringLiteral("王a李四").toUtf8());
        QCOMPARE(FingerprintFile::nameField(QStringLiteral("ab张三丰").toUtf8()),
                 QStringLiteral("ab张三").toUtf8());

        // A full 10-byte name has no zero byte and still reads back whole.
        const QList<FingerprintFile::Record> back = FingerprintFile::parseRecords(
            FingerprintFile::packRecord("abcdefghijkl", "TLT1:x") + "tail");
        QCOMPARE(back.size(), 1);
        QCOMPARE(back[0].name, QByteArray("abcdefghij"));
        QCOMPARE(back[0].templateText, QByteArray("TLT1:x"));
    }

    void fileLengths() {
        QList<FingerprintFile::Record> records;
        const FingerprintFile file(dataFile());
        QCOMPARE(file.read(records), FingerprintFile::ReadResult::Missing);
        QCOMPARE(FingerprintFile(work.path()).read(records), FingerprintFile::ReadResult::Missing);
        writeBytes(dataFile(), {});
        QCOMPARE(file.read(records), FingerprintFile::ReadResult::Empty);
        writeBytes(dataFile(), FingerprintFile::packRecord("Bob", "tpl") + QByteArray(77, 'x'));
        QCOMPARE(file.read(records), FingerprintFile::ReadResult::Read);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].name, QByteArray("Bob"));
        writeBytes(dataFile(), QByteArray(500, 'x'));
        QCOMPARE(file.read(records), FingerprintFile::ReadResult::Read);
        QCOMPARE(records.size(), 0);
    }

    // The simulated reader through the program's own loader.
    void readerLibrary() {
        FingerDriver driver;
        TcHandle handle = 0;
        QByteArray module;
        QVERIFY(driver.loadFingerDriver(QString::fromLocal8Bit(programDir) + "libtesolive.so",
                                        handle, module));
        QVERIFY(handle != 0);
        QVERIFY(module.endsWith("/libtesolive.so"));

        auto read = [&](TcDoTempletFn f, const QByteArray& finger) {
            qputenv("ORVANTA_VIRTUAL_FINGER", finger);
            char buffer[513] = {};
            const int n = f(handle, buffer);
            [&] { QVERIFY2(n > 0 && n <= 512 && buffer[n] == '\0', "a read"); }();
            return QByteArray(buffer);
        };
        const QByteArray t1 = read(driver.doTemplet(), "finger 1");
        QVERIFY(t1 != read(driver.doTemplet(), "finger 1"));
        QVERIFY(t1 != read(driver.doFeature(), "finger 1"));
        // Reads of one finger match; reads of others don't.
        int sameFailed = 0, othersMatched = 0;
        for (int i = 0; i < 40; ++i) {
            const QByteArray finger = "finger " + QByteArray::number(i);
            const QByteArray t = read(driver.doTemplet(), finger);
            for (int j = 0; j < 5; ++j) {
                const QByteArray other = "finger " + QByteArray::number(100 + 5 * i + j);
                sameFailed += driver.safeMatch()(0, t, read(driver.doFeature(), finger), 3) < 0;
                othersMatched += driver.safeMatch()(0, t, read(driver.doFeature(), other), 3) >= 0;
            }
        }
        QCOMPARE(sameFailed, 0);
        QCOMPARE(othersMatched, 0);

        // Broken texts are refused, never read past their end.
        const QByteArray f1 = read(driver.doFeature(), "finger 1");
        QVERIFY(driver.safeMatch()(0, t1, f1, 3) >= 0);
        QCOMPARE(driver.safeMatch()(0, f1, t1, 3), TC_ERR_BAD_TEXT);
        QCOMPARE(driver.safeMatch()(0, t1.left(t1.size() - 7), f1, 3), TC_ERR_BAD_TEXT);
        QByteArray flipped = t1;
        flipped[20] = flipped[20] == '0' ? '1' : '0';
        QCOMPARE(driver.safeMatch()(0, flipped, f1, 3), TC_ERR_BAD_TEXT);
        QCOMPARE(driver.safeMatch()(0, QByteArray(2000, 'T'), f1, 3), TC_ERR_BAD_TEXT);
        QCOMPARE(driver.safeMatch()(0, nullptr, f1, 3), TC_ERR_PARAMETER);

        qputenv("ORVANTA_VIRTUAL_FINGER", "");
        char buffer[513] = {};
        QCOMPARE(driver.doTemplet()(handle, buffer), TC_ERR_NO_FINGER);
        QCOMPARE(driver.doFeature()(handle + 1000, buffer), TC_ERR_HANDLE);
        QCOMPARE(buffer[0], '\0');

        QVERIFY(driver.unloadFingerDriver(handle));
        QCOMPARE(handle, TcHandle(0));
        QVERIFY(!driver.doTemplet());

        QLibrary same(QString::fromLocal8Bit(module));
        QVERIFY(same.load());
        for (const char* name : {"TcExtnEntry", "TcWhereAreu", "TcIniListen"})
            QCOMPARE(reinterpret_cast<int (*)(TcHandle)>(same.resolve(name))(1), TC_NOT_SUPPORTED);
        same.unload();
    }

    // Two people (one enrolled twice), each identified; a third finger not.
    void enrolAndIdentify() {
        enrol("alice", "alice right index");
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], " Load DLL in " + programDir + "libtesolive.so\n");
        QCOMPARE(lines[1], QByteArray("All success, now begin to \" \"...\r\n"));
        QVERIFY(lines[2].startsWith("Reg=[TLT1:") && lines[2].endsWith("]\r\n"));
        QCOMPARE(messages, QStringList{QStringLiteral("提示|指纹采集完成!")});
        enrol("alice", "alice right index");
        enrol("bob", "bob left thumb");
        enrol(QStringLiteral("张三丰李四").toUtf8(), "bob left thumb");

        QList<FingerprintFile::Record> records;
        QCOMPARE(FingerprintFile(dataFile()).read(records), FingerprintFile::ReadResult::Read);
        QCOMPARE(fileBytes(dataFile()).size(), 4 * 523);
        QCOMPARE(records[0].name, QByteArray("alice"));
        QCOMPARE(records[1].name, QByteArray("alice"));
        QVERIFY(records[0].templateText != records[1].templateText);
        QCOMPARE(records[3].name, QStringLiteral("张三丰").toUtf8());

        messages.clear();
        lines.clear();
        identify("alice right index");
        QCOMPARE(messages, QStringList({QStringLiteral("提示|") + prompt,
                                        QStringLiteral("提示|比对成功, 输入指纹者为: alice")}));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith("Ver=[TLF1:"));
        messages.clear();
        lines.clear();
        identify("bob left thumb"); // the first of two matching records
        QCOMPARE(messages.last(), QStringLiteral("提示|比对成功, 输入指纹者为: bob"));
        QCOMPARE(lines.mid(2),
                 QList<QByteArray>(2, QByteArray("FPIFpMatch\tnRet = ") +
                                          QByteArray::number(TC_ERR_NO_MATCH) + " \n"));
        messages.clear();
        identify("carol middle");
        QCOMPARE(messages, QStringList({QStringLiteral("提示|") + prompt, "|" + noMatch}));
    }

    void shortAndBrokenFiles() {
        identify("alice right index");
        QCOMPARE(messages, QStringList{QStringLiteral("|未发现注册的指纹信息!")});
        QVERIFY(lines.isEmpty()); // the reader is not even loaded
        writeBytes(dataFile(), {});
        messages.clear();
        identify("alice right index");
        QCOMPARE(messages, QStringList{QStringLiteral("|未发现注册的指纹信息!")});

        writeBytes(dataFile(), QByteArray(500, 'x'));
        messages.clear();
        identify("alice right index");
        QCOMPARE(messages, QStringList({QStringLiteral("提示|") + prompt, "|" + noMatch}));
        QVERIFY(lines.last().startsWith("Ver=["));

        // Records without a single zero byte.
        writeBytes(dataFile(), QByteArray(2 * 523, char(0xFF)));
        messages.clear();
        lines.clear();
        identify("alice right index");
        QCOMPARE(messages.last(), "|" + noMatch);
        QCOMPARE(lines.count(QByteArray("FPIFpMatch\tnRet = ") +
                             QByteArray::number(TC_ERR_BAD_TEXT) + " \n"),
                 2);
    }

    // A library without all 18 functions, or none at all: the console says
    // so, the user sees nothing, nothing is written.
    void unusableLibrary() {
        const QList<QByteArray> only{"Cann't open libtesolive.so driver!\r\n"};
        for (const QByteArray& dir :
             {QByteArray(INCOMPLETE_TESOLIVE_DIR), QByteArray("/nowhere/")}) {
            programDir = dir;
            lines.clear();
            enrol("alice", "alice right index");
            QCOMPARE(lines, only);
            QVERIFY(!QFile::exists(dataFile()));
            writeBytes(dataFile(), FingerprintFile::packRecord("alice", "TLT1:x"));
            lines.clear();
            identify("alice right index");
            QCOMPARE(lines, only);
            QVERIFY(messages.isEmpty());
            QFile::remove(dataFile());
        }
    }

    void enrolmentFailures() {
        // No finger on the reader.
        enrol("alice", "");
        QCOMPARE(lines.last(), QByteArray("TcDoTemplet\tnRet = -3 \n"));
        QVERIFY(messages.isEmpty());
        QVERIFY(!QFile::exists(dataFile()));

        // The working folder is gone: no record, and the user is told so.
        qputenv("ORVANTA_VIRTUAL_FINGER", "alice right index");
        service(work.filePath(QStringLiteral("gone")).toLocal8Bit())->enrollFingerprint("alice");
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith(QStringLiteral("提示|指纹保存失败")));
        QString error; // a write that fails only when flushed (disk full)
        QVERIFY(!FingerprintFile(QStringLiteral("/dev/full")).append("a", "TLT1:x", &error));
        QVERIFY(!error.isEmpty());

        // A torn tail is completed, so the new record reads back.
        const QByteArray old = FingerprintFile::packRecord("old", "TLT1:x") + QByteArray(77, 'x');
        writeBytes(dataFile(), old);
        enrol("alice", "alice right index");
        QCOMPARE(fileBytes(dataFile()).size(), 3 * 523);
        QVERIFY(fileBytes(dataFile()).startsWith(old));
        messages.clear();
        identify("alice right index");
        QCOMPARE(messages.last(), QStringLiteral("提示|比对成功, 输入指纹者为: alice"));
    }

    void dialog() {
        qputenv("ORVANTA_VIRTUAL_FINGER", "alice right index");
        const QByteArray workDir = work.path().toLocal8Bit();
        QFingerShowDlg dlg([&] { return FingerprintService::Folders{programDir, workDir}; });
        dlg.service().setDiagnosticSink([this](const QByteArray& line) { lines << line; });
        QCOMPARE(dlg.size(), QSize(400, 244));
        dlg.findChild<QPushButton*>(QStringLiteral("pushButton"))->click();
        QCOMPARE(messages, QStringList{QStringLiteral("提示|请输入姓名!")});
        QVERIFY(lines.isEmpty());
        auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("lineEdit"));
        auto* cut = dlg.findChild<QLabel*>(QStringLiteral("labelNameCut"));
        QVERIFY(name->toolTip().contains(QStringLiteral("10 个字节")));
        name->setText(QStringLiteral("李四"));
        QVERIFY(cut->isHidden());
        dlg.findChild<QPushButton*>(QStringLiteral("pushButton"))->click();
        dlg.findChild<QPushButton*>(QStringLiteral("pushButton_2"))->click();
        QCOMPARE(messages.last(), QStringLiteral("提示|比对成功, 输入指纹者为: 李四"));

        // A name longer than a record keeps is shown cut before enrolment.
        name->setText(QStringLiteral("欧阳娜娜娜"));
        QVERIFY(!cut->isHidden());
        QVERIFY2(cut->text().endsWith(QStringLiteral(": 欧阳娜")), qPrintable(cut->text()));
        name->setText(QStringLiteral("abcdefghij"));
        QVERIFY(cut->isHidden());
    }
};

QTEST_MAIN(TestFingerprint)
#include "tst_fingerprint.moc"
