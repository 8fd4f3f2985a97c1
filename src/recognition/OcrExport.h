#pragma once

#include <QByteArray>
#include <QString>

// Saving recognised text in the format chosen for OCR results.
namespace ocrexport {

enum class Format { Txt, Rtf, Pdf, Xlsx };

// The format of a kept export extension: "txt", "pdf", "xls" (written as an
// Excel workbook, .xlsx) and "xlsx"; anything else is a Word document (RTF).
Format formatFor(const QByteArray& extension);

// The file name ending written for a format, without the dot.
QString suffix(Format format);

// An RTF document of the text: one paragraph per line, every character
// outside ASCII as a Unicode escape, so word processors show Chinese.
QByteArray rtfDocument(const QString& text);

// Writes the text to path: txt as UTF-8, rtf as above, pdf as a text PDF
// (searchable, copyable) on A4, xlsx with one line per row of the first
// column. The file appears complete or not at all (a temporary file in the
// same folder, renamed over path). Empty when done, else what went wrong.
QString write(const QString& path, Format format, const QString& text);

// Writes a PDF of the page picture (JPEG bytes, embedded as they are) with
// the words the OCR engine finds on it laid invisibly over it, so that it
// can be searched and copied; replaces path by a rename. Empty when done,
// else what went wrong. Blocks while the engine reads.
QString writeSearchablePdf(const QString& path, const QByteArray& picture);

} // namespace ocrexport
