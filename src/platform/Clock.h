#pragma once

#include <QDateTime>

#include <functional>

namespace platform {

// Local time; tests replace it to get predictable time-stamped names.
QDateTime now();
void setClock(std::function<QDateTime()> clock);

} // namespace platform
