// The C functions of the camera library whose engine parts come in later
// steps. They exist so that the program links; until then each one refuses:
// it does nothing and returns the error value of its kind (-1, 0.0f, false or
// an empty string), never a pretended success.

#include <orvcore/OrvCoreLib.h>

namespace {
const char* const kNone = "";
} // namespace

extern "C" {

// ---- Recording ----
int OrvStartRecord(int, const char*, bool) {
    return -1;
}
int OrvStopRecord(int) {
    return -1;
}
int OrvGetAudioCount(void) {
    return -1;
}
const char* OrvGetAudioName(int) {
    return kNone;
}
int OrvSetAudioDev(int) {
    return -1;
}

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
