#pragma once

// JPEG encoding through libjpeg-turbo: baseline, 4:2:0 in colour, with the
// picture's DPI as the JFIF density. A large picture is encoded on every
// core, in bands of rows joined by restart markers; it decodes to the same
// pixels as a compression in one piece. The bytes are kept in memory so that
// a PDF page can embed exactly what a .jpg file would hold.

#include "Picture.h"

#include <QByteArray>

namespace orv::capture {

// The encoded file; empty when the picture is empty or encoding failed.
QByteArray encodeJpeg(const Picture& picture);

} // namespace orv::capture
