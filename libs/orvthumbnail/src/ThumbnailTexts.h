// The strip's texts in its two languages.
#ifndef ORVTHUMBNAIL_THUMBNAILTEXTS_H
#define ORVTHUMBNAIL_THUMBNAILTEXTS_H

#include <QString>

namespace orv::thumb {

enum class Language { Chinese = 0, English = 1 };

struct Texts {
    QString open;
    QString showInFolder;
    QString remove;
    QString checkAll;
    QString uncheckAll;
    QString openHint;  // second line of an item's tooltip
    QString emptyHint; // drawn in an empty strip
};

const Texts& textsFor(Language language);

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_THUMBNAILTEXTS_H
