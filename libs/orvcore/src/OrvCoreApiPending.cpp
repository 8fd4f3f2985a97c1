// The C functions of the camera library whose engine parts come in later
// steps. They exist so that the program links; until then each one refuses:
// it does nothing and returns the error value of its kind (-1, 0.0f, false or
// an empty string), never a pretended success.

#include "OrvCoreLib.h"

namespace {
const char* const kNone = "";
} // namespace

extern "C" {

// ---- Set-up and view ----
int OrvResetVideo(int) {
    return -1;
}
int OrvSetDPI(int, int) {
    return -1;
}
int OrvZoom(int, float) {
    return -1;
}
int OrvZoomIn(int) {
    return -1;
}
int OrvZoomOut(int) {
    return -1;
}
int OrvSetZoomCB(int, OrvZoomCallback) {
    return -1;
}
int OrvSetShowZoomRate(int, bool) {
    return -1;
}
int OrvRotateLeft(int) {
    return -1;
}
int OrvRotateRight(int) {
    return -1;
}
int OrvSetRotate(int, int) {
    return -1;
}
int OrvSetMouseMode(int, int) {
    return -1;
}
int OrvOnLMousePress(WId, int, int) {
    return -1;
}
int OrvOnMouseMoving(WId, int, int) {
    return -1;
}
int OrvOnLMouseRelease(WId, int, int) {
    return -1;
}
int OrvOnWheel(WId, int) {
    return -1;
}

// ---- Picture ----
int OrvGetVideoProp(int, int, bool*, int*, int*, int*) {
    return -1;
}
int OrvSetVideoProp(int, int, bool, int) {
    return -1;
}
int OrvGetExposure(int, bool*, int*, int*, int*) {
    return -1;
}
int OrvSetExposure(int, bool, int) {
    return -1;
}
int OrvShowVideoProperty(int) {
    return -1;
}
int OrvSetDevColor(int, int) {
    return -1;
}
int OrvDelBackColor(int, bool) {
    return -1;
}
int OrvEnableAutoRotate(int, bool) {
    return -1;
}
int OrvSetResize(int, bool, float) {
    return -1;
}
int OrvSetJpgQuality(int, int) {
    return -1;
}
int OrvPrint(int) {
    return -1;
}

// ---- Capture ----
int OrvCapture(int, const char*) {
    return -1;
}
int OrvSetCaptureMode(int, int) {
    return -1;
}
int OrvEnableSplitCap(int, bool) {
    return -1;
}
int OrvSetPDFMode(int, int) {
    return -1;
}
int OrvImagesMix(const char*, int, int, int, int, const char*) {
    return -1;
}
int OrvCombineMainSubEn(const char*, const char*, const char*, int, int, int, int) {
    return -1;
}
int OrvGetImageWidth(const char*) {
    return -1;
}
int OrvGetImageHeight(const char*) {
    return -1;
}
int OrvSetAutoCap(int, bool) {
    return -1;
}
int OrvSetAutoCapCB(int, OrvAutoCapCallback) {
    return -1;
}

// ---- Watermark ----
int OrvAddWaterMark(int, int, const _WATERMARKPARAM*) {
    return -1;
}
int OrvClearWatermark(int) {
    return -1;
}

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

// ---- Barcode ----
const char* OrvReadBarcode(int) {
    return kNone;
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
