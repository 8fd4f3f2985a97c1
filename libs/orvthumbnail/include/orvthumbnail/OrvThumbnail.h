/*
 * liborvthumbnail: the strip of captured files along the right edge of the
 * main window. The application loads the library at run time from its own
 * folder and looks the functions up by name; the typedefs below are the types
 * to give QLibrary::resolve results.
 *
 * Call everything on the GUI thread. Items are referred to by index, 0 being
 * the first (oldest). Paths are NUL-terminated byte strings in the local 8-bit
 * encoding (UTF-8 here) and come back from GetImageFilePath byte for byte.
 * Calls made before InitLib are safe: items added then are kept and shown
 * once the strip has a host.
 */
#ifndef ORVTHUMBNAIL_H
#define ORVTHUMBNAIL_H

#include <stdint.h>

#if defined(__GNUC__)
#define ORVTHUMB_API __attribute__((visibility("default")))
#else
#define ORVTHUMB_API
#endif

/* File name of the library in the program's folder. */
#define ORV_THUMBNAIL_LIBRARY_FILE "liborvthumbnail.so"

#ifdef __cplusplus
extern "C" {
#endif

/* Shows the strip inside host, the native window id (QWidget::winId) of a
 * plain widget of the application, and keeps it filling that widget as it is
 * resized. A second call moves the strip to the new host.
 * 0 on success; -1 when there is no QApplication or no widget with that id. */
ORVTHUMB_API int InitLib(uintptr_t host);

/* Texts of the strip: 0 Chinese (the default), 1 English.
 * 0 on success; -1 for any other value, which changes nothing. */
ORVTHUMB_API int SetLanguage(int language);

/* Fits the strip to its host again and lays out the items.
 * 0 on success; -1 before a successful InitLib (or after the host is gone). */
ORVTHUMB_API int ResizeThumb(void);

/* Appends an item for a picture file, unchecked; its name is the file name.
 * The thumbnail is made in the background. A file that cannot be read shows a
 * generic file icon. Returns the new item's index, -1 for a null or empty path. */
ORVTHUMB_API int AddImageItem(const char* path);

/* Appends an item for a file that is not itself a picture (a PDF, say): the
 * item stands for path, shows a thumbnail of picture and the text name under
 * it (the file name of path when name is null or empty). The picture file is
 * read before the call returns, so it may be overwritten right after.
 * Returns the new item's index, -1 for a null or empty path. */
ORVTHUMB_API int AddImageItemEx(const char* path, const char* picture, const char* name);

/* Shows picture as the thumbnail of item index from now on (a document that
 * grew by a page); read before the call returns, like AddImageItemEx.
 * 0 on success; -1 for a bad index. */
ORVTHUMB_API int RefreshImageItem(int index, const char* picture);

/* Number of items. */
ORVTHUMB_API int GetImgCount(void);

/* Checks (state != 0) or unchecks an item. 0 on success; -1 for a bad index. */
ORVTHUMB_API int SetItemChecked(int index, int state);

/* 1 checked, 0 unchecked, -1 for a bad index. */
ORVTHUMB_API int IsChecked(int index);

/* The item's file path, as given when it was added. The string belongs to the
 * library and stays valid until the next call of GetImageFilePath.
 * "" for a bad index. */
ORVTHUMB_API const char* GetImageFilePath(int index);

/* Removes every item (the files stay on disk). The argument is not used;
 * pass 0. Returns 0. */
ORVTHUMB_API int ClearAllItem(int reserved);

typedef int (*OrvInitLibFn)(uintptr_t host);
typedef int (*OrvSetLanguageFn)(int language);
typedef int (*OrvResizeThumbFn)(void);
typedef int (*OrvAddImageItemFn)(const char* path);
typedef int (*OrvAddImageItemExFn)(const char* path, const char* picture, const char* name);
typedef int (*OrvRefreshImageItemFn)(int index, const char* picture);
typedef int (*OrvGetImgCountFn)(void);
typedef int (*OrvSetItemCheckedFn)(int index, int state);
typedef int (*OrvIsCheckedFn)(int index);
typedef const char* (*OrvGetImageFilePathFn)(int index);
typedef int (*OrvClearAllItemFn)(int reserved);

#ifdef __cplusplus
}
#endif

#endif /* ORVTHUMBNAIL_H */
