#include "PrintPage.h"

#include "ViewGeometry.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace orv {

bool printPicture(QPrinter& printer, const QImage& picture) {
    if (picture.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport(); // the printable area, in device pixels
    const QRect area = fitRect(picture.size(), page.size()).translated(page.topLeft());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(area, picture);
    return painter.end();
}

int printWithDialog(const QImage& picture, QWidget* parent) {
    if (picture.isNull())
        return -1;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Orvanta"));
    // Suggest the page orientation of the picture; the user may change it.
    printer.setPageOrientation(picture.width() > picture.height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("orvPrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return 1;
    return printPicture(printer, picture) ? 0 : -1;
}

} // namespace orv
