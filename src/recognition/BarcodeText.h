#pragma once

#include <QByteArray>
#include <QString>

// Barcode readings come from the camera library as a sequence of elements
// <barcode type="FORMAT">text</barcode>.
namespace barcode {

// The content of the first element; false when the text holds no complete
// element (then content is left alone).
bool firstElement(const QByteArray& text, QByteArray* content);

// Text for display: UTF-8 where the bytes are valid UTF-8, otherwise each
// byte as one Latin-1 character.
QString displayText(const QByteArray& bytes);

} // namespace barcode
