#pragma once

#include "IdCardReader.h"

#include <QImage>

namespace orv {

// The card at 300 dpi: 85.6 x 54 mm.
constexpr int kCardWidth = 1011;
constexpr int kCardHeight = 638;

// The front (photo side: name, sex, nation, birth, address, number) laid
// out like the real card.
QImage renderCardFront(const IdCardData& card);
// The back (title side: issuing authority and validity period).
QImage renderCardBack(const IdCardData& card);
// Front above back on a white sheet, 300 dpi, as a copy of both sides.
QImage renderCard(const IdCardData& card);

} // namespace orv
