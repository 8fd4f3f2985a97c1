// A reader library with every function but TcCodeCnvrt.
#include <tesolive/TesoLive.h>

extern "C" {
TcHandle TcCreateHDL(int, int, int, int) {
    return 1;
}
int TcDeleteHDL(TcHandle) {
    return TC_OK;
}
int TcDoTemplet(TcHandle, char*) {
    return TC_ERR_NO_FINGER;
}
int TcDoFeature(TcHandle, char*) {
    return TC_ERR_NO_FINGER;
}
int TcSafeMatch(int, const char*, const char*, int) {
    return TC_ERR_NO_MATCH;
}
int TcExtnEntry(TcHandle, int, void*, int) {
    return TC_NOT_SUPPORTED;
}
int TcGetImgDat(TcHandle, unsigned char*, int) {
    return TC_NOT_SUPPORTED;
}
int TcFeaFrmImg(const unsigned char*, int, int, char*) {
    return TC_NOT_SUPPORTED;
}
int TcTplFrmImg(const unsigned char*, int, int, char*) {
    return TC_NOT_SUPPORTED;
}
int TcReadDevSn(TcHandle, char*, int) {
    return TC_NOT_SUPPORTED;
}
int TcOperFlash(TcHandle, int, void*, int) {
    return TC_NOT_SUPPORTED;
}
int TcBeepLight(TcHandle, int, int) {
    return TC_NOT_SUPPORTED;
}
int TcShowImage(TcHandle, uintptr_t) {
    return TC_NOT_SUPPORTED;
}
int TcSaveAsBmp(const unsigned char*, int, int, const char*) {
    return TC_NOT_SUPPORTED;
}
int TcLoadFrBmp(const char*, unsigned char*, int) {
    return TC_NOT_SUPPORTED;
}
int TcIniListen(TcHandle, int) {
    return TC_NOT_SUPPORTED;
}
int TcWhereAreu(TcHandle) {
    return TC_NOT_SUPPORTED;
}
}
