#pragma once

#include <QImage>
#include <QList>

namespace idcardrecog {

// The card as it is read: 85.6 x 54 mm at 300 dpi. A card photographed at
// a camera's scale (850-900 pixels across) is read from this larger copy
// made from the photograph itself, so every field has the same size
// whatever the camera gave.
constexpr int kCardDpi = 300;
constexpr int kCardWidth = 1011;
constexpr int kCardHeight = 638;

// The card-shaped areas of a picture (a card's edge against what it lies
// on, width to height 1.585 within a few per cent), each straightened to
// kCardWidth x kCardHeight, from the top of the picture down. The cards are
// grey pictures of their black print: each pixel is its brightest colour
// channel, so the card's blue labels and background pattern come out light
// and the black fields stay dark. A picture that is itself card-shaped and
// shows no edge counts as one card.
QList<QImage> findCards(const QImage& picture);

} // namespace idcardrecog
