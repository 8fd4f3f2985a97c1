#include "recognition/FingerDriver.h"

#include <QFileInfo>

const std::array<const char*, FingerDriver::exportCount>& FingerDriver::exportNames() {
    static const std::array<const char*, exportCount> names = {
        "TcCreateHDL", "TcDeleteHDL", "TcExtnEntry", "TcDoFeature", "TcDoTemplet", "TcSafeMatch",
        "TcGetImgDat", "TcFeaFrmImg", "TcTplFrmImg", "TcReadDevSn", "TcOperFlash", "TcBeepLight",
        "TcShowImage", "TcSaveAsBmp", "TcLoadFrBmp", "TcIniListen", "TcWhereAreu", "TcCodeCnvrt"};
    return names;
}

FingerDriver::~FingerDriver() {
    TcHandle none = 0;
    unloadFingerDriver(none);
}

bool FingerDriver::loadFingerDriver(const QString& path, TcHandle& handle, QByteArray& modulePath) {
    unloadFingerDriver(handle);
    handle = 0;
    library.setFileName(path);
    if (!library.load())
        return false;
    bool complete = true;
    for (int i = 0; i < exportCount; ++i) {
        entries[i] = library.resolve(exportNames()[i]);
        complete = complete && entries[i];
    }
    if (complete)
        handle = entry<TcCreateHDLFn>(0)(0, 0, 0, 0);
    if (handle != 0) {
        modulePath = QFileInfo(library.fileName()).absoluteFilePath().toLocal8Bit();
        return true;
    }
    unloadFingerDriver(handle);
    return false;
}

bool FingerDriver::unloadFingerDriver(TcHandle& handle) {
    if (!library.isLoaded()) {
        forget();
        return true;
    }
    if (handle != 0 && deleteHandle() && deleteHandle()(handle) >= 0)
        handle = 0;
    if (!library.unload())
        return false;
    forget();
    return true;
}

void FingerDriver::forget() {
    entries.fill(nullptr);
}
