#pragma once

class QWidget;

namespace platform {

// The frameless main window places itself (moving by its title bar,
// maximising to the screen), which X11 allows and Wayland refuses. Where
// both are offered (a Wayland session with XWayland) and the user has not
// chosen a platform (QT_QPA_PLATFORM), the program runs on X11. Call before
// the application object exists.
void preferX11();

// Under Wayland, hands a press on the window over to the compositor, which
// then moves the window; false where the window moves itself.
bool moveByWindowSystem(QWidget* window);

} // namespace platform
