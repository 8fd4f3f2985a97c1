/*
 * OrvCoreLib: the camera library's flat interface.
 *
 * Every call the application makes into the camera engine is declared here
 * and nowhere else. The program links liborvcore.so (libs/orvcore); the tests
 * link a recording fake of the same interface (tests/fakes).
 *
 * Conventions
 * - A camera is named by its index, 0 <= index < OrvGetCameraCount().
 *   Calls with an index out of range, a handle that names no widget or a
 *   resolution index past the list return an error value (-1, 0.0f, false or
 *   an empty string) and change nothing.
 * - Native windows are Qt window ids (WId of a native QWidget); the engine
 *   renders live video into the widget that QWidget::find() returns.
 * - Strings are NUL-terminated 8-bit strings in the local encoding (UTF-8
 *   here). Returned strings belong to the library and stay valid until the
 *   next call of the same function; callers copy them at once.
 * - Callbacks carry no context. They may be called from an engine thread;
 *   the application hands the work to its GUI thread.
 */
#ifndef ORVCORELIB_H
#define ORVCORELIB_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#include <QtGui/qwindowdefs.h>
#else
#include <stdbool.h>
typedef uintptr_t WId;
#endif

#if defined(__GNUC__)
#define ORVCORE_API __attribute__((visibility("default")))
#else
#define ORVCORE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Callbacks ---------------------------------------------------------- */

/* The new zoom ratio of a camera, after every zoom change. */
typedef void (*OrvZoomCallback)(float ratio);
/* Automatic capture: the engine saw a new page and asks for a capture. */
typedef void (*OrvAutoCapCallback)(int cameraIndex);

/* Device change events: a camera arrived or was removed. The values are
 * those of the desktop's device-change notification. */
enum { ORV_DEVICE_ARRIVAL = 0x8000, ORV_DEVICE_REMOVE_COMPLETE = 0x8004 };
typedef void (*OrvDeviceChangeCallback)(int event);

/* ---- Watermark record ---------------------------------------------------- */

#pragma pack(push, 1)
typedef struct _WATERMARKPARAM {
    char text[300];     /* local 8-bit, NUL-terminated */
    char fontName[100]; /* local 8-bit, NUL-terminated */
    int32_t fontSize;   /* point size */
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t opacity; /* 0..255 */
    int32_t angle;   /* -90..90 degrees */
    uint8_t reserved1[260];
    int32_t fixedPosition; /* 1 fixed place, 0 offset placing */
    int32_t position;      /* fixed place 0..4 */
    int32_t x;             /* offset in picture pixels */
    int32_t y;
    uint8_t reserved2[8];
} _WATERMARKPARAM;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(_WATERMARKPARAM) == 696, "watermark record is 696 bytes");
static_assert(offsetof(_WATERMARKPARAM, fontSize) == 400, "fontSize at 400");
static_assert(offsetof(_WATERMARKPARAM, angle) == 408, "angle at 408");
static_assert(offsetof(_WATERMARKPARAM, fixedPosition) == 672, "fixedPosition at 672");
static_assert(offsetof(_WATERMARKPARAM, reserved2) == 688, "tail at 688");
#else
typedef char orv_watermark_size_check[(sizeof(_WATERMARKPARAM) == 696) ? 1 : -1];
#endif

/* ---- Set-up and devices --------------------------------------------------- */

/* Once, after the first window exists and before any other call. 0 on success. */
ORVCORE_API int OrvInit(void);
ORVCORE_API int OrvGetCameraCount(void);
ORVCORE_API const char* OrvGetDevName(int cameraIndex);
/* Opens the camera (at its default resolution) and renders into window. */
ORVCORE_API int OrvOpenCamera(int cameraIndex, WId window);
ORVCORE_API int OrvCloseCamera(int cameraIndex);
/* Moves an open camera's picture to another window without reopening. */
ORVCORE_API int OrvSetHwnd(int cameraIndex, WId window);
/* Repaints the camera's window from its latest frame. */
ORVCORE_API int OrvUpdateVideo(int cameraIndex);
/* Resets zoom, pan and the capture rectangle. */
ORVCORE_API int OrvResetVideo(int cameraIndex);
/* Arrival and removal of cameras; one callback for the process, NULL removes it. */
ORVCORE_API int OrvSetDeviceChangeCB(OrvDeviceChangeCallback callback);

/* ---- Resolutions ------------------------------------------------------------ */

/* Resolution lists are ordered largest first. */
ORVCORE_API int OrvGetResCount(int cameraIndex);
ORVCORE_API int OrvGetResWidth(int cameraIndex, int resolutionIndex);
ORVCORE_API int OrvGetResHeight(int cameraIndex, int resolutionIndex);
ORVCORE_API int OrvSetResolution(int cameraIndex, int resolutionIndex);
/* The resolution a later OrvOpenCamera starts with. */
ORVCORE_API int OrvSetDefaultResolution(int cameraIndex, int resolutionIndex);
ORVCORE_API int OrvSetDPI(int cameraIndex, int dpi);

/* ---- View --------------------------------------------------------------------- */

ORVCORE_API int OrvZoom(int cameraIndex, float ratio);
ORVCORE_API int OrvZoomIn(int cameraIndex);
ORVCORE_API int OrvZoomOut(int cameraIndex);
ORVCORE_API float OrvGetMinZoomRatio(int cameraIndex);
ORVCORE_API float OrvGetMaxZoomRatio(int cameraIndex);
ORVCORE_API int OrvSetZoomCB(int cameraIndex, OrvZoomCallback callback);
ORVCORE_API int OrvSetShowZoomRate(int cameraIndex, bool show);
ORVCORE_API int OrvRotateLeft(int cameraIndex);
ORVCORE_API int OrvRotateRight(int cameraIndex);
/* 0: 0 degrees, 1: 90, 2: 180, 3: 270 (clockwise). */
ORVCORE_API int OrvSetRotate(int cameraIndex, int rotation);
/* 0 drag (pan when zoomed), 1 rectangle, -1 mouse ignored. */
ORVCORE_API int OrvSetMouseMode(int cameraIndex, int mode);
/* Mouse input on a window a camera renders into; x, y in window pixels. */
ORVCORE_API int OrvOnLMousePress(WId window, int x, int y);
ORVCORE_API int OrvOnMouseMoving(WId window, int x, int y);
ORVCORE_API int OrvOnLMouseRelease(WId window, int x, int y);
ORVCORE_API int OrvOnWheel(WId window, int delta);
/* Where the picture is drawn inside its window: "left.top.right.bottom". */
ORVCORE_API const char* OrvGetVideoRect(int cameraIndex);
ORVCORE_API int OrvGetVideoRectEx(int cameraIndex, int* left, int* top, int* right, int* bottom);

/* ---- Picture ------------------------------------------------------------------ */

/* Property numbers. */
enum {
    ORV_PROP_BRIGHTNESS = 0,
    ORV_PROP_CONTRAST = 1,
    ORV_PROP_HUE = 2,
    ORV_PROP_SATURATION = 3,
    ORV_PROP_SHARPNESS = 4,
    ORV_PROP_GAMMA = 5,
    ORV_PROP_WHITE_BALANCE = 6,
    ORV_PROP_BACKLIGHT_COMPENSATION = 7,
    ORV_PROP_GAIN = 8
};
ORVCORE_API int OrvGetVideoProp(int cameraIndex, int property, bool* isAuto, int* upper, int* lower,
                                int* value);
ORVCORE_API int OrvSetVideoProp(int cameraIndex, int property, bool isAuto, int value);
ORVCORE_API int OrvGetExposure(int cameraIndex, bool* isAuto, int* upper, int* lower, int* value);
ORVCORE_API int OrvSetExposure(int cameraIndex, bool isAuto, int value);
/* The device's own control panel, modal. */
ORVCORE_API int OrvShowVideoProperty(int cameraIndex);
/* 0 colour, 1 gray, 2 black and white. */
ORVCORE_API int OrvSetDevColor(int cameraIndex, int colorMode);
ORVCORE_API int OrvDelBackColor(int cameraIndex, bool enable);
ORVCORE_API int OrvEnableAutoRotate(int cameraIndex, bool enable);
ORVCORE_API int OrvSetResize(int cameraIndex, bool enable, float ratio);
ORVCORE_API int OrvSetJpgQuality(int cameraIndex, int quality);
ORVCORE_API int OrvPrint(int cameraIndex);

/* ---- Capture ------------------------------------------------------------------ */

/* Writes the current frame in the format of path's extension. Returns the
 * number of pictures written (more than 1: numbered files beside path);
 * 0 or less on failure. */
ORVCORE_API int OrvCapture(int cameraIndex, const char* path);
/* 0 normal, 1 double capture (front and back of a card on one page). */
ORVCORE_API int OrvSetCaptureMode(int cameraIndex, int mode);
ORVCORE_API int OrvEnableSplitCap(int cameraIndex, bool enable);
/* 0 multi-page (append), 1 single page. */
ORVCORE_API int OrvSetPDFMode(int cameraIndex, int mode);
/* PDF pages made from picture files that a capture wrote, each with the
 * words recognised on it laid invisibly over the picture (searchable,
 * selectable text). pictures and words hold count entries; words[i] is the
 * text of picture i in the OCR engine's word format (one word a line:
 * "<line> <left> <top> <right> <bottom> <confidence> <word>", pixels of the
 * picture), NULL or "" for none. A JPEG goes into the page byte for byte.
 * mode as OrvSetPDFMode: 0 appends the pages to the PDF at pdfPath (a new
 * file when there is none) in one incremental update, 1 writes a new file
 * through a temporary one. Returns the pages written, or -1 (nothing
 * changed). Callable from any thread; writers of one file take turns. */
ORVCORE_API int OrvWritePdfPages(const char* pdfPath, int mode, int count,
                                 const char* const* pictures, const char* const* words);
/* list: paths each followed by ';'. Returns >0 on success. */
ORVCORE_API int OrvImagesMix(const char* list, int a, int b, int c, int d, const char* outPath);
ORVCORE_API int OrvCombineMainSubEn(const char* mainPath, const char* subPath, const char* outPath,
                                    int width, int height, int x, int y);
ORVCORE_API int OrvGetImageWidth(const char* path);
ORVCORE_API int OrvGetImageHeight(const char* path);
ORVCORE_API int OrvSetAutoCap(int cameraIndex, bool enable);
ORVCORE_API int OrvSetAutoCapCB(int cameraIndex, OrvAutoCapCallback callback);

/* ---- Watermark ---------------------------------------------------------------- */

/* mode 2: text, 5: text with date and time. */
ORVCORE_API int OrvAddWaterMark(int cameraIndex, int mode, const _WATERMARKPARAM* param);
ORVCORE_API int OrvClearWatermark(int cameraIndex);

/* ---- Recording ------------------------------------------------------------------ */

/* Records the camera into path (WMV video, WMA sound from the chosen
 * microphone when withAudio), written as "<path>.part" and renamed to path
 * when finished. 0 when it started, else one of ORV_RECORD_FAILED and the
 * reasons below. */
enum {
    ORV_RECORD_FAILED = -1,              /* bad arguments, recording already, no encoder */
    ORV_RECORD_CAMERA_CLOSED = -2,       /* the camera is not open */
    ORV_RECORD_FILE_EXISTS = -3,         /* path (or its temporary name) exists */
    ORV_RECORD_FOLDER_NOT_WRITABLE = -4, /* the folder is missing or cannot be written */
    ORV_RECORD_DISK_FULL = -5            /* too little room left on the disk */
};
ORVCORE_API int OrvStartRecord(int cameraIndex, const char* path, bool withAudio);
/* Ends the recording and finishes its file; 0 when the file was finished. */
ORVCORE_API int OrvStopRecord(int cameraIndex);
/* Why the engine ended a recording itself, without OrvStopRecord: its camera
 * closed (OrvCloseCamera, the device left or its stream failed), the disk
 * became full (the recording stops while there is room to finish the file),
 * or the file could not be written. */
enum {
    ORV_RECORD_END_CAMERA_CLOSED = 1,
    ORV_RECORD_END_DISK_FULL = 2,
    ORV_RECORD_END_WRITE_FAILED = 3
};
/* A recording the engine ended; saved: its file is finished under its name
 * (otherwise what was written stays in "<path>.part"). Called on the GUI
 * thread, with the index the camera had when the recording ended. */
typedef void (*OrvRecordEndCallback)(int cameraIndex, int reason, bool saved);
/* One callback for the process; NULL removes it. */
ORVCORE_API int OrvSetRecordEndCB(OrvRecordEndCallback callback);
/* Frames of the running recording dropped so far (the encoder was behind);
 * -1 when the camera does not record. */
ORVCORE_API int OrvGetRecordDroppedFrames(int cameraIndex);
ORVCORE_API int OrvGetAudioCount(void);
ORVCORE_API const char* OrvGetAudioName(int audioIndex);
ORVCORE_API int OrvSetAudioDev(int audioIndex);

/* ---- Barcode ------------------------------------------------------------------ */

/* Every code in the current frame as "<barcode type=\"FORMAT\">text</barcode>"
 * elements in reading order; empty when none (or the camera is closed). Unlike
 * the other functions it may be called from any thread, so that the reading
 * (tens of milliseconds on a 5 MP frame) can run off the GUI thread; the text
 * stays valid until the next call on the same thread. */
ORVCORE_API const char* OrvReadBarcode(int cameraIndex);

/* ---- ID card ------------------------------------------------------------------ */

ORVCORE_API bool OrvReadIDCard(void);
ORVCORE_API const char* OrvGetIDName(void);
ORVCORE_API const char* OrvGetIDSex(void);
ORVCORE_API const char* OrvGetIDNation(void);
ORVCORE_API const char* OrvGetIDBirthFull(void);
ORVCORE_API const char* OrvGetIDAddress(void);
ORVCORE_API const char* OrvGetIDNum(void);
ORVCORE_API const char* OrvGetIDDepart(void);
ORVCORE_API const char* OrvGetIDTermDay(void);
/* Path of the holder's photograph file the last read produced. */
ORVCORE_API const char* OrvGetIDHeadImagePath(void);
/* Renders an image of the card from the last read; returns its path. */
ORVCORE_API const char* OrvMakeIDCard(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVCORELIB_H */
