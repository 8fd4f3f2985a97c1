#pragma once

#include <memory>

struct Pix;

namespace modaocr {

struct PixDeleter {
    void operator()(Pix* pix) const;
};
using PixPtr = std::unique_ptr<Pix, PixDeleter>;

// A page picture made ready for recognition: 8-bit gray, its barcodes
// painted over (they are no text), with the resolution the recogniser
// should assume.
struct PagePicture {
    PixPtr gray;
    int dpi = 0;
};

// The resolution assumed when the file names none, or one no page camera
// produces.
constexpr int kDefaultDpi = 300;

// The resolution to use for a file's stated one: the stated value when it is
// plausible for a photographed or scanned page, else kDefaultDpi.
int usableDpi(int statedDpi);

// Reads the picture file at path (folders and devices are refused). An empty
// picture (gray == nullptr) when the file is missing or not a picture.
PagePicture loadPagePicture(const char* path);

// The rows top..bottom of a picture, as a picture of their own (same
// resolution).
PixPtr rowsOf(Pix* pix, int top, int bottom);

} // namespace modaocr
