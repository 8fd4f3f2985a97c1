// The C functions of the camera library for barcodes in the live picture and
// for pictures in files: merging shots, placing one picture into another and
// reading a picture file's size.
//
// Results of the file functions: 1 when the file was written; -1 for bad
// arguments (a null or empty path, an empty list, an unknown merge mode or
// an empty inset size), -2 when an input cannot be read, -3 when the output
// cannot be made or written (unknown extension, folder not writable).

#include "ApiSupport.h"
#include "BarcodeReader.h"
#include "ImageHeader.h"
#include "ImageMerge.h"

#include <orvcore/OrvCoreLib.h>

#include <QFile>
#include <QStringList>

#include <algorithm>

namespace {

enum FileResult { kDone = 1, kBadArguments = -1, kUnreadable = -2, kNotWritten = -3 };

QString pathFrom(const char* path) {
    return path ? QFile::decodeName(path) : QString();
}

// "a;b;" -> a, b: every path followed by ';', the last one too.
QStringList listFrom(const char* list) {
    QStringList paths;
    const auto parts = QByteArray(list ? list : "").split(';');
    for (const QByteArray& part : parts)
        if (!part.isEmpty())
            paths << QFile::decodeName(part);
    return paths;
}

int sizePart(const char* path, bool width) {
    const QString file = pathFrom(path);
    const QSize size = file.isEmpty() ? QSize() : orv::pictureFileSize(file);
    if (!size.isValid())
        return -1;
    return width ? size.width() : size.height();
}

} // namespace

extern "C" {

// Any thread: reading takes a while, and the application reads off its GUI
// thread. The text is kept per thread.
const char* OrvReadBarcode(int cameraIndex) {
    thread_local QByteArray text;
    const QImage frame = orv::Engine::latestFrameOf(cameraIndex);
    return orv::api::keep(text, orv::barcodeElements(orv::readBarcodes(frame)));
}

// (1, 2, 0, 0): the pictures stacked top to bottom; (0, 1, 2, 0): side by
// side, left to right. Any other four numbers are refused.
int OrvImagesMix(const char* list, int a, int b, int c, int d, const char* outPath) {
    orv::MergeDirection direction;
    if (a == 1 && b == 2 && c == 0 && d == 0)
        direction = orv::MergeDirection::Vertical;
    else if (a == 0 && b == 1 && c == 2 && d == 0)
        direction = orv::MergeDirection::Horizontal;
    else
        return kBadArguments;
    const QStringList paths = listFrom(list);
    const QString out = pathFrom(outPath);
    if (paths.isEmpty() || out.isEmpty())
        return kBadArguments;
    QList<QImage> pictures;
    for (const QString& path : paths) {
        pictures << orv::readPictureFile(path);
        if (pictures.constLast().isNull())
            return kUnreadable;
    }
    const QImage merged = orv::mergePictures(pictures, direction);
    return !merged.isNull() && orv::writePictureFile(merged, out) ? kDone : kNotWritten;
}

// The sub picture scaled to width x height inside the main picture: x and y
// come negated, -x is the distance of its left edge from the main picture's
// left edge, -y that of its bottom edge from the main picture's bottom edge.
int OrvCombineMainSubEn(const char* mainPath, const char* subPath, const char* outPath, int width,
                        int height, int x, int y) {
    const QString mainFile = pathFrom(mainPath), subFile = pathFrom(subPath),
                  out = pathFrom(outPath);
    if (mainFile.isEmpty() || subFile.isEmpty() || out.isEmpty() || width <= 0 || height <= 0)
        return kBadArguments;
    const QImage mainPicture = orv::readPictureFile(mainFile);
    const QImage subPicture = orv::readPictureFile(subFile);
    if (mainPicture.isNull() || subPicture.isNull())
        return kUnreadable;
    // Negated in 64 bits: -INT_MIN does not fit an int.
    const int fromLeft = int(std::clamp<qint64>(-qint64(x), 0, mainPicture.width()));
    const int fromBottom = int(std::clamp<qint64>(-qint64(y), 0, mainPicture.height()));
    const QImage combined =
        orv::placeInset(mainPicture, subPicture, QSize(width, height), fromLeft, fromBottom);
    return !combined.isNull() && orv::writePictureFile(combined, out) ? kDone : kNotWritten;
}

int OrvGetImageWidth(const char* path) {
    return sizePart(path, true);
}

int OrvGetImageHeight(const char* path) {
    return sizePart(path, false);
}

} // extern "C"
