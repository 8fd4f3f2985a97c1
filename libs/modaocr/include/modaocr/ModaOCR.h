#ifndef MODAOCR_MODAOCR_H
#define MODAOCR_MODAOCR_H

/* The OCR engine: Chinese (simplified) and English text of a page picture.

   fnInit starts the engine once; later calls do nothing. fnModaOCREx reads
   the picture file at imagePath and returns its text as NUL-terminated UTF-8.
   The text belongs to the engine and stays valid on the calling thread until
   that thread's next call; callers copy it at once and never free it. The
   result is never a null pointer: a missing file, a file that is not a
   picture or an engine that could not start give an empty text. Calls from
   several threads are safe (they take turns). */

#include <stdbool.h>

#if defined(MODAOCR_BUILD)
#define MODAOCR_API __attribute__((visibility("default")))
#else
#define MODAOCR_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Starts the engine in the background and returns at once; the first
   fnModaOCREx waits for it. appDir is the program's folder (forward slashes,
   ending in '/'): a "tessdata" folder there is used in place of the system's
   models. Returns 0, or -1 when an earlier start has failed. mode is accepted
   for compatibility and has no effect. */
MODAOCR_API int fnInit(int mode, const char* appDir);

/* The text of the picture at imagePath (any format the engine reads: JPEG,
   PNG, TIFF, BMP, ...). The eight tuning values are accepted for
   compatibility; the engine chooses its own settings. */
MODAOCR_API const char* fnModaOCREx(const char* imagePath, int quality, int mode, float a, float b,
                                    float c, float d, bool e, bool f);

#ifdef __cplusplus
}
#endif

#endif
