#pragma once

struct Settings;

namespace annotation {

// The pen settings (LineWidth, Opcity, rval, gval, bval) and the language
// live in the main window's settings; without a main window (tests of a
// single widget) a private default set stands in.
Settings* currentSettings();

} // namespace annotation
