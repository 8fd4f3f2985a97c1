#pragma once

#include <QByteArray>

namespace tesolive {

// Which finger lies on the simulated reader: the text of ORVANTA_VIRTUAL_FINGER
// when it is set, otherwise the user's choice in a small dialog. Empty when no
// finger is placed (the variable is empty, the dialog was cancelled or there
// is no application to show it in).
QByteArray fingerOnReader();

} // namespace tesolive
