// The OCR engine: a rendered page of Chinese and English lines read back,
// a page with codes on it, and files it cannot read.

#include <modaocr/ModaOCR.h>
#include <modaocr/ModaOCRWords.h>

#include "TextPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <algorithm>
#include <vector>

namespace {

const char* read(const QString& path) {
    return fnModaOCREx(path.toLocal8Bit().constData(), 50, 0, 0.6f, 0.3f, 3.0f, 2.0f, false, false);
}

QString withoutSpaces(QString s) {
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

// Character edits (insert, delete, replace) from a to b.
int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

// A code drawn in black modules on white into target.
void paintCode(QPainter& painter, ZXing::BarcodeFormat format, const std::string& text,
               const QRect& target) {
    const ZXing::BitMatrix modules =
        ZXing::MultiFormatWriter(format).setMargin(0).encode(text, 0, 0);
    const double w = double(target.width()) / modules.width();
    const double h = double(target.height()) / modules.height();
    for (int y = 0; y < modules.height(); ++y)
        for (int x = 0; x < modules.width(); ++x)
            if (modules.get(x, y))
                painter.fillRect(QRectF(target.x() + x * w, target.y() + y * h, w, h), Qt::black);
}

} // namespace

class TestModaOcr : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QCOMPARE(fnInit(4, (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toUtf8()),
                 0);
    }

    // The camera's kind of file: a JPEG stating 300 dpi.
    void readsChineseAndEnglishLines() {
        const QStringList lines = {
            QStringLiteral("文档摄像头拍摄的页面可以直接识别成文字。"),
            QStringLiteral("请把需要识别的文件平放在摄像头下面。"),
            QStringLiteral("The quick brown fox jumps over the lazy dog."),
            QStringLiteral("识别结果可以编辑，也可以保存为文件。"),
            QStringLiteral("Invoice 2024-0815: total amount 1,280.50 CNY"),
            QStringLiteral("中华人民共和国居民身份证号码由十八位数字组成。"),
        };
        const QString path = dir.filePath(QStringLiteral("page.jpg"));
        QVERIFY(textpage::render(lines).save(path, "JPEG", 90));

        const QString text = QString::fromUtf8(read(path));
        const QString expected = withoutSpaces(lines.join(QString()));
        const int errors = editDistance(expected, withoutSpaces(text));
        const double rate = double(errors) / double(expected.size());
        if (rate >= 0.02)
            qWarning().noquote() << "recognised:\n" << text;
        QVERIFY2(rate < 0.02, qPrintable(QStringLiteral("character error rate %1").arg(rate)));
        // Chinese is written without spaces between characters.
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("\\p{Han} +\\p{Han}"))));
        QVERIFY(text.contains(QStringLiteral("The quick brown fox")));
    }

    // A page with a QR code and a barcode below its text: the codes are
    // pictures, not text, and give no lines of stray characters.
    void codesGiveNoStrayLines() {
        const QStringList lines = {
            QStringLiteral("扫描下面的二维码可以查看这份文件的电子版本。"),
            QStringLiteral("Scan the code below to open this document online."),
            QStringLiteral("条码下方的编号与档案登记表中的编号一致。"),
        };
        QImage page = textpage::render(lines, textpage::kA4Height / 2);
        {
            QPainter painter(&page);
            paintCode(painter, ZXing::BarcodeFormat::QRCode,
                      "https://example.org/archive/2024/0815?doc=ORV-7731",
                      QRect(300, 700, 600, 600));
            paintCode(painter, ZXing::BarcodeFormat::Code128, "ORV-2024-0815-7731",
                      QRect(1100, 900, 1000, 260));
        }
        const QString path = dir.filePath(QStringLiteral("codes.jpg"));
        QVERIFY(page.save(path, "JPEG", 90));

        const QString text = QString::fromUtf8(read(path));
        const QString expected = withoutSpaces(lines.join(QString()));
        const double rate =
            double(editDistance(expected, withoutSpaces(text))) / double(expected.size());
        QStringList stray;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QString got = withoutSpaces(line);
            if (got.isEmpty())
                continue;
            int best = int(got.size());
            for (const QString& want : lines)
                best = std::min(best, editDistance(withoutSpaces(want), got));
            if (best * 3 > got.size())
                stray << line;
        }
        QVERIFY2(stray.isEmpty(), qPrintable(stray.join(QStringLiteral(" | "))));
        QVERIFY2(rate < 0.02,
                 qPrintable(QStringLiteral("character error rate %1 in:\n%2").arg(rate).arg(text)));
    }

    // Words with boxes: the same text, each word where the page has it.
    void wordsComeWithTheirBoxes() {
        QCOMPARE(QByteArray(fnModaOCRLanguages()), QByteArray("chi_sim+eng"));
        const QStringList lines = {
            QStringLiteral("请把需要识别的文件平放在摄像头下面。"),
            QStringLiteral("The quick brown fox jumps over the lazy dog."),
        };
        const QString path = dir.filePath(QStringLiteral("words.jpg"));
        QVERIFY(textpage::render(lines).save(path, "JPEG", 90));
        const QStringList rows = QString::fromUtf8(fnModaOCRWords(path.toLocal8Bit().constData()))
                                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList lineText = {QString(), QString()};
        for (const QString& row : rows) {
            const QStringList f = row.split(QLatin1Char(' '));
            QCOMPARE(f.size(), 7);
            const int line = f[0].toInt(), left = f[1].toInt(), top = f[2].toInt();
            const int right = f[3].toInt(), bottom = f[4].toInt(), confidence = f[5].toInt();
            QVERIFY2(line == 0 || line == 1, qPrintable(row));
            QVERIFY(confidence >= 0 && confidence <= 100);
            // The page draws line i with its 50-pixel glyphs from y = 300 + 90 i.
            QVERIFY2(left >= 290 && right > left && right < 2480 - 250, qPrintable(row));
            QVERIFY2(top >= 300 + 90 * line - 10 && bottom <= 300 + 90 * line + 75 && bottom > top,
                     qPrintable(row));
            lineText[line] += f[6];
        }
        for (int i = 0; i < 2; ++i) {
            const QString expected = withoutSpaces(lines[i]);
            QVERIFY2(editDistance(expected, lineText[i]) <= 1, qPrintable(lineText[i]));
        }
        QCOMPARE(QByteArray(fnModaOCRWords(dir.filePath(QStringLiteral("none.jpg")).toLocal8Bit())),
                 QByteArray());
        QCOMPARE(QByteArray(fnModaOCRWords(nullptr)), QByteArray());
    }

    void unreadableFilesGiveEmptyText() {
        QFile notPicture(dir.filePath(QStringLiteral("notes.jpg")));
        QVERIFY(notPicture.open(QIODevice::WriteOnly));
        notPicture.write("these bytes are no picture at all\n");
        notPicture.close();
        QFile empty(dir.filePath(QStringLiteral("empty.jpg")));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QDir(dir.path()).mkdir(QStringLiteral("folder.jpg"));

        for (const QString& name : {QStringLiteral("missing.jpg"), QStringLiteral("notes.jpg"),
                                    QStringLiteral("empty.jpg"), QStringLiteral("folder.jpg")}) {
            const char* text = read(dir.filePath(name));
            QVERIFY2(text != nullptr, qPrintable(name));
            QCOMPARE(QByteArray(text), QByteArray());
        }
        const char* text = fnModaOCREx(nullptr, 50, 0, 0.6f, 0.3f, 3.0f, 2.0f, false, false);
        QVERIFY(text != nullptr);
        QCOMPARE(QByteArray(text), QByteArray());
    }
};

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    TestModaOcr test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_modaocr.moc"
