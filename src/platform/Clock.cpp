#include "platform/Clock.h"

namespace platform {

namespace {
std::function<QDateTime()>& clock() {
    static std::function<QDateTime()> theClock;
    return theClock;
}
} // namespace

QDateTime now() {
    return clock() ? clock()() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> c) {
    clock() = std::move(c);
}

} // namespace platform
