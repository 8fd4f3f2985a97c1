#pragma once

#include <QString>

namespace platform {

// A top-level window of another program (the scanning driver waiting for our
// pictures), found by its exact title. Only on X11; elsewhere there is never
// such a window.
class DriverWindow {
public:
    // The title of the scanning driver's window that waits for our pictures.
    static QString scannerDriverTitle() { return QStringLiteral("OrvTwainDriver"); }

    // Finds the first top-level window whose title is exactly title.
    static DriverWindow find(const QString& title);

    bool exists() const { return window != 0; }

    // Asks the window to close (WM_DELETE_WINDOW) and waits until the X
    // server has delivered the request.
    bool requestClose() const;

private:
    unsigned window = 0;
};

} // namespace platform
