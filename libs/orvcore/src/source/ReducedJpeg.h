#pragma once

#include <QImage>

#include <cstddef>

namespace orv {

// A baseline JPEG (8-bit, one interleaved scan, grey or YCbCr with the chroma
// at full, half or quarter resolution) decoded at eighths/8 of its size,
// eighths 1..4, each side rounded up, in Format_RGB32. Only the low
// frequencies that the reduced size shows are decoded; chroma is replicated.
// A stream cut short decodes what it holds and leaves the rest grey. Null for
// anything else (progressive, arithmetic coding, 12-bit, CMYK or RGB, other
// sampling, a header that does not parse): the caller decodes it otherwise.
// With fit, at most that size and at least half of it in each direction, the
// picture comes out at fit instead: the reduced rows are scaled down on their
// way out, as scaleForView would scale the reduced picture, without ever
// holding it whole.
QImage decodeJpegReduced(const unsigned char* data, std::size_t size, int eighths, QSize fit = {});

} // namespace orv
