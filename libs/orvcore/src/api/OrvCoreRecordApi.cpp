// The C functions of the camera library for recording and microphones, and
// their test hooks: check the arguments, find the camera, forward.

#include "ApiSupport.h"
#include "Recorder.h"

#include "orvcore/OrvCoreTesting.h"
#include <orvcore/OrvCoreLib.h>

#include <QFile>

#include <climits>

using orv::Camera;
using orv::Engine;
using orv::api::engine;

namespace {

// Lists the microphones again; the virtual one while virtual cameras exist.
int listMicrophones(Engine& e) {
    return e.audioDevices().refresh(e.virtualCameraCount() > 0);
}

} // namespace

extern "C" {

int OrvStartRecord(int cameraIndex, const char* path, bool withAudio) {
    Engine* e = engine();
    Camera* cam = orv::api::cameraAt(cameraIndex); // a closed one says so
    if (!e || !cam || !path || !*path)
        return ORV_RECORD_FAILED;
    std::function<GstElement*()> makeAudio;
    if (withAudio) {
        makeAudio = [e] {
            orv::AudioDevices& audio = e->audioDevices();
            if (audio.count() == 0) // never listed, or nothing was there
                listMicrophones(*e);
            return audio.createSource();
        };
    }
    QString error;
    const int result = cam->startRecording(QFile::decodeName(path), makeAudio, &error);
    if (result != 0)
        qWarning("recording cannot start: %s", qPrintable(error));
    return result;
}

int OrvStopRecord(int cameraIndex) {
    Camera* cam = orv::api::cameraAt(cameraIndex);
    return cam && cam->stopRecording() ? 0 : -1;
}

int OrvSetRecordEndCB(OrvRecordEndCallback callback) {
    Engine* e = engine();
    if (!e)
        return -1;
    e->setRecordEndCallback(callback);
    return 0;
}

int OrvGetRecordDroppedFrames(int cameraIndex) {
    const Camera* cam = orv::api::cameraAt(cameraIndex);
    const orv::Recorder* recorder = cam ? cam->recorder() : nullptr;
    return recorder ? int(qMin<quint64>(recorder->framesDropped(), INT_MAX)) : -1;
}

int OrvGetAudioCount(void) {
    Engine* e = engine();
    return e ? listMicrophones(*e) : -1;
}

const char* OrvGetAudioName(int audioIndex) {
    static QByteArray name;
    Engine* e = engine();
    return orv::api::keep(name, e ? e->audioDevices().name(audioIndex).toUtf8() : QByteArray());
}

int OrvSetAudioDev(int audioIndex) {
    Engine* e = engine();
    if (e && e->audioDevices().count() == 0) // a stored choice, passed on before any listing
        listMicrophones(*e);
    return e && e->audioDevices().select(audioIndex) ? 0 : -1;
}

// ---- Test hooks ----

void OrvTestSetVirtualMicrophone(const char* source) {
    if (Engine* e = engine())
        e->audioDevices().setVirtualSource(QByteArray(source ? source : ""));
}

void OrvTestSetRecordReserve(int64_t bytes) {
    orv::Recorder::setReserve(quint64(qMax<int64_t>(0, bytes)));
}

int OrvTestGetRecordStats(int cameraIndex, OrvTestRecordStats* stats) {
    const Camera* cam = orv::api::cameraAt(cameraIndex);
    const orv::Recorder* recorder = cam ? cam->recorder() : nullptr;
    if (!recorder || !stats)
        return -1;
    stats->framesWritten = qint64(recorder->framesWritten());
    stats->framesDropped = qint64(recorder->framesDropped());
    stats->withSound = recorder->hasAudio();
    return 0;
}

} // extern "C"
