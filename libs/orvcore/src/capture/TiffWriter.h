#pragma once

// TIFF through libtiff: black-and-white as 1-bit CCITT Group 4, gray and
// colour as 8-bit samples with LZW and the horizontal predictor. The DPI goes
// into the resolution tags.

#include "Picture.h"

namespace orv::capture {

// Writes picture as a whole TIFF file to the open, empty file fd (which stays
// open and is not flushed to the disk). False on any error.
bool writeTiff(const Picture& picture, int fd);

} // namespace orv::capture
