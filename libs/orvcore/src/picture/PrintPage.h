#pragma once

// Printing a frame: the picture fitted to the printable area of the page,
// aspect kept, centred. The drawing is separate from the print dialog so
// that it can be driven with a PDF printer.

#include <QImage>

class QPrinter;
class QWidget;

namespace orv {

// Draws picture onto one page of printer. False when the picture is empty or
// the printer cannot be painted on.
bool printPicture(QPrinter& printer, const QImage& picture);

// Asks for a printer with the print dialog (parent: the active window) and
// prints picture. 0 printed, 1 cancelled by the user, -1 failed.
int printWithDialog(const QImage& picture, QWidget* parent);

} // namespace orv
