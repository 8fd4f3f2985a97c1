#pragma once

namespace platform {

// SIGTERM, SIGINT and SIGHUP end the event loop as a window close would, so
// that the settings are written and the cameras closed (logout, shutdown,
// Ctrl+C in a terminal). Call once, after the application object exists.
void quitOnTerminationSignals();

} // namespace platform
