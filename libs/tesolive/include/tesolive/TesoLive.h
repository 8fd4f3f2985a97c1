/*
 * libtesolive: the fingerprint reader interface.
 *
 * The application loads the library at run time from its own folder, looks
 * up all 18 functions below by name and treats the library as unusable when
 * one is missing. The typedefs are the types to give QLibrary::resolve (or
 * dlsym) results.
 *
 * The library built in this repository is a stand-in for a reader: this
 * machine has none. It simulates one honestly. The finger lying on the reader
 * is named by the environment variable ORVANTA_VIRTUAL_FINGER (any text, one
 * text per finger; set but empty means no finger is placed); when the variable
 * is not set, a small dialog of the library asks which finger is placed.
 * Enrolment templates and features are texts derived from that finger; two
 * reads of the same finger give different texts, as real reads do, and still
 * match. Only the five functions the application calls do anything; the other
 * thirteen answer TC_NOT_SUPPORTED. A real reader needs the maker's SDK
 * behind these same 18 functions.
 *
 * Texts are NUL-terminated byte strings; the buffers that receive a template
 * or a feature hold TC_TEXT_BUFFER_SIZE bytes, so a text has at most 512 bytes.
 * Call everything on the GUI thread: reading a finger may show a dialog.
 */
#ifndef TESOLIVE_H
#define TESOLIVE_H

#include <stdint.h>

#if defined(__GNUC__)
#define TESOLIVE_API __attribute__((visibility("default")))
#else
#define TESOLIVE_API
#endif

/* File name of the library in the program's folder. */
#define TESOLIVE_LIBRARY_FILE "libtesolive.so"

/* Size of a template or feature buffer, the terminating NUL included. */
#define TC_TEXT_BUFFER_SIZE 513

/* Results. Zero or positive means success. */
#define TC_OK 0
#define TC_ERR_PARAMETER (-1)   /* a null buffer or text */
#define TC_ERR_HANDLE (-2)      /* not a handle of TcCreateHDL, or released */
#define TC_ERR_NO_FINGER (-3)   /* no finger on the reader (or the choice was cancelled) */
#define TC_ERR_NO_MATCH (-4)    /* TcSafeMatch: the feature is not of the template's finger */
#define TC_ERR_BAD_TEXT (-5)    /* TcSafeMatch: a text that is no template or feature */
#define TC_NOT_SUPPORTED (-100) /* the function is not offered by this reader */

/* A device handle; 0 is never a valid one. */
typedef intptr_t TcHandle;

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the reader. The four arguments are reserved: pass 0.
 * Returns a handle, 0 on failure. */
TESOLIVE_API TcHandle TcCreateHDL(int reserved1, int reserved2, int reserved3, int reserved4);

/* Releases a handle. TC_OK, or TC_ERR_HANDLE for an unknown handle. */
TESOLIVE_API int TcDeleteHDL(TcHandle handle);

/* Reads the finger on the reader for enrolment and writes the template text
 * into buffer (TC_TEXT_BUFFER_SIZE bytes). Returns the text's length, or a
 * negative result (TC_ERR_PARAMETER, TC_ERR_HANDLE, TC_ERR_NO_FINGER) leaving
 * the buffer unchanged. */
TESOLIVE_API int TcDoTemplet(TcHandle handle, char* buffer);

/* Reads the finger on the reader for identification and writes the feature
 * text into buffer (TC_TEXT_BUFFER_SIZE bytes). Results as TcDoTemplet. */
TESOLIVE_API int TcDoFeature(TcHandle handle, char* buffer);

/* Compares a template with a feature. reserved: pass 0. level: 1 (lenient)
 * to 5 (strict); the application passes 3. Returns the match score (0 to 100)
 * when they are of the same finger, TC_ERR_NO_MATCH when not, TC_ERR_BAD_TEXT
 * or TC_ERR_PARAMETER for texts that are not a template and a feature. */
TESOLIVE_API int TcSafeMatch(int reserved, const char* templet, const char* feature, int level);

/* Not offered by this reader: each returns TC_NOT_SUPPORTED and touches
 * none of its arguments. */
TESOLIVE_API int TcExtnEntry(TcHandle handle, int code, void* data, int size);
TESOLIVE_API int TcGetImgDat(TcHandle handle, unsigned char* image, int size);
TESOLIVE_API int TcFeaFrmImg(const unsigned char* image, int width, int height, char* feature);
TESOLIVE_API int TcTplFrmImg(const unsigned char* image, int width, int height, char* templet);
TESOLIVE_API int TcReadDevSn(TcHandle handle, char* serial, int size);
TESOLIVE_API int TcOperFlash(TcHandle handle, int operation, void* data, int size);
TESOLIVE_API int TcBeepLight(TcHandle handle, int beep, int light);
TESOLIVE_API int TcShowImage(TcHandle handle, uintptr_t window);
TESOLIVE_API int TcSaveAsBmp(const unsigned char* image, int width, int height, const char* path);
TESOLIVE_API int TcLoadFrBmp(const char* path, unsigned char* image, int size);
TESOLIVE_API int TcIniListen(TcHandle handle, int enable);
TESOLIVE_API int TcWhereAreu(TcHandle handle);
TESOLIVE_API int TcCodeCnvrt(const char* input, char* output, int size);

typedef TcHandle (*TcCreateHDLFn)(int, int, int, int);
typedef int (*TcDeleteHDLFn)(TcHandle handle);
typedef int (*TcDoTempletFn)(TcHandle handle, char* buffer);
typedef int (*TcDoFeatureFn)(TcHandle handle, char* buffer);
typedef int (*TcSafeMatchFn)(int reserved, const char* templet, const char* feature, int level);

#ifdef __cplusplus
}
#endif

#endif /* TESOLIVE_H */
