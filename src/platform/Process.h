#pragma once

#include <functional>

namespace platform {

// Ends the process at once with the given exit code, without tearing anything
// down. Tests install a handler so that the test process survives; the
// function then returns after calling it.
void terminateProcess(int exitCode);
void setTerminateHandler(std::function<void(int)> handler);

} // namespace platform
