#pragma once

struct Pix;

namespace modaocr {

// Paints the barcodes of a page picture (QR, Data Matrix, PDF417, Aztec and
// the 1-D codes) over with the paper's shade, so that the recogniser sees no
// modules or bars to read as stray characters. A code counts when it can be
// decoded; its text and the text beside it stay. gray: 8 bits per pixel,
// changed in place. Returns how many codes were painted over.
int maskCodes(Pix* gray);

} // namespace modaocr
