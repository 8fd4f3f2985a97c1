#pragma once

#include "capture/CaptureGeometry.h"
#include "config/Settings.h"

#include <QByteArray>
#include <QList>

#include <functional>

class SearchablePdfQueue;
class ThumbnailStrip;
class QImage;
namespace camera {
class CameraPair;
}

namespace capture {

// The output format list's entries.
enum FormatEntry { Jpg = 0, SinglePagePdf = 1, MultiPagePdf = 2, Bmp = 3, Tif = 4, Png = 5 };

// The capture variants behind the capture buttons, and the one place that
// decides names, extensions, PDF modes and strip items. It never replaces a
// file: every new file gets a name nothing on disk has (automatic naming
// moves on to the next free counter value, the other rules add "_2", "_3",
// ... before the extension), a multi-page PDF only ever grows the document
// this run started, and only files that were written are listed. No widgets:
// the main window reads its controls and calls one variant.
class CaptureService {
public:
    struct Hooks {
        std::function<QByteArray()> barcodeText; // the main picture's barcode text
        std::function<QByteArray()> customName;  // what the custom name box holds
        std::function<void()> betweenShots;      // the prompt before a merge's second shot
        std::function<void(int)> counterChanged; // the automatic counter moved
    };

    CaptureService(Settings& settings, const camera::CameraPair& cameras, ThumbnailStrip& strip,
                   Hooks hooks);

    void setImageFolder(const QByteArray& folder) { imageFolder_ = folder; }
    // Where PDF captures go when they carry their words (the setting is on):
    // recognised and written off the GUI thread, in capture order.
    void setTextQueue(SearchablePdfQueue* queue);
    const QByteArray& imageFolder() const { return imageFolder_; }

    // The format chosen in the list; the extension follows. Choosing again
    // starts a new multi-page document.
    void chooseFormat(int entry);
    // The colour mode chosen in the list: black and white writes TIFF, the
    // others JPEG (the extension is that of whichever list changed last).
    void chooseColorMode(int mode);
    int formatEntry() const { return formatEntry_; }
    // Captures append to one PDF: the multi-page format is the last choice.
    bool multiPage() const { return extension_ == ".pdf" && formatEntry_ == MultiPagePdf; }
    // The pictures were handed on: the next multi-page capture starts a new
    // document.
    void endDocument() { document_.clear(); }

    // A path in the image folder for a new file, free on disk and not among
    // taken; empty (the user has been told) when there is none.
    QByteArray freePath(const QList<QByteArray>& taken = {}, const QByteArray& extension = {});

    // One capture of a camera, with PDF, split and multi-document handling.
    bool single(int camera);
    // Front and back of a card onto one page.
    bool doubleCapture(int camera);
    // Two shots (the second after the prompt) merged into one picture. With
    // a composition the shots are main pictures with the vice picture in.
    bool merge(bool vertical, const Composition* composition);
    // The vice picture placed into the main picture where the small window
    // lies over it; the composed path, empty when it failed.
    QByteArray compose(const Composition& where);
    // Main and vice pictures one above the other.
    bool synthesis();
    // A picture made by the program (the annotated whiteboard) saved as a
    // JPEG capture.
    bool saveJpeg(const QImage& picture, int quality);

    // The user is told that a capture failed.
    void reportFailure() const;

private:
    // The next base name under the naming rule; automatic naming advances
    // the counter (not for multi-page PDFs). Empty when the counter would
    // run past its largest value.
    QByteArray nextName();
    bool folderUsable() const;
    bool isFree(const QByteArray& path, const QList<QByteArray>& taken) const;
    void listWritten(const QByteArray& path);
    bool capturePdf(int camera);
    bool queueSearchablePdf(int camera, const QByteArray& path, bool continuing);
    void searchablePdfDone(bool written, bool noModels, const QByteArray& pdf,
                           const QByteArray& picture);

    Settings& cfg;
    const camera::CameraPair& pair;
    ThumbnailStrip& strip;
    Hooks hooks;
    QByteArray imageFolder_;
    QByteArray extension_ = ".jpg";
    int formatEntry_ = Jpg;
    QByteArray document_; // the multi-page PDF this run appends to
    SearchablePdfQueue* textQueue = nullptr;
    bool toldNoModels = false;
};

} // namespace capture
