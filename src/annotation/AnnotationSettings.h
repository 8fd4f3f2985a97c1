#pragma once

struct Settings;

namespace annotation {

// The pen settings (LineWidth, Opcity, rval, gval, bval) and the language
// live in the program's settings, which the main window hands over with
// useSettings(); without them (tests of a single widget) a private default
// set stands in.
Settings* currentSettings();
void useSettings(Settings* settings);

} // namespace annotation
