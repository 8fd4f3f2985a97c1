// The card reader functions of the C interface, on the virtual reader.

#include "IdCardReader.h"
#include "IdCardRenderer.h"

#include <orvcore/OrvCoreLib.h>

#include <mutex>

namespace {

struct Reader {
    std::mutex mutex;
    bool present = false;
    orv::IdCardData card;
    QByteArray birth, headPath, cardPath; // texts handed out
};

Reader& reader() {
    static Reader r;
    return r;
}

// The field's text while a card has been read, else "".
const char* field(QByteArray orv::IdCardData::*member) {
    Reader& r = reader();
    std::lock_guard lock(r.mutex);
    return r.present ? (r.card.*member).constData() : "";
}

} // namespace

extern "C" {

bool OrvReadIDCard(void) {
    orv::IdCardData card;
    const bool present = orv::readVirtualCard(card);
    Reader& r = reader();
    std::lock_guard lock(r.mutex);
    r.present = present;
    r.card = present ? card : orv::IdCardData();
    r.birth = orv::fullBirth(r.card.birth);
    return present;
}
const char* OrvGetIDName(void) {
    return field(&orv::IdCardData::name);
}
const char* OrvGetIDSex(void) {
    return field(&orv::IdCardData::sex);
}
const char* OrvGetIDNation(void) {
    return field(&orv::IdCardData::nation);
}
const char* OrvGetIDBirthFull(void) {
    Reader& r = reader();
    std::lock_guard lock(r.mutex);
    return r.present ? r.birth.constData() : "";
}
const char* OrvGetIDAddress(void) {
    return field(&orv::IdCardData::address);
}
const char* OrvGetIDNum(void) {
    return field(&orv::IdCardData::number);
}
const char* OrvGetIDDepart(void) {
    return field(&orv::IdCardData::authority);
}
const char* OrvGetIDTermDay(void) {
    return field(&orv::IdCardData::validity);
}
const char* OrvGetIDHeadImagePath(void) {
    Reader& r = reader();
    std::lock_guard lock(r.mutex);
    r.headPath =
        r.present ? orv::writeTempJpeg(r.card.photo, QStringLiteral("orvcore_head")) : QByteArray();
    return r.headPath.constData();
}
const char* OrvMakeIDCard(void) {
    Reader& r = reader();
    std::lock_guard lock(r.mutex);
    r.cardPath = r.present
                     ? orv::writeTempJpeg(orv::renderCard(r.card), QStringLiteral("orvcore_idcard"))
                     : QByteArray();
    return r.cardPath.constData();
}

} // extern "C"
