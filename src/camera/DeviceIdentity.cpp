#include "camera/DeviceIdentity.h"

#include <orvcore/OrvCoreLib.h>

namespace camera {

QByteArray deviceIdentity(int index) {
    if (index < 0 || index >= OrvGetCameraCount())
        return QByteArray();
    const QByteArray name(OrvGetDevName(index));
    int rank = 0;
    for (int i = 0; i < index; ++i)
        if (QByteArray(OrvGetDevName(i)) == name)
            ++rank;
    return name + '\n' + QByteArray::number(rank);
}

int deviceIndex(const QByteArray& identity) {
    if (identity.isEmpty())
        return -1;
    const int n = OrvGetCameraCount();
    for (int i = 0; i < n; ++i)
        if (deviceIdentity(i) == identity)
            return i;
    return -1;
}

} // namespace camera
