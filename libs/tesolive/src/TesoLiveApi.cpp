// The reader's C functions. Handles are numbers handed out by TcCreateHDL;
// the reads come from the simulated finger (FingerModel, FingerChooser).

#include "tesolive/TesoLive.h"

#include "FingerChooser.h"
#include "FingerModel.h"

#include <cstring>
#include <random>
#include <set>

using namespace tesolive;

namespace {

struct Reader {
    std::set<TcHandle> open;
    TcHandle next = 1;
    std::mt19937 random{std::random_device{}()};
};

Reader& reader() {
    static Reader instance;
    return instance;
}

int readInto(TcHandle handle, char* buffer, ReadKind kind) {
    if (!buffer)
        return TC_ERR_PARAMETER;
    if (reader().open.count(handle) == 0)
        return TC_ERR_HANDLE;
    const QByteArray finger = fingerOnReader();
    if (finger.isEmpty())
        return TC_ERR_NO_FINGER;
    const QByteArray text =
        encodeRead(readFinger(fingerMinutiae(finger), kind, reader().random), kind);
    const size_t n = std::min(size_t(text.size()), size_t(TC_TEXT_BUFFER_SIZE - 1));
    std::memcpy(buffer, text.constData(), n);
    buffer[n] = '\0';
    return int(n);
}

} // namespace

extern "C" {

TcHandle TcCreateHDL(int, int, int, int) {
    Reader& r = reader();
    const TcHandle handle = r.next++;
    r.open.insert(handle);
    return handle;
}

int TcDeleteHDL(TcHandle handle) {
    return reader().open.erase(handle) ? TC_OK : TC_ERR_HANDLE;
}

int TcDoTemplet(TcHandle handle, char* buffer) {
    return readInto(handle, buffer, ReadKind::Template);
}

int TcDoFeature(TcHandle handle, char* buffer) {
    return readInto(handle, buffer, ReadKind::Feature);
}

int TcSafeMatch(int, const char* templet, const char* feature, int level) {
    if (!templet || !feature)
        return TC_ERR_PARAMETER;
    QVector<Minutia> t, f;
    if (!parseRead(templet, ReadKind::Template, t) || !parseRead(feature, ReadKind::Feature, f))
        return TC_ERR_BAD_TEXT;
    const int score = matchScore(t, f);
    return score >= matchThreshold(level) ? score : TC_ERR_NO_MATCH;
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
int TcCodeCnvrt(const char*, char*, int) {
    return TC_NOT_SUPPORTED;
}

} // extern "C"
