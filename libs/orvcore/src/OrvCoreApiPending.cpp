// The C functions of the camera library whose engine parts come in later
// steps. They exist so that the program links; until then each one refuses:
// it does nothing and returns the error value of its kind (-1, 0.0f, false or
// an empty string), never a pretended success.

#include <orvcore/OrvCoreLib.h>

namespace {
const char* const kNone = "";
} // namespace

extern "C" {

// ---- ID card ----
bool OrvReadIDCard(void) {
    return false;
}
const char* OrvGetIDName(void) {
    return kNone;
}
const char* OrvGetIDSex(void) {
    return kNone;
}
const char* OrvGetIDNation(void) {
    return kNone;
}
const char* OrvGetIDBirthFull(void) {
    return kNone;
}
const char* OrvGetIDAddress(void) {
    return kNone;
}
const char* OrvGetIDNum(void) {
    return kNone;
}
const char* OrvGetIDDepart(void) {
    return kNone;
}
const char* OrvGetIDTermDay(void) {
    return kNone;
}
const char* OrvGetIDHeadImagePath(void) {
    return kNone;
}
const char* OrvMakeIDCard(void) {
    return kNone;
}

} // extern "C"
