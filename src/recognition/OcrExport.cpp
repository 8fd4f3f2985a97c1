#include "recognition/OcrExport.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextDocument>

#include <modaocr/ModaOCRWords.h>
#include <orvcore/OrvCoreLib.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ocrexport {

namespace {

// Excel's limits: characters in a cell, rows in a sheet.
constexpr int kCellCharacters = 32767;
constexpr int kSheetRows = 1048576;

QString saveBytes(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

QString savePdf(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Orvanta"));
        QTextDocument document;
        QFont font(QStringLiteral("WenQuanYi Micro Hei"));
        font.setPointSize(11);
        document.setDefaultFont(font);
        document.setPlainText(text);
        document.print(&writer);
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QStringList lines(const QString& text) {
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    QStringList list = plain.split(QLatin1Char('\n'));
    while (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

QString saveXlsx(const QString& path, const QString& text) {
    const QStringList rows = lines(text);
    if (rows.size() > kSheetRows)
        return QStringLiteral("more than %1 lines").arg(kSheetRows);
    // The workbook is written under a temporary name beside the target.
    QTemporaryFile temporary(QFileInfo(path).absolutePath() + QStringLiteral("/.ocr-XXXXXX.xlsx"));
    if (!temporary.open())
        return temporary.errorString();
    temporary.close();
    const QByteArray temporaryName = QFile::encodeName(temporary.fileName());
    lxw_workbook* workbook = workbook_new(temporaryName.constData());
    if (!workbook)
        return QStringLiteral("cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    worksheet_set_column(sheet, 0, 0, 100, nullptr);
    lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (int row = 0; row < rows.size() && error == LXW_NO_ERROR; ++row) {
        QString line = rows[row];
        if (line.isEmpty())
            continue;
        if (line.size() > kCellCharacters)
            line.truncate(line.at(kCellCharacters - 1).isHighSurrogate() ? kCellCharacters - 1
                                                                         : kCellCharacters);
        error =
            worksheet_write_string(sheet, lxw_row_t(row), 0, line.toUtf8().constData(), nullptr);
    }
    const lxw_error closed = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR)
        return QString::fromUtf8(lxw_strerror(error));
    temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    if (std::rename(temporaryName.constData(), QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace

Format formatFor(const QByteArray& extension) {
    const QByteArray e = extension.toLower();
    if (e == "txt")
        return Format::Txt;
    if (e == "pdf")
        return Format::Pdf;
    if (e == "xls" || e == "xlsx")
        return Format::Xlsx;
    return Format::Rtf;
}

QString suffix(Format format) {
    switch (format) {
    case Format::Txt:
        return QStringLiteral("txt");
    case Format::Pdf:
        return QStringLiteral("pdf");
    case Format::Xlsx:
        return QStringLiteral("xlsx");
    case Format::Rtf:
        break;
    }
    return QStringLiteral("rtf");
}

QByteArray rtfDocument(const QString& text) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
                     "\\f0\\fs24\n";
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\n') {
            out += "\\par\n";
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c < 0x20) {
            continue; // other control characters have no place in the text
        } else if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c < 0x80) {
            out += char(c);
        } else {
            // Signed 16-bit code units; the '?' is what readers without
            // Unicode show.
            out += "\\u" + QByteArray::number(qint16(c)) + '?';
        }
    }
    out += "\n}\n";
    return out;
}

QString write(const QString& path, Format format, const QString& text) {
    switch (format) {
    case Format::Txt:
        return saveBytes(path, text.toUtf8());
    case Format::Rtf:
        return saveBytes(path, rtfDocument(text));
    case Format::Pdf:
        return savePdf(path, text);
    case Format::Xlsx:
        return saveXlsx(path, text);
    }
    return {};
}

QString writeSearchablePdf(const QString& path, const QByteArray& picture) {
    QTemporaryFile page(QDir::tempPath() + QStringLiteral("/orvanta-ocr-XXXXXX.jpg"));
    if (!page.open() || page.write(picture) != picture.size() || !page.flush())
        return page.errorString();
    const QByteArray pictureName = QFile::encodeName(page.fileName());
    if (QByteArray(fnModaOCRLanguages()).isEmpty())
        return QStringLiteral("no text recognition models are installed");
    const QByteArray words(fnModaOCRWords(pictureName.constData()));
    const char* pictures[] = {pictureName.constData()};
    const char* texts[] = {words.constData()};
    if (OrvWritePdfPages(QFile::encodeName(path).constData(), 1, 1, pictures, texts) != 1)
        return QStringLiteral("the PDF could not be written");
    return {};
}

} // namespace ocrexport
