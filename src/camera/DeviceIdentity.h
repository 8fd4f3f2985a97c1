#pragma once

#include <QByteArray>

namespace camera {

// A camera as the library lists it, kept across arrivals and removals that
// move the indices: its name with its rank among the devices of that name.
// Empty for an index the library does not list.
QByteArray deviceIdentity(int index);
// The index the device has now; -1 when the library no longer lists it.
int deviceIndex(const QByteArray& identity);

} // namespace camera
