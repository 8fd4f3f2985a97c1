#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

// The ID card log "IDInfo.csv" and the names of a reading's pictures. Plain
// functions over 8-bit strings in the local encoding; no widgets.
namespace idcard {

// The eight fields of a card in log order: name, sex, nation, date of
// birth, address, number, issuing authority, validity period.
constexpr int kFieldCount = 8;

struct Reading {
    QList<QByteArray> fields; // kFieldCount entries, as the library gave them
    QDateTime when;           // local time of the reading
};

// The log's header row: the column names, each followed by a comma, then a
// lone carriage return.
QByteArray headerRow();

// One reading as a log row: every cell followed by a comma, the number and
// the time between single quotes, a lone carriage return at the end.
// Unlike a raw write, a cell stays one cell whatever it holds:
// - a cell with a comma, a double quote, a carriage return or a line feed is
//   put between double quotes, inner double quotes doubled;
// - a cell that starts with '=', '+', '-', '@', a tab or a carriage return
//   gets a leading apostrophe,
//   so a spreadsheet shows it as text instead of computing a formula (the
//   same mark the log already uses to keep the number textual).
QByteArray dataRow(const Reading& reading);

// One cell made safe as above.
QByteArray cell(const QByteArray& text);

enum class AppendResult { Written, NotOpened, WriteFailed };

// Appends the row to the log at path, with the header first when the file
// is missing or empty. Never rewrites what is there: a failed write takes
// back only the bytes it added.
AppendResult appendRow(const QByteArray& path, const QByteArray& row);

// "<folder>/<yyyyMMddhhmmss><ending>" (ending "_head.jpg" or
// "_idcard.jpg"); when that file exists, "_2", "_3", ... before the
// extension until a name is free. Empty when none is free.
QByteArray picturePath(const QByteArray& folder, const QDateTime& when, const QByteArray& ending);

} // namespace idcard
