#pragma once

// The reader before the located-regions rewrite, for comparison.

#include "BarcodeReader.h"

namespace orv::before {

QList<FoundCode> readBarcodes(const QImage& picture, const BarcodeReadOptions& options = {});

} // namespace orv::before
