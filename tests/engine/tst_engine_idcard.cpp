// ID cards through the real libraries: the virtual card reader, the card
// image it renders, and recognition of that card photographed by the
// folder-fed virtual camera.

#include "CardFields.h"
#include "CardFinder.h"
#include "EngineTestSupport.h"
#include "IdCardRenderer.h"

#include <idcardrecog/IDCardRecog.h>

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace enginetest;

namespace {

QString local(const char* text) {
    return QString::fromLocal8Bit(text);
}

// The labelled lines recognition gives for the card's data.
QString expectedLines(const QString& number) {
    return QStringLiteral("姓名:林晓明\n性别:男\n民族:汉\n出生:1990年3月7日\n"
                          "住址:北京市东城区示例路88号院3号楼2单元501室\n公民身份号码:") +
           number;
}

} // namespace

class TestEngineIdCard : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void cleanup() {
        qunsetenv("ORVANTA_VIRTUAL_IDCARD");
        OrvTestShutdown();
    }

    void readerFindsTheCardPresented() {
        // No setting: the sample card, with a valid number and a JPEG photo
        // in the temporary folder.
        qunsetenv("ORVANTA_VIRTUAL_IDCARD");
        QVERIFY(OrvReadIDCard());
        QCOMPARE(local(OrvGetIDName()), QStringLiteral("林晓明"));
        QCOMPARE(QByteArray(OrvGetIDBirthFull()), QByteArray("1990-03-07"));
        QCOMPARE(QByteArray(OrvGetIDNum()), QByteArray("110101199003071233"));
        const QString head = local(OrvGetIDHeadImagePath());
        QCOMPARE(QFileInfo(head).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
        QImageReader photo(head);
        QCOMPARE(photo.format(), QByteArray("jpeg"));
        QVERIFY(!photo.read().isNull());
        QVERIFY(QFile::remove(head));
        // A second call writes a new file, never an existing one.
        const QString again = local(OrvGetIDHeadImagePath());
        QVERIFY(again != head && QFile::remove(again));

        // A card file (INI), "none", a missing file.
        const QString ini = dir.filePath(QStringLiteral("card.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[card]\nname=王芳\nsex=女\nnation=回\nbirth=19850412\n"
                               "address=宁夏银川市兴庆区\nnumber=64010419850412002X\n"
                               "authority=银川市公安局\nvalidity=2010.01.01-长期\n")
                    .toUtf8());
        f.close();
        qputenv("ORVANTA_VIRTUAL_IDCARD", QFile::encodeName(ini));
        QVERIFY(OrvReadIDCard());
        QCOMPARE(local(OrvGetIDSex()), QStringLiteral("女"));
        QCOMPARE(QByteArray(OrvGetIDNum()), QByteArray("64010419850412002X"));
        QCOMPARE(local(OrvGetIDTermDay()), QStringLiteral("2010.01.01-长期"));
        qputenv("ORVANTA_VIRTUAL_IDCARD", "none");
        QVERIFY(!OrvReadIDCard());
        QCOMPARE(QByteArray(OrvGetIDName()), QByteArray());
        QCOMPARE(QByteArray(OrvMakeIDCard()), QByteArray());
        qputenv("ORVANTA_VIRTUAL_IDCARD",
                QFile::encodeName(dir.filePath(QStringLiteral("gone.json"))));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gone.json: cannot be read"));
        QVERIFY(!OrvReadIDCard());
    }

    // Card files are read by their format: a comma, a semicolon or GBK
    // text stays in the field; a file that gives no card says why.
    void cardFilesAreReadByTheirFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("address"); // empty: no card
        QTest::addColumn<QString>("warning");
        const QString card = QStringLiteral("[card]\nname=王芳\nnumber=64010419850412002X\n");
        const auto utf8 = [](const QString& text) { return text.toUtf8(); };
        const auto gbk = [](const QString& text) {
            return QByteArray(QStringEncoder("GB18030").encode(text));
        };
        const QString comma = QStringLiteral("宁夏银川市兴庆区, 解放西路1号");
        const QString semicolon = QStringLiteral("甲路1号;乙楼 3单元");
        const QString json = QStringLiteral(
            "{\"name\":\"王芳\",\"number\":\"64010419850412002X\",\"address\":\"%1\"}");
        QTest::newRow("ini comma")
            << "card.ini" << utf8(card + "address=" + comma + "\n") << comma << QString();
        QTest::newRow("ini semicolon")
            << "card.ini" << utf8(card + "address=" + semicolon + "\n") << semicolon << QString();
        QTest::newRow("ini quoted") << "card.ini" << utf8(card + "address=\" 甲路 \"\r\n")
                                    << QStringLiteral(" 甲路 ") << QString();
        QTest::newRow("ini GBK") << "card.ini" << gbk(card + "address=" + comma + "\n") << comma
                                 << QString();
        QTest::newRow("json GBK") << "card.json" << gbk(json.arg(comma)) << comma << QString();
        QTest::newRow("json broken") << "card.json" << utf8(json.arg(comma).chopped(2)) << QString()
                                     << "card.json: not valid JSON at byte";
        QTest::newRow("json number")
            << "card.json" << QByteArray("{\"name\":\"x\",\"number\":110101}") << QString()
            << "card.json: \"number\" is not a text";
        QTest::newRow("ini no number") << "card.ini" << utf8("[card]\nname=王芳\n") << QString()
                                       << "card.ini: the card has no name or no number";
        QTest::newRow("no section") << "card.txt" << utf8("name=王芳\n") << QString()
                                    << "card.txt: neither a JSON object nor an INI file";
        QTest::newRow("missing") << "gone.json" << QByteArray() << QString()
                                 << "gone.json: cannot be read";
    }
    void cardFilesAreReadByTheirFormat() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, address);
        QFETCH(QString, warning);
        QTemporaryDir folder;
        const QString path = folder.filePath(name);
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        qputenv("ORVANTA_VIRTUAL_IDCARD", QFile::encodeName(path));
        if (!warning.isEmpty())
            QTest::ignoreMessage(
                QtWarningMsg, QRegularExpression(QRegularExpression::escape(
                                                     QStringLiteral("virtual ID card reader: ")) +
                                                 ".*" + QRegularExpression::escape(warning)));
        QCOMPARE(bool(OrvReadIDCard()), !address.isEmpty());
        if (address.isEmpty())
            return;
        QCOMPARE(local(OrvGetIDName()), QStringLiteral("王芳"));
        QCOMPARE(local(OrvGetIDAddress()), address);
    }

    void photographedCardIsRecognised() {
        qunsetenv("ORVANTA_VIRTUAL_IDCARD");
        QVERIFY(OrvReadIDCard());
        const QString cardPath = local(OrvMakeIDCard());
        QImage card(cardPath);
        QVERIFY(QFile::remove(cardPath));
        QCOMPARE(card.size(), QSize(orv::kCardWidth + 120, 2 * orv::kCardHeight + 180));
        QCOMPARE(qRound(card.dotsPerMeterX() * 0.0254), 300);

        // The card sheet lies slightly turned on a grey desk under camera 0.
        QImage desk(2592, 1944, QImage::Format_RGB32);
        desk.fill(QColor(120, 110, 100));
        {
            QPainter p(&desk);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(900, 180);
            p.rotate(2.5);
            p.drawImage(0, 0, card);
        }
        QTemporaryDir pages;
        QVERIFY(desk.save(pages.filePath(QStringLiteral("desk.png"))));
        QVERIFY(restartEngine(1, QFile::encodeName(pages.path())));
        auto w = makeSurface();
        OrvSetDefaultResolution(0, 0);
        OrvOpenCamera(0, w->winId());
        QVERIFY(QTest::qWaitFor([] { return frameSizeOf(0) == QSize(2592, 1944); }, 10000));
        const QByteArray shot = QFile::encodeName(dir.filePath(QStringLiteral("shot.jpg")));
        QVERIFY(OrvCapture(0, shot.constData()) > 0);
        OrvCloseCamera(0);

        QCOMPARE(fnInit(), 0);
        QCOMPARE(local(fnRecogIDCardEx(shot.constData())).split(QLatin1Char('\n')),
                 expectedLines(QStringLiteral("110101199003071233")).split(QLatin1Char('\n')));
    }

    // Only a card's shape (85.6 x 54 mm) counts as a card: a page, a picture
    // of another shape or the desk scene with its A4 page is not one.
    void onlyCardShapesAreCards_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<int>("cards");
        QTest::newRow("card") << 85.6 / 54.0 << 1;
        QTest::newRow("A4") << 297.0 / 210.0 << 0;
        QTest::newRow("Letter") << 11.0 / 8.5 << 0;
        QTest::newRow("Legal") << 14.0 / 8.5 << 0;
        QTest::newRow("4:3") << 4.0 / 3.0 << 0;
        QTest::newRow("16:9") << 16.0 / 9.0 << 0;
    }
    void onlyCardShapesAreCards() {
        QFETCH(double, ratio);
        QFETCH(int, cards);
        QImage desk(2000, 1500, QImage::Format_RGB32);
        desk.fill(QColor(120, 110, 100));
        {
            QPainter p(&desk);
            p.setRenderHint(QPainter::Antialiasing);
            p.translate(1000, 750);
            p.rotate(3);
            p.fillRect(QRectF(-550, -550 / ratio, 1100, 1100 / ratio), QColor(235, 235, 228));
        }
        QCOMPARE(int(idcardrecog::findCards(desk).size()), cards);
    }

    void deskSceneHasNoCard() {
        QVERIFY(restartEngine(1));
        auto w = makeSurface();
        OrvOpenCamera(0, w->winId());
        QVERIFY(QTest::qWaitFor([] { return !frameSizeOf(0).isEmpty(); }, 10000));
        const QByteArray shot = QFile::encodeName(dir.filePath(QStringLiteral("scene.jpg")));
        QVERIFY(OrvCapture(0, shot.constData()) > 0);
        OrvCloseCamera(0);
        QCOMPARE(local(fnRecogIDCardEx(shot.constData())), QStringLiteral("未找到身份证"));
    }

    // A card as a real camera sees it: about 860 pixels across, turned 3
    // degrees. Every field reads right, the short name too.
    void cardAtCameraScaleIsRead_data() {
        QTest::addColumn<QByteArray>("card"); // JSON, empty: the sample card
        QTest::addColumn<QString>("expected");
        QTest::newRow("sample") << QByteArray()
                                << expectedLines(QStringLiteral("110101199003071233"));
        QTest::newRow("short name")
            << QStringLiteral(
                   "{\"name\":\"王五\",\"sex\":\"男\",\"nation\":\"汉\","
                   "\"birth\":\"19781225\",\"address\":\"河北省石家庄市长安区建设北大街108号\","
                   "\"number\":\"130102197812250013\",\"authority\":\"石家庄市公安局\","
                   "\"validity\":\"2012.03.01-2032.03.01\"}")
                   .toUtf8()
            << QStringLiteral(
                   "姓名:王五\n性别:男\n民族:汉\n出生:1978年12月25日\n"
                   "住址:河北省石家庄市长安区建设北大街108号\n公民身份号码:130102197812250013");
    }
    void cardAtCameraScaleIsRead() {
        QFETCH(QByteArray, card);
        QFETCH(QString, expected);
        const QString json = dir.filePath(QStringLiteral("camera-card.json"));
        if (card.isEmpty()) {
            qunsetenv("ORVANTA_VIRTUAL_IDCARD");
        } else {
            QFile f(json);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(card) == card.size());
            f.close();
            qputenv("ORVANTA_VIRTUAL_IDCARD", QFile::encodeName(json));
        }
        QVERIFY(OrvReadIDCard());
        const QString sheetPath = local(OrvMakeIDCard());
        const QImage sheet(sheetPath);
        QVERIFY(QFile::remove(sheetPath));
        QImage desk(2592, 1944, QImage::Format_RGB32);
        desk.fill(QColor(120, 110, 100));
        {
            QPainter p(&desk);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.translate(800, 150);
            p.rotate(3);
            p.scale(860.0 / orv::kCardWidth, 860.0 / orv::kCardWidth);
            p.drawImage(0, 0, sheet);
        }
        const QString shot = dir.filePath(QStringLiteral("camera-card.jpg"));
        QVERIFY(desk.save(shot, "JPEG", 85));
        QCOMPARE(
            local(fnRecogIDCardEx(QFile::encodeName(shot).constData())).split(QLatin1Char('\n')),
            expected.split(QLatin1Char('\n')));
    }

    // A field that fails its check against the number is marked, not shown
    // as if it were read right.
    void fieldsAreCheckedAgainstTheNumber() {
        idcardrecog::CardFields f{QStringLiteral("林晓明"), QStringLiteral("男"),
                                  QStringLiteral("汉"),     QStringLiteral("1990"),
                                  QStringLiteral("3"),      QStringLiteral("7"),
                                  QStringLiteral("北京"),   QStringLiteral("110101199003071233")};
        QCOMPARE(idcardrecog::labelledLines(f).split(QLatin1Char('\n')).mid(1, 3),
                 (QStringList{QStringLiteral("性别:男"), QStringLiteral("民族:汉"),
                              QStringLiteral("出生:1990年3月7日")}));
        f.sex = QStringLiteral("女");
        f.day = QString();
        f.nation = QStringLiteral("汊");
        QCOMPARE(idcardrecog::labelledLines(f).split(QLatin1Char('\n')).mid(1, 3),
                 (QStringList{QStringLiteral("性别:女 (与号码不符)"),
                              QStringLiteral("民族:汊 (无法识别)"),
                              QStringLiteral("出生:1990年3月日 (无法识别)")}));
        f.day = QStringLiteral("8");
        QCOMPARE(idcardrecog::labelledLines(f).split(QLatin1Char('\n')).value(3),
                 QStringLiteral("出生:1990年3月8日 (与号码不符)"));
    }

    void wrongCheckDigitIsFlagged() {
        const QString json = dir.filePath(QStringLiteral("card.json"));
        QFile f(json);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(
                    "{\"name\":\"林晓明\",\"sex\":\"男\",\"nation\":\"汉\",\"birth\":\"19900307\","
                    "\"address\":\"北京市东城区示例路88号院3号楼2单元501室\","
                    "\"number\":\"110101199003071235\",\"authority\":\"北京市公安局东城分局\","
                    "\"validity\":\"2015.06.01-2035.06.01\"}")
                    .toUtf8());
        f.close();
        qputenv("ORVANTA_VIRTUAL_IDCARD", QFile::encodeName(json));
        QVERIFY(OrvReadIDCard());
        const QByteArray cardPath = OrvMakeIDCard();
        QCOMPARE(local(fnRecogIDCardEx(cardPath.constData())),
                 expectedLines(QStringLiteral("110101199003071235 (号码无效)")));
        QFile::remove(QString::fromLocal8Bit(cardPath));

        // Never a null pointer, whatever it is given.
        QVERIFY(fnRecogIDCardEx(nullptr) != nullptr);
        QVERIFY(fnRecogIDCardEx("/nonexistent.jpg") != nullptr);
    }
};

QTEST_MAIN(TestEngineIdCard)
#include "tst_engine_idcard.moc"
