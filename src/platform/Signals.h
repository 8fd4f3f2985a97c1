#pragma once

namespace platform {

// SIGTERM, SIGINT and SIGHUP end the event loop as a window close would, so
// that the settings are written and the cameras closed (logout, shutdown,
// Ctrl+C in a terminal). Call once, after the application object exists.
// A signal that arrives before the main event loop runs (while a start-up
// message is open, say) closes that message and is kept for the loop.
void quitOnTerminationSignals();

// A termination signal has arrived.
bool terminationRequested();

// Runs the application's event loop unless a termination signal came first.
int runEventLoop();

} // namespace platform
