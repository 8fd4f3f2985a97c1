#pragma once

#include "config/Settings.h"

#include <QString>

// The settings record in the profile file orvconf.ini, section
// "Orv twain driver param". The file is read once at start and written once at
// exit; these functions are the only code that knows its keys.
namespace config {

// documentsDir + "/Orvanta/orvconf.ini"; documentsDir may end with '/' or not.
QString profilePath(const QString& documentsDir);

// Reads every key into `s`. When the file does not exist, returns false and
// leaves `s` as it is (the values for "no file" are Settings' initialisers).
// Otherwise a missing key takes its own default, which may differ from the
// initialiser, a negative DevIndex becomes 0, and the result is true. A number
// outside the range its setting allows (counter step 1..100, JPEG quality
// 0..100, skin 0..6, a finite resize ratio 0.05..10, ...) takes the key's
// default as well, so that the file is corrected when it is next written;
// values inside their range, special ones included, stay as read.
bool readSettings(const QString& path, Settings& s);

// Creates the file, empty, when it does not exist. False when that fails.
bool createIfMissing(const QString& path);

// Writes every key in its fixed order; a file created here lists the keys in
// that order. ShowRatio is read but never written, so a hand-edited value stays.
// Every other line of an existing file is kept. False when the file could not
// be written; it is then left as it was.
bool writeSettings(const QString& path, const Settings& s);

// Puts the scanner parameters back to their start values (camera, resolution,
// exposure, colour mode, DPI, rotation, scan size, threshold, automatic crop).
void resetScannerParams(Settings& s);

} // namespace config
