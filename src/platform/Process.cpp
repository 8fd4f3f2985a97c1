#include "platform/Process.h"

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
    std::_Exit(exitCode);
}

void setTerminateHandler(std::function<void(int)> h) {
    handler() = std::move(h);
}

} // namespace platform
