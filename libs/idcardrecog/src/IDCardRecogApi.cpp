// The library's C functions.

#include "CardFields.h"
#include "CardFinder.h"
#include "CardReader.h"

#include <idcardrecog/IDCardRecog.h>

#include <QFile>
#include <QImageReader>

namespace {

idcardrecog::CardReader& reader() {
    thread_local idcardrecog::CardReader r;
    return r;
}

const char* handOut(const QString& text) {
    thread_local QByteArray held;
    held = text.toLocal8Bit();
    return held.constData();
}

} // namespace

extern "C" {

int fnInit(void) {
    return reader().ready() ? 0 : -1;
}

const char* fnRecogIDCardEx(const char* imagePath) {
    if (!imagePath || !*imagePath)
        return handOut(QStringLiteral("未指定图像"));
    QImageReader file(QFile::decodeName(imagePath));
    file.setAutoTransform(true);
    const QImage picture = file.read();
    if (picture.isNull())
        return handOut(QStringLiteral("无法读取图像"));
    if (!reader().ready())
        return handOut(QStringLiteral("识别引擎不可用 (缺少 chi_sim 或 eng 语言数据)"));
    const QList<QImage> cards = idcardrecog::findCards(picture);
    if (cards.isEmpty())
        return handOut(QStringLiteral("未找到身份证"));
    // A picture may show both sides: the front is the one with the number.
    QImage front = cards.first();
    int longest = -1;
    for (const QImage& card : cards) {
        const QString number = reader().number(card);
        if (idcardrecog::numberValid(number.toLatin1())) {
            front = card;
            break;
        }
        if (number.size() > longest) {
            longest = int(number.size());
            front = card;
        }
    }
    return handOut(idcardrecog::labelledLines(reader().read(front)));
}

} // extern "C"
