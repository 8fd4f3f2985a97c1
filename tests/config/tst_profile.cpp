// The profile file (orvconf.ini): the INI read and write rules, every settings
// key with its three sources of value, and damaged or unwritable files.

#include "../support/Unprivileged.h"
#include "config/ProfileFile.h"
#include "config/Settings.h"
#include "config/SettingsFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kSection("Orv twain driver param");
const QByteArray kHeader = "[" + kSection + "]\n";

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

enum Reader { S10, INT, S260, RATIO, S300 }; // S300: the watermark text, 299 bytes

// The keys of the file in the order in which they are written, with the reader
// each goes through, a present text with the value it yields, the value when
// the file lacks the key, the value when there is no file at all, and how the
// value read from `present` is written back (null: never written).
struct KeyCase {
    const char* key;
    Reader reader;
    QByteArray present;
    QVariant fromPresent;
    QVariant missing;
    QVariant noFile;
    const char* written;
    std::function<QVariant(const Settings&)> get;
};

template <typename V> QVariant value(V v) {
    return QVariant::fromValue(v);
}
const auto I = value<int>;
const auto B = value<bool>;
const auto F = value<float>;
QVariant T(const char* v) {
    return value(QByteArray(v));
}

#define GET(field) [](const Settings& s) { return QVariant::fromValue(s.field); }

const QList<KeyCase>& keyCases() {
    static const QList<KeyCase> cases = {
        {"DevIndex", S10, "2", I(2), I(0), I(0), "2", GET(mainCameraIndex)},
        {"AudioIndex", S10, "1", I(1), I(0), I(0), "1", GET(audioIndex)},
        {"Resolution", S10, "4", I(4), I(0), I(0), "4", GET(resolutionIndex)},
        {"Pixtype", S10, "2", I(2), I(0), I(0), "2", GET(colorMode)},
        {"DPIIndex", S10, "3", I(3), I(2), I(1), "3", GET(DPIIndex)},
        {"RotateIndex", S10, "1", I(1), I(0), I(0), "1", GET(rotateIndex)},
        {"ScanSize", S10, "2", I(2), I(0), I(0), "2", GET(scanSize)},
        {"Threshold", S10, "128", I(128), I(0), I(196), "128", GET(threshold)},
        {"AutoCrop", S10, "2", B(true), B(false), B(false), "1", GET(AutoCrop)},
        {"Exposure", S10, "-7", I(-7), I(-3), I(-3), "-7", GET(Exposure)},
        {"AutoExp", S10, "0", B(false), B(true), B(true), "0", GET(AutoExp)},
        {"JPGQuality", S10, " 90", I(90), I(75), I(75), "90", GET(JPGQuality)},
        {"WorkPath", S260, "/home/u/扫描 件", T("/home/u/扫描 件"), T(""), T(""), "/home/u/扫描 件",
         GET(workPath)},
        {"DelBack", S10, "1", B(true), B(false), B(false), "1", GET(DelBack)},
        {"RotateAngle", S10, "270", I(270), I(0), I(0), "270", GET(RotateAngle)},
        {"NameRule", S10, "3", I(3), I(0), I(0), "3", GET(nameRule)},
        {"FileNameCount", S10, "41", I(41), I(0), I(0), "41", GET(fileNameCounter)},
        {"FileNameNum", S10, "3", I(3), I(5), I(5), "3", GET(fileNameDigits)},
        {"FileNameStep", S10, "2", I(2), I(1), I(1), "2", GET(fileNameStep)},
        {"PrefixName", S260, "Scan", T("Scan"), T("Image"), T("Image"), "Scan", GET(prefixName)},
        {"WaterText", S300, "'机密'", T("机密"), T("水印"), T(""), "机密", GET(waterText)},
        {"WaterRed", INT, "10", I(10), I(255), I(255), "10", GET(waterRed)},
        {"WaterGreen", INT, "20", I(20), I(0), I(0), "20", GET(waterGreen)},
        {"WaterBlue", INT, "30", I(30), I(0), I(0), "30", GET(waterBlue)},
        {"ShowWater", INT, "5", B(true), B(false), B(false), "1", GET(showWater)},
        {"ShowTimeWater", INT, "1", B(true), B(false), B(false), "1", GET(showTimeWater)},
        {"HRatio", INT, "40", I(40), I(0), I(0), "40", GET(waterHRatio)},
        {"VRatio", INT, "60", I(60), I(0), I(0), "60", GET(waterVRatio)},
        {"ShowRatio", INT, "0", B(false), B(true), B(true), nullptr, GET(ShowRatio)},
        {"WaterMode", INT, "2", I(2), I(0), I(1), "2", GET(waterMode)},
        {"WaterPos", INT, "4", I(4), I(0), I(2), "4", GET(waterPos)},
        {"WaterAngle", INT, "-45", I(-45), I(0), I(0), "-45", GET(waterAngle)},
        {"OpenSub", S10, "1", B(true), B(false), B(false), "1", GET(OpenSub)},
        {"WaterFontSize", INT, "36", I(36), I(72), I(72), "36", GET(waterFontSize)},
        {"WaterFontFamily", S260, "黑体", T("黑体"), T("宋体"), T("宋体"), "黑体",
         GET(waterFontFamily)},
        {"UIIndex", INT, "3", I(3), I(1), I(1), "3", GET(UIIndex)},
        {"rval", INT, "1", I(1), I(255), I(255), "1", GET(rval)},
        {"gval", INT, "2", I(2), I(0), I(0), "2", GET(gval)},
        {"bval", INT, "3", I(3), I(0), I(0), "3", GET(bval)},
        {"Opcity", INT, "128", I(128), I(255), I(255), "128", GET(Opcity)},
        {"LineWidth", INT, "9", I(9), I(5), I(5), "9", GET(LineWidth)},
        {"Language", INT, "1", I(1), I(0), I(0), "1", GET(Language)},
        {"ResizeImage", INT, "1", B(true), B(false), B(false), "1", GET(ResizeImage)},
        {"ResizeImageRatio", RATIO, "0.5", F(0.5f), F(1.0f), F(1.0f), "0.5000",
         GET(ResizeImageRatio)},
        {"MultiCapMode", INT, "1", I(1), I(0), I(0), "1", GET(multiCapMode)},
        {"CapCount", INT, "20", I(20), I(9999), I(9999), "20", GET(captureLimit)},
        {"Interval", INT, "7", I(7), I(3), I(3), "7", GET(captureInterval)},
        {"SearchablePdf", INT, "1", B(true), B(false), B(false), "1", GET(searchablePdf)},
    };
    return cases;
}

// The numbers each checked key allows, bounds included; a value outside, or a
// text that is not wholly a number, reads as the key's missing-key value.
struct Bound {
    const char* key;
    double low;
    double high;
};

const QList<Bound>& bounds() {
    static const QList<Bound> list = {
        {"Pixtype", 0, 2},
        {"JPGQuality", 0, 100},
        {"NameRule", 0, 3},
        {"FileNameNum", 1, 20},
        {"FileNameStep", 1, 100},
        {"WaterRed", 0, 255},
        {"WaterGreen", 0, 255},
        {"WaterBlue", 0, 255},
        {"HRatio", 0, 100},
        {"VRatio", 0, 100},
        {"WaterPos", 0, 4},
        {"WaterAngle", -90, 90},
        {"UIIndex", 0, 6},
        {"rval", 0, 255},
        {"gval", 0, 255},
        {"bval", 0, 255},
        {"Opcity", 1, 255},
        {"LineWidth", 1, 17},
        {"Language", 0, 2},
        {"CapCount", 1, INT_MAX},
        {"Interval", 1, INT_MAX / 1000},
        {"ResizeImageRatio", 0.05, 10},
        {"MultiCapMode", 0, 1},
    };
    return list;
}

bool bounded(const char* key) {
    return std::any_of(bounds().begin(), bounds().end(),
                       [&](const Bound& b) { return qstrcmp(b.key, key) == 0; });
}

const KeyCase& keyCase(const char* key) {
    for (const KeyCase& c : keyCases()) {
        if (qstrcmp(c.key, key) == 0)
            return c;
    }
    qFatal("no key %s", key);
}

// A file holding every key with its present text.
QByteArray fileWithAllKeys() {
    QByteArray content = kHeader;
    for (const KeyCase& c : keyCases())
        content += QByteArray(c.key) + "=" + c.present + "\n";
    return content;
}

// The values a file that exists but holds none of the keys yields.
Settings missingKeyValues(const QString& dir) {
    const QString path = dir + "/empty.ini";
    writeFile(path, "");
    Settings s;
    config::readSettings(path, s);
    return s;
}

// `content` without the lines that set one of the written keys.
QByteArray withoutKeyLines(const QByteArray& content) {
    QByteArray rest;
    for (const QByteArray& line : content.split('\n')) {
        bool ours = false;
        for (const KeyCase& c : keyCases())
            ours = ours || (c.written && line.startsWith(QByteArray(c.key) + "="));
        if (!ours)
            rest += line + '\n';
    }
    return rest;
}

void compareAll(const Settings& actual, const Settings& expected) {
    for (const KeyCase& c : keyCases()) {
        if (c.get(actual) != c.get(expected))
            QFAIL(qPrintable(QStringLiteral("key %1 differs").arg(c.key)));
    }
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // --- INI reading rules -------------------------------------------------
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();
    void readWithoutFile();

    // --- INI writing rules -------------------------------------------------
    void write_data();
    void write();
    void writtenValuesReadBack();
    void writeRefusesNamesThatAreNoLines();

    // --- settings keys -----------------------------------------------------
    void keyPresent_data();
    void keyPresent();
    void keyReader_data();
    void keyReader();
    void keyMissing_data();
    void keyMissing();
    void keyWithoutFile_data();
    void keyWithoutFile();
    void keysWrittenInOrderWithTheirFormat();

    // --- settings edge cases -----------------------------------------------
    void profilePathJoinsDocuments();
    void negativeDevIndexBecomesZero();
    void jpgQualityOfThirteenDigitsKeepsNine();
    void valuesOutsideTheirRange_data();
    void valuesOutsideTheirRange();
    void ratioWrittenWithFourDecimals();
    void watermarkTextKeepsItsLines_data();
    void watermarkTextKeepsItsLines();
    void watermarkLineEscapes();
    void showRatioIsKeptButNeverWritten();
    void roundTripKeepsEveryOtherByte();
    void createIfMissing();
    void resetScannerParams();

    // --- damaged files and failing writes ----------------------------------
    void randomBinaryYieldsDefaults_data();
    void randomBinaryYieldsDefaults();
    void hugeFilesAreReadOnlyAtTheirStart();
    void veryLongLines();
    void pathThatIsNoRegularFile();
    void writeWithoutPermissionFails_data();
    void writeWithoutPermissionFails();
    void failedWriteLeavesOldFile();

private:
    QString path(const QString& name = QStringLiteral("orvconf.ini")) const {
        return m_dir->path() + "/" + name;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

// ---------------------------------------------------------------------------

void TestProfile::readString_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char* name, const QByteArray& content, const QByteArray& expected,
                        int bufferSize = 260, const QByteArray& key = "k") {
        QTest::newRow(name) << content << key << bufferSize << expected;
    };
    const QByteArray chinese = "水印水印水印"; // 18 bytes, 3 per character
    row("plain", "[S]\nk=v\n", "v");
    row("section and key case", "[s]\nKEY=v\n", "v", 260, "kEy");
    row("blanks around key and value", "  [S]\n \t k \t=  a b \t\n", "a b");
    row("double quotes", "[S]\nk=\" a \"\n", " a ");
    row("single quotes", "[S]\nk='a'\n", "a");
    row("unmatched quotes stay", "[S]\nk=\"a'\n", "\"a'");
    row("lone quote stays", "[S]\nk=\"\n", "\"");
    row("empty value", "[S]\nk=\n", "");
    row("value holds '=' and ';'", "[S]\nk=a=b;c\n", "a=b;c");
    row("comment line", "[S]\n;k=1\n  ; k=2\n", "dflt");
    row("line without '='", "[S]\nk\nk=2\n", "2");
    row("key before any section", "k=1\n[S]\n", "dflt");
    row("key of another section", "[T]\nk=1\n[S]\nx=2\n[U]\nk=3\n", "dflt");
    row("first key wins", "[S]\nk=1\nK=2\n", "1");
    row("first section wins", "[S]\nx=1\n[s]\nk=2\n", "dflt");
    row("CRLF", "[S]\r\nk=v\r\nj=w\r\n", "v");
    row("CRLF last line", "[S]\r\nk=v\r\n", "v");
    row("no final line end", "[S]\nk=v", "v");
    row("BOM before first section", "\xEF\xBB\xBF[S]\nk=v\n", "v");
    row("NUL ends the value", QByteArray("[S]\nk=ab\0cd\n", 12), "ab");
    row("cut to 9 bytes", "[S]\nk=1234567890123\n", "123456789", 10);
    row("cut to 259 bytes", "[S]\nk=" + QByteArray(300, 'x') + "\n", QByteArray(259, 'x'));
    row("cut on a character boundary", "[S]\nk=a" + chinese + "\n", "a" + chinese.left(6), 10);
    row("cut exactly after a character", "[S]\nk=" + chinese + "\n", chinese.left(9), 10);
    row("Chinese cut to 259 bytes", "[S]\nk=ab" + chinese.repeated(20) + "\n",
        "ab" + chinese.repeated(20).left(255));
    row("default is cut too", "", "df", 3);
    row("buffer of one byte", "[S]\nk=v\n", "", 1);
}

void TestProfile::readString() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, key);
    QFETCH(int, bufferSize);
    QFETCH(QByteArray, expected);
    writeFile(path(), content);
    QCOMPARE(ProfileFile(path()).readString("S", key, "dflt", bufferSize), expected);
}

void TestProfile::readInt_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("decimal") << QByteArray("42") << 42;
    QTest::newRow("leading blanks") << QByteArray(" \t42") << 42;
    QTest::newRow("plus") << QByteArray("+7") << 7;
    QTest::newRow("minus") << QByteArray("-13") << -13;
    QTest::newRow("stops at non-digit") << QByteArray("12abc") << 12;
    QTest::newRow("stops at blank") << QByteArray("1 2") << 1;
    QTest::newRow("no digits") << QByteArray("abc") << 0;
    QTest::newRow("sign only") << QByteArray("-") << 0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("hex") << QByteArray("0x1A") << 26;
    QTest::newRow("hex upper") << QByteArray("0X1f") << 31;
    QTest::newRow("negative hex") << QByteArray("-0x10") << -16;
    QTest::newRow("hex without digits") << QByteArray("0x") << 0;
    QTest::newRow("quoted") << QByteArray("\"12\"") << 12;
    QTest::newRow("ten digits") << QByteArray("1234567890") << 1234567890;
    QTest::newRow("empty value takes default") << QByteArray("") << 99;
    QTest::newRow("quoted empty takes default") << QByteArray("''") << 99;
}

void TestProfile::readInt() {
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    writeFile(path(), "[S]\nk=" + value + "\n");
    QCOMPARE(ProfileFile(path()).readInt("S", "K", 99), expected);
}

void TestProfile::readWithoutFile() {
    const ProfileFile file(path("absent.ini"));
    QCOMPARE(file.readInt("S", "k", -5), -5);
    QCOMPARE(file.readString("S", "k", "d", 260), QByteArray("d"));
    writeFile(path(), "[S]\nx=1\n");
    QCOMPARE(ProfileFile(path()).readInt("S", "k", -5), -5);
    QCOMPARE(ProfileFile(path()).readInt("T", "x", -5), -5);
}

// ---------------------------------------------------------------------------

using Entries = QList<ProfileFile::Entry>;

void TestProfile::write_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QByteArray>("after");

    const auto row = [](const char* name, const QByteArray& before, const Entries& entries,
                        const QByteArray& after) {
        QTest::newRow(name) << before << entries << after;
    };
    const Entries a9{{"A", "9"}};
    row("replaced in place, neighbours kept", "; head\n[S]\nA=1\n; note\nX = keep \n[T]\nA=1\n", a9,
        "; head\n[S]\nA=9\n; note\nX = keep \n[T]\nA=1\n");
    row("matched without case, file spelling kept", "[s]\n  a = 1  \n", a9, "[s]\na=9\n");
    row("appended after the section's last line, in order", "[S]\nA=1\n\n; about T\n[T]\nB=1\n",
        {{"C", "3"}, {"B", "2"}}, "[S]\nA=1\nC=3\nB=2\n\n; about T\n[T]\nB=1\n");
    row("mixed update and append", "[S]\nB=1\nA=1\n", {{"A", "2"}, {"C", "3"}, {"B", "4"}},
        "[S]\nB=4\nA=2\nC=3\n");
    row("missing section appended at the end", "; top\n[T]\nX=1\n", {{"A", "1"}, {"B", "2"}},
        "; top\n[T]\nX=1\n\n[S]\nA=1\nB=2\n");
    row("empty file", "", a9, "[S]\nA=9\n");
    row("header only", "[S]\n", a9, "[S]\nA=9\n");
    row("no final line end, append", "[S]\nA=1", {{"B", "2"}}, "[S]\nA=1\nB=2\n");
    row("no final line end, replace", "[S]\nA=1", a9, "[S]\nA=9");
    row("no final line end, new section", "[T]\nX=1", a9, "[T]\nX=1\n\n[S]\nA=9\n");
    row("CRLF file gets CRLF lines", "[T]\r\nX=1\r\n[S]\r\nA=1\r\n", {{"A", "2"}, {"B", "3"}},
        "[T]\r\nX=1\r\n[S]\r\nA=2\r\nB=3\r\n");
    row("CRLF new section", "[T]\r\nX=1\r\n", a9, "[T]\r\nX=1\r\n\r\n[S]\r\nA=9\r\n");
    row("BOM kept", "\xEF\xBB\xBF[S]\nA=1\n", a9, "\xEF\xBB\xBF[S]\nA=9\n");
    row("only the first section and key change", "[S]\nA=1\nA=5\n[S]\nA=1\n", a9,
        "[S]\nA=9\nA=5\n[S]\nA=1\n");
    row("same key twice, last wins", "", {{"A", "1"}, {"a", "2"}}, "[S]\nA=2\n");
    row("value protected by quotes", "", {{"A", " x"}, {"B", "'y'"}}, "[S]\nA=\" x\"\nB=\"'y'\"\n");
    row("value ends at a line break", "", {{"A", "x\r\n[T]"}}, "[S]\nA=x\n");
}

void TestProfile::write() {
    QFETCH(QByteArray, before);
    QFETCH(Entries, entries);
    QFETCH(QByteArray, after);
    writeFile(path(), before);
    QVERIFY(ProfileFile(path()).write("S", entries));
    QCOMPARE(readAll(path()), after);
}

void TestProfile::writtenValuesReadBack() {
    const QList<QByteArray> values = {"",    " lead", "trail\t", "\"q\"", "'s'",      "\"",
                                      "a=b", ";c",    "[x]",     "水印",  "C:\\dir\\"};
    Entries entries;
    for (int i = 0; i < values.size(); ++i)
        entries.append({"K" + QByteArray::number(i), values[i]});
    const ProfileFile file(path("absent.ini"));
    QVERIFY(file.write("S", entries));
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(file.readString("S", entries[i].first, "dflt", 260), values[i]);
}

void TestProfile::writeRefusesNamesThatAreNoLines() {
    const ProfileFile file(path());
    QVERIFY(!file.write("S]", {{"A", "1"}}));
    QVERIFY(!file.write("", {{"A", "1"}}));
    QVERIFY(!file.write("S", {{"A=B", "1"}}));
    QVERIFY(!file.write("S", {{";A", "1"}}));
    QVERIFY(!file.write("S", {{"", "1"}}));
    QVERIFY(!file.write("S", {{"A\nB", "1"}}));
    QVERIFY(!QFile::exists(path()));
}

// ---------------------------------------------------------------------------

void TestProfile::keyPresent_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < keyCases().size(); ++i)
        QTest::newRow(keyCases()[i].key) << i;
}

void TestProfile::keyPresent() {
    QFETCH(int, index);
    const KeyCase& c = keyCases()[index];
    writeFile(path(), kHeader + c.key + "=" + c.present + "\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(c.get(s), c.fromPresent);
}

// One text per reader tells them apart: S10 sees 9 bytes, INT takes hex.
void TestProfile::keyReader_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("expected");
    for (int i = 0; i < keyCases().size(); ++i) {
        const KeyCase& c = keyCases()[i];
        const bool flag = c.noFile.typeId() == QMetaType::Bool;
        QByteArray text;
        QVariant expected;
        switch (c.reader) {
        case S10: // a checked key gets a text whose cut value it allows
            text = flag ? "0x1" : bounded(c.key) ? "0000000012" : "1234567890";
            expected = flag ? B(false) : bounded(c.key) ? I(1) : I(123456789);
            break;
        case INT:
            text = flag ? "0x1" : bounded(c.key) ? "0x1" : "1234567890";
            expected = flag ? B(true) : bounded(c.key) ? I(1) : I(1234567890);
            break;
        case S260:
        case S300:
            text = QByteArray(310, 'p');
            expected = QVariant::fromValue(QByteArray(c.reader == S260 ? 259 : 299, 'p'));
            break;
        case RATIO:
            text = " 2.5e-1xyz";
            expected = F(0.25f);
            break;
        }
        QTest::newRow(c.key) << i << text << expected;
    }
}

void TestProfile::keyReader() {
    QFETCH(int, index);
    QFETCH(QByteArray, text);
    QFETCH(QVariant, expected);
    writeFile(path(), kHeader + keyCases()[index].key + "=" + text + "\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(keyCases()[index].get(s), expected);
}

void TestProfile::keyMissing_data() {
    keyPresent_data();
}

void TestProfile::keyMissing() {
    QFETCH(int, index);
    const KeyCase& c = keyCases()[index];
    // Every other key is present, and the key itself only in another section.
    QByteArray content = fileWithAllKeys();
    content.replace("\n" + QByteArray(c.key) + "=", "\nUnrelated" + QByteArray(c.key) + "=");
    content += "[Other]\n" + QByteArray(c.key) + "=" + c.present + "\n";
    writeFile(path(), content);
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(c.get(s), c.missing);
}

void TestProfile::keyWithoutFile_data() {
    keyPresent_data();
}

void TestProfile::keyWithoutFile() {
    QFETCH(int, index);
    const KeyCase& c = keyCases()[index];
    Settings s;
    QCOMPARE(c.get(s), c.noFile);
    QVERIFY(!config::readSettings(path("absent.ini"), s));
    QCOMPARE(c.get(s), c.noFile);
    // A record already filled in stays as it is.
    writeFile(path(), fileWithAllKeys());
    Settings filled;
    config::readSettings(path(), filled);
    QVERIFY(!config::readSettings(path("absent.ini"), filled));
    QCOMPARE(c.get(filled), c.fromPresent);
}

void TestProfile::keysWrittenInOrderWithTheirFormat() {
    writeFile(path("all.ini"), fileWithAllKeys());
    Settings s;
    QVERIFY(config::readSettings(path("all.ini"), s));
    QVERIFY(config::writeSettings(path(), s));

    QByteArray expected = kHeader;
    for (const KeyCase& c : keyCases()) {
        if (c.written)
            expected += QByteArray(c.key) + "=" + c.written + "\n";
    }
    QCOMPARE(readAll(path()), expected);

    Settings back;
    QVERIFY(config::readSettings(path(), back));
    for (const KeyCase& c : keyCases()) {
        if (c.written)
            QCOMPARE(c.get(back), c.get(s));
    }
}

// ---------------------------------------------------------------------------

void TestProfile::profilePathJoinsDocuments() {
    QCOMPARE(config::profilePath("/home/u/Documents"), "/home/u/Documents/Orvanta/orvconf.ini");
    QCOMPARE(config::profilePath("/home/u/Documents/"), "/home/u/Documents/Orvanta/orvconf.ini");
}

void TestProfile::negativeDevIndexBecomesZero() {
    writeFile(path(), kHeader + "DevIndex=-2\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.mainCameraIndex, 0);

    Settings none;
    none.mainCameraIndex = -2; // the clamp belongs to reading an existing file
    QVERIFY(!config::readSettings(path("absent.ini"), none));
    QCOMPARE(none.mainCameraIndex, -2);
}

void TestProfile::jpgQualityOfThirteenDigitsKeepsNine() {
    writeFile(path(), kHeader + "JPGQuality=0000000901234\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.JPGQuality, 90);
    // 123456789 is no quality: the default instead.
    writeFile(path(), kHeader + "JPGQuality=1234567890123\n");
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.JPGQuality, 75);
}

// Every checked key below, at and above its bounds, and the values of damaged
// or hostile files: what is read, and what is written back.
void TestProfile::valuesOutsideTheirRange_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QByteArray>("written");
    const auto row = [](const char* key, const QByteArray& text, bool kept) {
        const KeyCase& c = keyCase(key);
        const bool ratio = c.reader == RATIO;
        const QVariant value = ratio ? F(text.toFloat()) : I(text.trimmed().toInt(nullptr, 0));
        const QVariant expected = kept ? value : c.missing;
        const QByteArray written = ratio ? QByteArray::number(expected.toDouble(), 'f', 4)
                                         : QByteArray::number(expected.toInt());
        QTest::addRow("%s=%s", key, text.constData())
            << QByteArray(key) << text << expected << written;
    };
    for (const Bound& b : bounds()) {
        const bool ratio = keyCase(b.key).reader == RATIO;
        const double step = ratio ? 0.01 : 1;
        const auto text = [&](double v) {
            return ratio ? QByteArray::number(v) : QByteArray::number(qint64(v));
        };
        row(b.key, text(b.low - step), false);
        row(b.key, text(b.low), true);
        row(b.key, text(b.high), true);
        if (b.high < INT_MAX)
            row(b.key, text(b.high + step), false);
    }
    // Counter steps that would name several captures alike or walk back.
    row("FileNameStep", "0", false);
    row("FileNameStep", "-3", false);
    // Values a lenient parse turns into allowed ones.
    row("JPGQuality", "1e9", false);
    row("JPGQuality", "50%", false);
    row("JPGQuality", "", false);
    row("WaterRed", "4294967296", false); // wraps to 0
    row("WaterRed", "99999999999999999999", false);
    row("CapCount", "2147483648", false); // wraps to INT_MIN
    // Values a hand-edited file may hold that are fine as they are.
    row("JPGQuality", " 90 ", true);
    row("WaterRed", "0x10", true);
    row("Language", "7", false);
    row("UIIndex", "-3", false);
    row("UIIndex", "99999", false);
    row("WaterAngle", "100000", false);
    row("Opcity", "-1", false);
    row("LineWidth", "-5", false);
    row("FileNameNum", "-5", false);
    row("CapCount", "-1", false);
    row("Interval", "-1", false);
    row("Interval", "2147484", false); // too many milliseconds for a timer
    row("ResizeImageRatio", "nan", false);
    row("ResizeImageRatio", "inf", false);
    row("ResizeImageRatio", "-3", false);
    row("ResizeImageRatio", "1e-9", false);
    row("ResizeImageRatio", "1e39", false);
}

void TestProfile::valuesOutsideTheirRange() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, text);
    QFETCH(QVariant, expected);
    QFETCH(QByteArray, written);
    const KeyCase& c = keyCase(key.constData());
    writeFile(path(), kHeader + key + "=" + text + "\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    if (c.reader == RATIO)
        QCOMPARE(c.get(s).toFloat(), expected.toFloat());
    else
        QCOMPARE(c.get(s), expected);
    QVERIFY(config::writeSettings(path(), s));
    const QByteArray file = readAll(path());
    QVERIFY2(file.contains("\n" + key + "=" + written + "\n"), file.constData());
}

void TestProfile::ratioWrittenWithFourDecimals() {
    Settings s;
    s.ResizeImageRatio = 0.5f;
    QVERIFY(config::writeSettings(path(), s));
    QVERIFY(readAll(path()).contains("\nResizeImageRatio=0.5000\n"));
    s.ResizeImageRatio = 1.0f;
    QVERIFY(config::writeSettings(path(), s));
    QVERIFY(readAll(path()).contains("\nResizeImageRatio=1.0000\n"));
    s.ResizeImageRatio = 0.33333f;
    QVERIFY(config::writeSettings(path(), s));
    QVERIFY(readAll(path()).contains("\nResizeImageRatio=0.3333\n"));
}

// The text survives a write and a read up to the watermark record's 299
// bytes, its line breaks and backslashes too; longer, it loses whole
// characters only.
void TestProfile::watermarkTextKeepsItsLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("back");
    const QByteArray lines = "第一行\n第二行 C:\\n\r";
    QTest::newRow("lines") << lines << lines;
    QTest::newRow("280 bytes") << QByteArray(280, 'w') << QByteArray(280, 'w');
    QTest::newRow("299 line breaks") << QByteArray(299, '\n') << QByteArray(299, '\n');
    const QByteArray chinese = QStringLiteral("水").toUtf8().repeated(101); // 303 bytes
    QTest::newRow("Chinese cut whole") << chinese << chinese.left(297);
    QTest::newRow("one byte over") << "a" + chinese << "a" + chinese.left(297);
}

void TestProfile::watermarkTextKeepsItsLines() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, back);
    Settings s;
    s.waterText = text;
    QVERIFY(config::writeSettings(path(), s));
    Settings read;
    QVERIFY(config::readSettings(path(), read));
    QCOMPARE(read.waterText, back);
}

void TestProfile::watermarkLineEscapes() {
    Settings s;
    s.waterText = "第一行\n第二行 C:\\n\r";
    QVERIFY(config::writeSettings(path(), s));
    QVERIFY(readAll(path()).contains("\nWaterText=第一行\\n第二行 C:\\\\n\\r\n"));
    // A backslash before anything else reads as itself.
    writeFile(path(), kHeader + "WaterText=a\\b\\\n");
    Settings back;
    QVERIFY(config::readSettings(path(), back));
    QCOMPARE(back.waterText, QByteArray("a\\b\\"));
}

void TestProfile::showRatioIsKeptButNeverWritten() {
    writeFile(path(), kHeader + "DevIndex=1\nShowRatio=0\n");
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QVERIFY(!s.ShowRatio);
    s.ShowRatio = true; // even a changed value is not written
    QVERIFY(config::writeSettings(path(), s));
    QCOMPARE(readAll(path()).count("ShowRatio"), 1);
    QVERIFY(readAll(path()).contains("\nShowRatio=0\n"));
    Settings again;
    QVERIFY(config::readSettings(path(), again));
    QVERIFY(!again.ShowRatio);

    QVERIFY(config::writeSettings(path("new.ini"), again));
    QVERIFY(!readAll(path("new.ini")).contains("ShowRatio"));
}

void TestProfile::roundTripKeepsEveryOtherByte() {
    // Every key in the form in which it is written, among lines that are not
    // ours: reading and writing it back changes nothing.
    QByteArray ours = "[" + kSection + "]\r\n";
    for (const KeyCase& c : keyCases()) {
        if (c.written)
            ours += QByteArray(c.key) + "=" + c.written + "\r\n";
        if (QByteArray(c.key) == "JPGQuality")
            ours += "; a comment inside\r\nVendorKey = abc \r\nShowRatio=0\r\n\r\n";
    }
    const QByteArray original = "\xEF\xBB\xBF; orvconf\r\n[Camera]\r\nDevIndex=9\r\n\r\n" + ours +
                                "garbage line\r\n[Later]\r\nDevIndex=8\r\nx=\"q\"\r\n";
    writeFile(path(), original);
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.mainCameraIndex, 2);
    QVERIFY(config::writeSettings(path(), s));
    QCOMPARE(readAll(path()), original);
}

void TestProfile::createIfMissing() {
    QVERIFY(config::createIfMissing(path()));
    QVERIFY(QFile::exists(path()));
    QCOMPARE(QFileInfo(path()).size(), 0);
    writeFile(path(), "[x]\n");
    QVERIFY(config::createIfMissing(path()));
    QCOMPARE(readAll(path()), QByteArray("[x]\n"));
    QVERIFY(!config::createIfMissing(path("no/such/folder/orvconf.ini")));
    QVERIFY(!QFile::exists(path("no/such/folder/orvconf.ini")));
}

void TestProfile::resetScannerParams() {
    writeFile(path(), fileWithAllKeys());
    Settings s;
    config::readSettings(path(), s);
    s.mainCameraIndex = 3;
    s.AutoCrop = true;
    config::resetScannerParams(s);
    QCOMPARE(s.mainCameraIndex, 0);
    QCOMPARE(s.resolutionIndex, 0);
    QCOMPARE(s.Exposure, -3);
    QCOMPARE(s.colorMode, 0);
    QCOMPARE(s.DPIIndex, 1);
    QCOMPARE(s.rotateIndex, 0);
    QCOMPARE(s.scanSize, 0);
    QCOMPARE(s.threshold, 196);
    QCOMPARE(s.AutoCrop, false);
    QCOMPARE(s.JPGQuality, 90); // the others stay
    QCOMPARE(s.audioIndex, 1);
}

// ---------------------------------------------------------------------------

void TestProfile::randomBinaryYieldsDefaults_data() {
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QByteArray>("head");
    for (quint32 seed : {1u, 2u, 3u}) {
        QTest::addRow("binary %u", seed) << seed << QByteArray();
        QTest::addRow("our section, then binary %u", seed) << seed << kHeader + "CapCount=12\n";
    }
}

void TestProfile::randomBinaryYieldsDefaults() {
    QFETCH(quint32, seed);
    QFETCH(QByteArray, head);
    QRandomGenerator random(seed);
    QByteArray junk(256 * 1024, '\0');
    for (char& c : junk) {
        const quint32 r = random.bounded(20u);
        c = r < 5 ? "\0\n[]="[r] : char(random.bounded(256u)); // NULs and INI syntax
    }
    writeFile(path(), head + junk);

    Settings expected = missingKeyValues(m_dir->path());
    if (!head.isEmpty())
        expected.captureLimit = 12;
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    compareAll(s, expected);

    // The junk stays; our section follows it or keeps its place, and reads back.
    QVERIFY(config::writeSettings(path(), s));
    const QByteArray written = readAll(path());
    if (head.isEmpty())
        QVERIFY(written.startsWith(junk));
    else
        QCOMPARE(withoutKeyLines(written), withoutKeyLines(head + junk));
    Settings back;
    QVERIFY(config::readSettings(path(), back));
    compareAll(back, s);
}

void TestProfile::hugeFilesAreReadOnlyAtTheirStart() {
    // 50 MB: our section first, then NULs without a line end, then a key.
    QByteArray head = kHeader + "JPGQuality=80\n";
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(head);
        QVERIFY(file.resize(50 * 1000 * 1000));
        QVERIFY(file.seek(file.size()));
        file.write("\nDevIndex=3\n");
    }
    const qint64 size = QFileInfo(path()).size();
    QElapsedTimer timer;
    timer.start();
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.JPGQuality, 80);
    QCOMPARE(s.mainCameraIndex, 0);
    QCOMPARE(s.DPIIndex, 2);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

    // Such a file is not rewritten: it stays as it is.
    QVERIFY(!config::writeSettings(path(), s));
    QCOMPARE(QFileInfo(path()).size(), size);

    // A key line cut by the reading limit is dropped, not read half.
    const qint64 limit = ProfileFile::kMaxFileBytes;
    QByteArray cut = kHeader + "x=" + QByteArray(limit - 14 - kHeader.size(), 'x') + "\n";
    cut += "CapCount=1234\n";
    QCOMPARE(cut.indexOf("CapCount=12") + 11, limit);
    writeFile(path(), cut);
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.captureLimit, 9999);
}

void TestProfile::veryLongLines() {
    // One line of 5 MB.
    const Settings expected = missingKeyValues(m_dir->path());
    writeFile(path(), QByteArray(5 << 20, 'q'));
    Settings s;
    QVERIFY(config::readSettings(path(), s));
    compareAll(s, expected);

    // A key line of 5 MB after our section header.
    writeFile(path(), kHeader + "DevIndex=" + QByteArray(5 << 20, '7'));
    s.mainCameraIndex = 4;
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.mainCameraIndex, 0);

    // A line of 900 KB inside the reading limit does not hide what follows.
    writeFile(path(), kHeader + "Vendor=" + QByteArray(900 * 1024, 'v') + "\nDevIndex=4\n");
    QVERIFY(config::readSettings(path(), s));
    QCOMPARE(s.mainCameraIndex, 4);
    QCOMPARE(ProfileFile(path()).readString(kSection, "vendor", "", 260), QByteArray(259, 'v'));
}

void TestProfile::pathThatIsNoRegularFile() {
    // A folder or a pipe where the file should be: defaults, no hang, no write.
    const Settings expected = missingKeyValues(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkdir("folder.ini"));
    QVERIFY(::mkfifo(QFile::encodeName(path("pipe.ini")).constData(), 0600) == 0);
    for (const QString& name : {QStringLiteral("folder.ini"), QStringLiteral("pipe.ini")}) {
        Settings s;
        QVERIFY(config::readSettings(path(name), s));
        compareAll(s, expected);
        QVERIFY(!config::writeSettings(path(name), s));
    }
}

void TestProfile::writeWithoutPermissionFails_data() {
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("fileMode");
    QTest::newRow("read-only folder") << 0555 << 0666;
    QTest::newRow("read-only file") << 0777 << 0444;
}

void TestProfile::writeWithoutPermissionFails() {
    QFETCH(int, folderMode);
    QFETCH(int, fileMode);
    const QString folder = path("ro");
    const QString file = folder + "/orvconf.ini";
    const auto chmod = [](const QString& p, int mode) {
        return ::chmod(QFile::encodeName(p).constData(), mode_t(mode)) == 0;
    };
    QVERIFY(QDir(m_dir->path()).mkdir("ro"));
    writeFile(file, kHeader + "DevIndex=1\n");
    QVERIFY(chmod(m_dir->path(), 0755) && chmod(file, fileMode) && chmod(folder, folderMode));
    bool written = true;
    bool active = false;
    {
        Unprivileged guard;
        if ((active = guard.active()))
            written = config::writeSettings(file, Settings());
    }
    QVERIFY(chmod(folder, 0755) && chmod(file, 0644));
    if (!active)
        QSKIP("cannot give up the right to write everywhere");
    QVERIFY(!written);
    QCOMPARE(readAll(file), kHeader + "DevIndex=1\n");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"orvconf.ini"});
    QVERIFY(!config::writeSettings(path("missing/orvconf.ini"), Settings()));
}

void TestProfile::failedWriteLeavesOldFile() {
    // The disk "fills up" half way through writing: the old file survives whole.
    const QString folder = path("full");
    QVERIFY(QDir(m_dir->path()).mkdir("full"));
    const QString file = folder + "/orvconf.ini";
    const QByteArray old = kHeader + "DevIndex=1\n" + QByteArray(300, ';') + "\n";
    writeFile(file, old);

    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 200;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    Settings s;
    s.workPath = QByteArray(250, 'w');
    const bool written = config::writeSettings(file, s);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    QVERIFY(!written);
    QCOMPARE(readAll(file), old);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"orvconf.ini"});
}

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
