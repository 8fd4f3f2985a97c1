#pragma once

#include <QByteArray>

namespace snapshot {

// The file of snapshot number counter in the temporary folder (which ends
// with '/'): "<folder>/Image%05d.jpg", the folder's own trailing separator
// not doubled.
QByteArray snapshotPath(const QByteArray& tempFolder, int counter);

} // namespace snapshot
