/*
 * Hooks of liborvcore for its own tests and benchmarks. The application never
 * includes this header. Like the rest of the library, call them on the GUI
 * thread after OrvInit (OrvTestShutdown excepted).
 */
#ifndef ORVCORETESTING_H
#define ORVCORETESTING_H

#include "OrvCoreLib.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Makes n virtual cameras exist (0..16), adding or removing at the end of the
 * list. Removed cameras are closed first. Each camera added fires the
 * device-change callback with ORV_DEVICE_ARRIVAL, each one removed with
 * ORV_DEVICE_REMOVE_COMPLETE. */
ORVCORE_API void OrvTestSetVirtualCameraCount(int n);

/* Plugs in a pretend real camera: the engine's device monitor reports it as
 * it reports a device GStreamer found, and the engine lists it after the real
 * cameras present, before the virtual ones. source: a GStreamer description
 * of the element(s) giving its stream ("videotestsrc is-live=true", or with
 * "! jpegenc" for MJPEG); caps: what it offers, as a device's caps
 * ("video/x-raw,width=640,height=480,framerate=30/1; image/jpeg,..."), NULL
 * or empty to ask the source. 0 when the camera was added and
 * ORV_DEVICE_ARRIVAL fired; -1 for a known id or nothing usable. */
ORVCORE_API int OrvTestPlugDevice(const char* id, const char* name, const char* source,
                                  const char* caps);

/* Unplugs a device as the device monitor reports a removal: its camera is
 * closed if open, leaves the list, and ORV_DEVICE_REMOVE_COMPLETE fires.
 * -1 for an id not present. */
ORVCORE_API int OrvTestUnplugDevice(const char* id);

/* Makes the stream of an open real camera fail as an unplugged device's does:
 * the next buffer of its source ends in a data-flow error. The engine then
 * closes the camera and removes it, from the event loop of the GUI thread.
 * -1 for a virtual camera or one not streaming. */
ORVCORE_API int OrvTestBreakStream(int cameraIndex);

/* Size of the newest full frame of an open camera; -1 when it has none yet. */
ORVCORE_API int OrvTestGetFrameSize(int cameraIndex, int* width, int* height);

/* Size in device pixels of the picture scaled for the camera's window and
 * ready to be painted; -1 when there is none yet. */
ORVCORE_API int OrvTestGetViewFrameSize(int cameraIndex, int* width, int* height);

/* The capture rectangle drawn in mouse mode 1, in pixels of the camera's
 * frame size (right and bottom just outside); -1 when there is none. */
ORVCORE_API int OrvTestGetCaptureRect(int cameraIndex, int* left, int* top, int* right,
                                      int* bottom);

/* The zoom rate drawn over the picture now ("150%"); empty when none. */
ORVCORE_API const char* OrvTestGetZoomRateText(int cameraIndex);

/* What a camera keeps for its captures and its view. */
typedef struct OrvTestCameraSettings {
    int dpi;
    int jpgQuality;
    int colorMode;
    bool removeBackground;
    bool autoRotate;
    bool resize;
    float resizeRatio;
    int rotation;  /* quarter turns clockwise */
    int mouseMode; /* -1, 0, 1 */
    float zoom;
    bool showZoomRate;
} OrvTestCameraSettings;
ORVCORE_API int OrvTestGetCameraSettings(int cameraIndex, OrvTestCameraSettings* settings);

/* What OrvPrint prints, written without the print dialog to a PDF file.
 * 0 on success. */
ORVCORE_API int OrvTestPrintToFile(int cameraIndex, const char* pdfPath);

/* Turns the page of a virtual camera fed from a folder (ORVANTA_VIRTUAL_PAGES):
 * it shows its next picture at its next frame. From the first call on, its
 * pictures change only by this call (no timed turns). -1 for a camera without
 * a folder. */
ORVCORE_API int OrvTestTurnPage(int cameraIndex);

/* The virtual microphone, listed after the real ones while virtual cameras
 * exist: a GStreamer description of its source ("audiotestsrc is-live=true"
 * by default; one that does not open stands for a broken microphone). NULL
 * or empty: there is none. Counts from the next listing (OrvGetAudioCount,
 * or a recording started before any listing). */
ORVCORE_API void OrvTestSetVirtualMicrophone(const char* source);

/* The running recording of a camera: frames handed to the encoder, frames
 * dropped because the encoder was behind, and whether sound is recorded.
 * -1 when the camera is not recording. */
typedef struct OrvTestRecordStats {
    int64_t framesWritten;
    int64_t framesDropped;
    bool withSound;
} OrvTestRecordStats;
ORVCORE_API int OrvTestGetRecordStats(int cameraIndex, OrvTestRecordStats* stats);

/* The room recordings keep free on their disk for finishing the file, in
 * bytes, in place of what they work out (0: worked out again), so that a
 * test can let a small disk run full quickly. */
ORVCORE_API void OrvTestSetRecordReserve(int64_t bytes);

/* Closes every camera and returns the library to its state before OrvInit:
 * a later OrvInit reads the environment again. */
ORVCORE_API void OrvTestShutdown(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVCORETESTING_H */
