#pragma once

#include <QImage>
#include <QList>

namespace idcardrecog {

// The card at 300 dpi (85.6 x 54 mm), the size cards are read at.
constexpr int kCardWidth = 1011;
constexpr int kCardHeight = 638;

// The card-shaped areas of a picture (a card's edge against what it lies
// on, width to height 1.585 within a few per cent), each straightened to kCardWidth x
// kCardHeight in grey, from the top of the picture down. A picture that is
// itself card-shaped and shows no edge counts as one card.
QList<QImage> findCards(const QImage& picture);

} // namespace idcardrecog
