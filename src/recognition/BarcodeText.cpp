#include "recognition/BarcodeText.h"

#include <QStringDecoder>

namespace barcode {

bool firstElement(const QByteArray& text, QByteArray* content) {
    const qsizetype i = text.indexOf("<barcode type");
    if (i < 0)
        return false;
    const qsizetype p = text.indexOf('>', i);
    if (p <= 0)
        return false;
    const qsizetype q = text.indexOf("</barcode>", p);
    if (q < 0)
        return false;
    if (content)
        *content = text.mid(p + 1, q - p - 1);
    return true;
}

QString displayText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(bytes);
}

} // namespace barcode
