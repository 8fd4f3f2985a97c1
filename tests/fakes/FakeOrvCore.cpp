#include "FakeOrvCore.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace fake {

FakeOrvCore& FakeOrvCore::instance() {
    static FakeOrvCore theFake;
    return theFake;
}

void FakeOrvCore::reset() {
    script = Script();
    calls.clear();
    zoomCallback = nullptr;
    autoCapCallback = nullptr;
    deviceCallback = nullptr;
    recordEndCallback = nullptr;
    recording.clear();
    onCall = nullptr;
    splitOn.clear();
    pdfMode.clear();
    openCameras.clear();
}

void FakeOrvCore::endRecording(int camera, int reason, bool saved) {
    if (recording.removeOne(camera) && recordEndCallback)
        recordEndCallback(camera, reason, saved);
}

void FakeOrvCore::log(const char* name, QVariantList args) {
    static QMutex lock;
    Call call{QByteArray(name), std::move(args)};
    {
        QMutexLocker locked(&lock);
        calls.append(call);
    }
    if (onCall)
        onCall(call);
}

QStringList FakeOrvCore::names(const QStringList& only) const {
    QStringList out;
    for (const Call& c : calls) {
        const QString n = QString::fromLatin1(c.name);
        if (only.isEmpty() || only.contains(n))
            out << n;
    }
    return out;
}

int FakeOrvCore::count(const char* name) const {
    return callsOf(name).size();
}

QList<Call> FakeOrvCore::callsOf(const char* name) const {
    QList<Call> out;
    for (const Call& c : calls)
        if (c.name == name)
            out << c;
    return out;
}

int FakeOrvCore::indexOf(const char* name, const QVariant& arg0) const {
    for (int i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        if (c.name != name)
            continue;
        if (!arg0.isValid() || (!c.args.isEmpty() && c.args.first() == arg0))
            return i;
    }
    return -1;
}

QList<QSize> FakeOrvCore::resolutionsOf(int camera) const {
    return script.cameraResolutions.value(camera, script.resolutions);
}

} // namespace fake

using fake::core;

namespace {

bool validCamera(int camera) {
    return camera >= 0 && camera < core().script.cameraCount;
}

// Strings handed out stay valid until the next call of the same function.
const char* keep(QByteArray& slot, const QByteArray& value) {
    slot = value;
    return slot.constData();
}

bool writeFile(const QByteArray& path, const QByteArray& content, bool append = false) {
    if (!core().script.writeFiles || path.isEmpty())
        return true;
    QFile f(QString::fromUtf8(path));
    return f.open(append ? QIODevice::Append : QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(content) == content.size();
}

// The extensions the library writes, any case.
bool knownFormat(const QByteArray& path) {
    const QByteArray p = path.toLower();
    for (const char* ext : {".jpg", ".jpeg", ".png", ".bmp", ".tif", ".tiff", ".pdf"})
        if (p.endsWith(ext))
            return true;
    return false;
}

QByteArray beforeExtension(const QByteArray& path) {
    const int dot = path.lastIndexOf('.');
    return dot > path.lastIndexOf('/') + 1 ? path.left(dot) : path;
}

QVariant ptr(WId w) {
    return QVariant::fromValue<qulonglong>(w);
}

} // namespace

extern "C" {

int OrvInit(void) {
    core().log("OrvInit", {});
    return 0;
}

int OrvGetCameraCount(void) {
    core().log("OrvGetCameraCount", {});
    return core().script.cameraCount;
}

const char* OrvGetDevName(int camera) {
    core().log("OrvGetDevName", {camera});
    static QByteArray name;
    if (!validCamera(camera))
        return keep(name, QByteArray());
    if (camera < core().script.names.size())
        return keep(name, core().script.names.at(camera));
    return keep(name, "Camera " + QByteArray::number(camera));
}

int OrvOpenCamera(int camera, WId window) {
    core().log("OrvOpenCamera", {camera, ptr(window)});
    if (!validCamera(camera))
        return -1;
    if (core().script.openResult == 0 && !core().openCameras.contains(camera))
        core().openCameras << camera;
    return core().script.openResult;
}

int OrvCloseCamera(int camera) {
    core().log("OrvCloseCamera", {camera});
    // As the engine does: a recording ends with its camera, and says so.
    core().endRecording(camera, ORV_RECORD_END_CAMERA_CLOSED, true);
    core().openCameras.removeAll(camera);
    return validCamera(camera) ? 0 : -1;
}

int OrvSetHwnd(int camera, WId window) {
    core().log("OrvSetHwnd", {camera, ptr(window)});
    return validCamera(camera) ? 0 : -1;
}

int OrvUpdateVideo(int camera) {
    core().log("OrvUpdateVideo", {camera});
    return 0;
}

int OrvResetVideo(int camera) {
    core().log("OrvResetVideo", {camera});
    return 0;
}

int OrvSetDeviceChangeCB(OrvDeviceChangeCallback callback) {
    core().log("OrvSetDeviceChangeCB", {callback != nullptr});
    core().deviceCallback = callback;
    return 0;
}

int OrvGetResCount(int camera) {
    core().log("OrvGetResCount", {camera});
    return validCamera(camera) ? int(core().resolutionsOf(camera).size()) : -1;
}

int OrvGetResWidth(int camera, int r) {
    core().log("OrvGetResWidth", {camera, r});
    const QList<QSize> list = core().resolutionsOf(camera);
    return validCamera(camera) && r >= 0 && r < list.size() ? list[r].width() : -1;
}

int OrvGetResHeight(int camera, int r) {
    core().log("OrvGetResHeight", {camera, r});
    const QList<QSize> list = core().resolutionsOf(camera);
    return validCamera(camera) && r >= 0 && r < list.size() ? list[r].height() : -1;
}

int OrvSetResolution(int camera, int r) {
    core().log("OrvSetResolution", {camera, r});
    return 0;
}

int OrvSetDefaultResolution(int camera, int r) {
    core().log("OrvSetDefaultResolution", {camera, r});
    return 0;
}

int OrvSetDPI(int camera, int dpi) {
    core().log("OrvSetDPI", {camera, dpi});
    return 0;
}

int OrvZoom(int camera, float ratio) {
    core().log("OrvZoom", {camera, ratio});
    return 0;
}

int OrvZoomIn(int camera) {
    core().log("OrvZoomIn", {camera});
    return 0;
}

int OrvZoomOut(int camera) {
    core().log("OrvZoomOut", {camera});
    return 0;
}

float OrvGetMinZoomRatio(int camera) {
    core().log("OrvGetMinZoomRatio", {camera});
    return core().script.minZoom;
}

float OrvGetMaxZoomRatio(int camera) {
    core().log("OrvGetMaxZoomRatio", {camera});
    return core().script.maxZoom;
}

int OrvSetZoomCB(int camera, OrvZoomCallback callback) {
    core().log("OrvSetZoomCB", {camera, callback != nullptr});
    core().zoomCallback = callback;
    return 0;
}

int OrvSetShowZoomRate(int camera, bool show) {
    core().log("OrvSetShowZoomRate", {camera, show});
    return 0;
}

int OrvRotateLeft(int camera) {
    core().log("OrvRotateLeft", {camera});
    return 0;
}

int OrvRotateRight(int camera) {
    core().log("OrvRotateRight", {camera});
    return 0;
}

int OrvSetRotate(int camera, int rotation) {
    core().log("OrvSetRotate", {camera, rotation});
    return 0;
}

int OrvSetMouseMode(int camera, int mode) {
    core().log("OrvSetMouseMode", {camera, mode});
    return 0;
}

int OrvOnLMousePress(WId window, int x, int y) {
    core().log("OrvOnLMousePress", {ptr(window), x, y});
    return 0;
}

int OrvOnMouseMoving(WId window, int x, int y) {
    core().log("OrvOnMouseMoving", {ptr(window), x, y});
    return 0;
}

int OrvOnLMouseRelease(WId window, int x, int y) {
    core().log("OrvOnLMouseRelease", {ptr(window), x, y});
    return 0;
}

int OrvOnWheel(WId window, int delta) {
    core().log("OrvOnWheel", {ptr(window), delta});
    return 0;
}

const char* OrvGetVideoRect(int camera) {
    core().log("OrvGetVideoRect", {camera});
    static QByteArray text;
    return keep(text, core().script.videoRect);
}

int OrvGetVideoRectEx(int camera, int* left, int* top, int* right, int* bottom) {
    core().log("OrvGetVideoRectEx", {camera});
    const int* r = core().script.rect;
    if (left)
        *left = r[0];
    if (top)
        *top = r[1];
    if (right)
        *right = r[2];
    if (bottom)
        *bottom = r[3];
    return 0;
}

int OrvGetVideoProp(int camera, int property, bool* isAuto, int* upper, int* lower, int* value) {
    core().log("OrvGetVideoProp", {camera, property});
    const fake::VideoProp p = core().script.props.value(property);
    if (isAuto)
        *isAuto = p.isAuto;
    if (upper)
        *upper = p.upper;
    if (lower)
        *lower = p.lower;
    if (value)
        *value = p.value;
    return 0;
}

int OrvSetVideoProp(int camera, int property, bool isAuto, int value) {
    core().log("OrvSetVideoProp", {camera, property, isAuto, value});
    return 0;
}

int OrvGetExposure(int camera, bool* isAuto, int* upper, int* lower, int* value) {
    core().log("OrvGetExposure", {camera});
    const fake::VideoProp p = core().script.exposure;
    if (isAuto)
        *isAuto = p.isAuto;
    if (upper)
        *upper = p.upper;
    if (lower)
        *lower = p.lower;
    if (value)
        *value = p.value;
    return 0;
}

int OrvSetExposure(int camera, bool isAuto, int value) {
    core().log("OrvSetExposure", {camera, isAuto, value});
    return 0;
}

int OrvShowVideoProperty(int camera) {
    core().log("OrvShowVideoProperty", {camera});
    return 0;
}

int OrvSetDevColor(int camera, int mode) {
    core().log("OrvSetDevColor", {camera, mode});
    return 0;
}

int OrvDelBackColor(int camera, bool enable) {
    core().log("OrvDelBackColor", {camera, enable});
    return 0;
}

int OrvEnableAutoRotate(int camera, bool enable) {
    core().log("OrvEnableAutoRotate", {camera, enable});
    return 0;
}

int OrvSetResize(int camera, bool enable, float ratio) {
    core().log("OrvSetResize", {camera, enable, ratio});
    return 0;
}

int OrvSetJpgQuality(int camera, int quality) {
    core().log("OrvSetJpgQuality", {camera, quality});
    return 0;
}

int OrvPrint(int camera) {
    core().log("OrvPrint", {camera});
    return 0;
}

int OrvCapture(int camera, const char* path) {
    const QByteArray file(path ? path : "");
    core().log("OrvCapture", {camera, file});
    if (!validCamera(camera) || !core().openCameras.contains(camera) || !knownFormat(file))
        return -1;
    const int count = core().script.captureResult;
    if (count <= 0)
        return count;
    const bool split = core().splitOn.value(camera);
    if (file.toLower().endsWith(".pdf")) {
        // A split capture adds both pages.
        const int pages = split ? 2 : count;
        const bool append = core().pdfMode.value(camera, 1) == 0;
        for (int i = 0; i < pages; ++i)
            if (!writeFile(file, "page\n", append || i > 0))
                return -1;
        return pages;
    }
    // A test may have written the picture itself when the call was logged.
    if (!QFile::exists(QString::fromUtf8(file)) &&
        !writeFile(file, "capture " + QByteArray::number(camera) + "\n"))
        return -1;
    const QByteArray base = beforeExtension(file);
    const QByteArray ext = file.mid(base.size());
    // A split capture is one picture pair: the right page beside the left.
    if (split)
        return writeFile(base + "_split" + ext, "split\n") ? 1 : -1;
    for (int i = 1; count > 1 && i <= count; ++i)
        if (!writeFile(base + "_" + QByteArray::number(i) + ext, "document\n"))
            return -1;
    return count;
}

int OrvWritePdfPages(const char* pdfPath, int mode, int count, const char* const* pictures,
                     const char* const* words) {
    const QByteArray file(pdfPath ? pdfPath : "");
    QByteArray pictureList, pages;
    for (int i = 0; pictures && i < count; ++i) {
        pictureList += QByteArray(pictures[i] ? pictures[i] : "") + ';';
        pages += "page\n" + QByteArray(words && words[i] ? words[i] : "");
    }
    core().log("OrvWritePdfPages", {file, mode, count, pictureList});
    const int result = core().script.captureResult;
    if (result <= 0 || count < 1 || !pictures)
        return -1;
    writeFile(file, pages, mode == 0);
    return count;
}

int OrvSetCaptureMode(int camera, int mode) {
    core().log("OrvSetCaptureMode", {camera, mode});
    return 0;
}

int OrvEnableSplitCap(int camera, bool enable) {
    core().log("OrvEnableSplitCap", {camera, enable});
    core().splitOn[camera] = enable;
    return 0;
}

int OrvSetPDFMode(int camera, int mode) {
    core().log("OrvSetPDFMode", {camera, mode});
    core().pdfMode[camera] = mode;
    return 0;
}

int OrvImagesMix(const char* list, int a, int b, int c, int d, const char* outPath) {
    core().log("OrvImagesMix",
               {QByteArray(list ? list : ""), a, b, c, d, QByteArray(outPath ? outPath : "")});
    if (core().script.mixResult > 0)
        writeFile(QByteArray(outPath ? outPath : ""), "merged\n");
    return core().script.mixResult;
}

int OrvCombineMainSubEn(const char* mainPath, const char* subPath, const char* outPath, int width,
                        int height, int x, int y) {
    core().log("OrvCombineMainSubEn",
               {QByteArray(mainPath ? mainPath : ""), QByteArray(subPath ? subPath : ""),
                QByteArray(outPath ? outPath : ""), width, height, x, y});
    if (core().script.mixResult > 0)
        writeFile(QByteArray(outPath ? outPath : ""), "composed\n");
    return core().script.mixResult;
}

int OrvGetImageWidth(const char* path) {
    core().log("OrvGetImageWidth", {QByteArray(path ? path : "")});
    return core().script.imageWidth;
}

int OrvGetImageHeight(const char* path) {
    core().log("OrvGetImageHeight", {QByteArray(path ? path : "")});
    return core().script.imageHeight;
}

int OrvSetAutoCap(int camera, bool enable) {
    core().log("OrvSetAutoCap", {camera, enable});
    return 0;
}

int OrvSetAutoCapCB(int camera, OrvAutoCapCallback callback) {
    core().log("OrvSetAutoCapCB", {camera, callback != nullptr});
    core().autoCapCallback = callback;
    return 0;
}

int OrvAddWaterMark(int camera, int mode, const _WATERMARKPARAM* param) {
    QByteArray record;
    if (param)
        record = QByteArray(reinterpret_cast<const char*>(param), sizeof(_WATERMARKPARAM));
    core().log("OrvAddWaterMark", {camera, mode, record});
    return 0;
}

int OrvClearWatermark(int camera) {
    core().log("OrvClearWatermark", {camera});
    return 0;
}

int OrvStartRecord(int camera, const char* path, bool withAudio) {
    core().log("OrvStartRecord", {camera, QByteArray(path ? path : ""), withAudio});
    if (core().recording.contains(camera))
        return ORV_RECORD_FAILED;
    if (core().script.startRecordResult == 0)
        core().recording << camera;
    return core().script.startRecordResult;
}

int OrvStopRecord(int camera) {
    core().log("OrvStopRecord", {camera});
    if (!core().recording.removeOne(camera))
        return -1;
    return core().script.stopRecordResult;
}

int OrvSetRecordEndCB(OrvRecordEndCallback callback) {
    core().log("OrvSetRecordEndCB", {callback != nullptr});
    core().recordEndCallback = callback;
    return 0;
}

int OrvGetRecordDroppedFrames(int camera) {
    core().log("OrvGetRecordDroppedFrames", {camera});
    return core().recording.contains(camera) ? core().script.recordDroppedFrames : -1;
}

int OrvGetAudioCount(void) {
    core().log("OrvGetAudioCount", {});
    return int(core().script.audioNames.size());
}

const char* OrvGetAudioName(int index) {
    core().log("OrvGetAudioName", {index});
    static QByteArray name;
    return keep(name, core().script.audioNames.value(index));
}

int OrvSetAudioDev(int index) {
    core().log("OrvSetAudioDev", {index});
    return index >= 0 && index < core().script.audioNames.size() ? 0 : -1;
}

const char* OrvReadBarcode(int camera) {
    core().log("OrvReadBarcode", {camera});
    thread_local QByteArray text; // called from a worker thread
    return keep(text, core().script.barcode);
}

bool OrvReadIDCard(void) {
    core().log("OrvReadIDCard", {});
    return core().script.idCardPresent;
}

#define ORV_FAKE_ID_FIELD(fn, index)                                                               \
    const char* fn(void) {                                                                         \
        core().log(#fn, {});                                                                       \
        static QByteArray text;                                                                    \
        return keep(text, core().script.idFields.value(index));                                    \
    }

ORV_FAKE_ID_FIELD(OrvGetIDName, 0)
ORV_FAKE_ID_FIELD(OrvGetIDSex, 1)
ORV_FAKE_ID_FIELD(OrvGetIDNation, 2)
ORV_FAKE_ID_FIELD(OrvGetIDBirthFull, 3)
ORV_FAKE_ID_FIELD(OrvGetIDAddress, 4)
ORV_FAKE_ID_FIELD(OrvGetIDNum, 5)
ORV_FAKE_ID_FIELD(OrvGetIDDepart, 6)
ORV_FAKE_ID_FIELD(OrvGetIDTermDay, 7)

const char* OrvGetIDHeadImagePath(void) {
    core().log("OrvGetIDHeadImagePath", {});
    static QByteArray text;
    return keep(text, core().script.idHeadImagePath);
}

const char* OrvMakeIDCard(void) {
    core().log("OrvMakeIDCard", {});
    static QByteArray text;
    return keep(text, core().script.idCardImagePath);
}

} // extern "C"
