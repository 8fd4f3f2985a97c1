#pragma once

#include <QString>

class ThumbnailStrip;
struct Settings;
namespace shell {
class Language;
}
namespace platform {
class DriverWindow;
}

namespace capture {

class CaptureService;

// The hand-off of the strip's pictures to a scanning driver waiting for
// them: the list file the driver reads, the end of the run's numbering and
// document, and the driver's close when the window closes. No widgets.
class DriverHandoff {
public:
    DriverHandoff(Settings& settings, ThumbnailStrip& strip, CaptureService& captures,
                  const shell::Language& language);

    // The list file: every item's path followed by "@@", in the temporary
    // folder.
    static QString listFile();

    // Writes the list and empties the strip; the counter starts again at 0
    // and the next multi-page capture starts a new document. False when
    // there was nothing to hand on (a list left from an earlier run is
    // removed) or the list could not be written (the user has been told,
    // the strip keeps its pictures). True when no strip library can say.
    bool commit();

    // The window closes: a waiting driver gets the list and is asked to
    // close. Nothing happens without one.
    void windowClosing(const platform::DriverWindow& driver);

private:
    Settings& cfg;
    ThumbnailStrip& strip;
    CaptureService& captures;
    const shell::Language& language;
};

} // namespace capture
