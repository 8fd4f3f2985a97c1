// Making a thumbnail from a picture, on any thread.
#ifndef ORVTHUMBNAIL_THUMBNAILDECODER_H
#define ORVTHUMBNAIL_THUMBNAILDECODER_H

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace orv::thumb {

// The largest thumbnail kept, in device-independent pixels (4:3 like most
// camera pictures). The strip draws it scaled to fit its items.
inline constexpr QSize kThumbnailBox(160, 120);

// The picture in the file at path (or in data), at most box in size with its
// aspect kept and never enlarged, turned upright as its metadata asks. Formats
// that can decode at a reduced size (JPEG) do so instead of decoding in full.
// A null image when the picture cannot be read.
QImage decodeThumbnailFile(const QString& path, QSize box);
QImage decodeThumbnailData(const QByteArray& data, QSize box);

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_THUMBNAILDECODER_H
