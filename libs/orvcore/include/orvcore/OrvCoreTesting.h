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

/* Size of the newest full frame of an open camera; -1 when it has none yet. */
ORVCORE_API int OrvTestGetFrameSize(int cameraIndex, int* width, int* height);

/* Size in device pixels of the picture scaled for the camera's window and
 * ready to be painted; -1 when there is none yet. */
ORVCORE_API int OrvTestGetViewFrameSize(int cameraIndex, int* width, int* height);

/* Closes every camera and returns the library to its state before OrvInit:
 * a later OrvInit reads the environment again. */
ORVCORE_API void OrvTestShutdown(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVCORETESTING_H */
