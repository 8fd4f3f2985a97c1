#pragma once

// One capture from a frame to files: the processing chain, then a writer per
// format chosen by the path's extension, every file landing by rename (or,
// for a multi-page PDF, by an appended update).
//
// Files written for a path "dir/name.ext":
// - one picture: the path;
// - split capture: the left page at the path, the right page at
//   "dir/name_split.ext";
// - several documents found by the automatic crop: the whole desk at the
//   path and the documents at "dir/name_1.ext" ... "dir/name_N.ext";
// - PDF: every picture of the capture as pages of the one file.

#include "ImageChain.h"

#include <QByteArray>
#include <QImage>
#include <QList>

namespace orv::capture {

enum class Format { Unknown, Jpeg, Png, Bmp, Tiff, Pdf };
// By the path's extension, any case.
Format formatOf(const QByteArray& path);

// path with suffix put before its extension ("a/b.jpg" + "_1" -> "a/b_1.jpg").
QByteArray withSuffix(const QByteArray& path, const QByteArray& suffix);

struct CaptureRequest {
    QImage frame;
    ChainSettings chain;
    bool appendPdf = false; // multi-page PDF mode
};

// The count the camera library reports: 1 for one picture or a split pair,
// N for N documents (N + 1 files), the number of pages added to a PDF; -1 on
// any failure. Every file of a capture is written in full before the first is
// renamed into place, so a failure leaves no file of it and no temporary one.
int runCapture(const QByteArray& path, const CaptureRequest& request);

// PDF pages from picture files written by captures, each with its words
// (the recogniser's word text, empty for none): a JPEG goes in byte for
// byte, another picture as a capture would put it (1-bit when it has only
// black and white). append adds them to the PDF at path in one update, else
// a new file is written. The number of pages, -1 when nothing was written.
int writePdfFromFiles(const QByteArray& path, bool append, const QList<QByteArray>& pictures,
                      const QList<QByteArray>& words);

// One picture written to path in format through a temporary file and a
// rename. False when it could not be written.
bool writePicture(const QByteArray& path, Format format, const Picture& picture);

} // namespace orv::capture
