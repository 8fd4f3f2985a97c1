#pragma once

#include <QByteArray>
#include <QDateTime>

// How capture files are named. Plain functions over 8-bit (UTF-8) strings.
namespace naming {

// Name used when a barcode or the custom box gives nothing usable.
QByteArray unnamed();

// prefix followed by the counter, zero-padded to at least digits digits; a
// negative counter's sign counts towards the width ("-005" for -5 and 4
// digits); a wider counter prints in full. The result fits in 99 bytes: a
// longer prefix is cut at a character boundary.
QByteArray automaticName(const QByteArray& prefix, int digits, int counter);

// Local date and time as "2024-03-05_140709".
QByteArray dateName(const QDateTime& when);

// A name taken from outside (barcode text, the custom box) made safe to use
// as one file name inside the working folder: path separators, control
// characters (C0, DEL and C1, in UTF-8 or as single bytes) and characters that desktop file systems
// refuse become '_'; leading dots and spaces and trailing dots and spaces are dropped (no "..", no
// hidden files); the result is cut to 180 bytes at a character boundary. Empty after all that:
// unnamed().
QByteArray safeFileName(const QByteArray& raw);

// folder + '/' + name + extension.
QByteArray capturePath(const QByteArray& folder, const QByteArray& name,
                       const QByteArray& extension);

// path with suffix inserted before its extension ("a/b.jpg" + "_split" ->
// "a/b_split.jpg"; a path without extension gets the suffix at its end).
QByteArray insertBeforeExtension(const QByteArray& path, const QByteArray& suffix);

} // namespace naming
