#include "platform/Process.h"

#include "platform/Paths.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::function<void(int)>& handler() {
    static std::function<void(int)> theHandler;
    return theHandler;
}
} // namespace

void terminateProcess(int exitCode) {
    if (handler()) {
        handler()(exitCode);
        return;
    }
    std::fflush(nullptr);
    // Nothing is torn down, so this run's temporary pictures go here.
    removePrivateTempFolder();
    std::_Exit(exitCode);
}

void setTerminateHandler(std::function<void(int)> h) {
    handler() = std::move(h);
}

} // namespace platform
