#include "annotation/SnapNaming.h"

namespace snapshot {

QByteArray snapshotPath(const QByteArray& tempFolder, int counter) {
    QByteArray folder = tempFolder;
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder + "/Image" + QByteArray::number(counter).rightJustified(5, '0') + ".jpg";
}

} // namespace snapshot
