#pragma once

// A recording fake of the camera library for tests of the application.
// Every call is logged with its arguments; results are scripted per test.

#include <orvcore/OrvCoreLib.h>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace fake {

struct Call {
    QByteArray name;
    QVariantList args;
    bool operator==(const Call& other) const { return name == other.name && args == other.args; }
};

struct VideoProp {
    bool isAuto = false;
    int upper = 100;
    int lower = 0;
    int value = 50;
};

// What the fake answers. Tests change it before driving the application.
struct Script {
    int cameraCount = 1;
    QList<QByteArray> names; // default "Camera <i>"
    QList<QSize> resolutions{{2592, 1944}, {1600, 1200}, {640, 480}};
    QMap<int, QList<QSize>> cameraResolutions; // per camera, overrides resolutions
    QByteArray videoRect = "0.0.640.480";
    int rect[4] = {0, 0, 640, 480};
    float minZoom = 1.0f;
    float maxZoom = 4.0f;
    int captureResult = 1;
    int mixResult = 1;
    int imageWidth = 640;
    int imageHeight = 480;
    QByteArray barcode;
    QMap<int, VideoProp> props;
    VideoProp exposure{false, 0, -13, -5};
    QList<QByteArray> audioNames;
    bool idCardPresent = false;
    QList<QByteArray> idFields; // name, sex, nation, birth, address, number, depart, term
    QByteArray idHeadImagePath;
    QByteArray idCardImagePath;
    int openResult = 0;
    // Successful captures, merges and compositions write their files as the
    // library does (split and numbered files too; a multi-page PDF grows by
    // one "page" line per page). As in the library, a capture needs an open
    // camera, a known extension and a folder it can write to; otherwise it
    // returns -1 and writes nothing.
    bool writeFiles = true;
    int startRecordResult = 0;
    int stopRecordResult = 0;
    int recordDroppedFrames = 0; // while a recording runs
};

class FakeOrvCore {
public:
    static FakeOrvCore& instance();

    // Clears the log, the callbacks and the script.
    void reset();

    Script script;
    QList<Call> calls;
    OrvZoomCallback zoomCallback = nullptr;
    OrvAutoCapCallback autoCapCallback = nullptr;
    OrvDeviceChangeCallback deviceCallback = nullptr;
    OrvRecordEndCallback recordEndCallback = nullptr;
    // Cameras recording now (started and neither stopped nor ended).
    QList<int> recording;
    // The engine ends camera's recording itself: the callback, as the engine
    // makes it on the GUI thread.
    void endRecording(int camera, int reason, bool saved);
    // Runs after each call is logged, e.g. to look at the world at that moment.
    std::function<void(const Call&)> onCall;

    // Safe from any thread (OrvReadBarcode runs on a worker); onCall runs on
    // the caller's thread.
    void log(const char* name, QVariantList args);
    // Names of all calls in order; with a filter, only those in the filter.
    QStringList names(const QStringList& only = {}) const;
    int count(const char* name) const;
    QList<Call> callsOf(const char* name) const;
    // Index of the first call of name (optionally with first argument arg0), -1 if none.
    int indexOf(const char* name, const QVariant& arg0 = QVariant()) const;

    QList<QSize> resolutionsOf(int camera) const;
    // Library state the written files depend on.
    QMap<int, bool> splitOn;
    QList<int> openCameras;
    QMap<int, int> pdfMode;

private:
    FakeOrvCore() = default;
};

inline FakeOrvCore& core() {
    return FakeOrvCore::instance();
}

} // namespace fake
