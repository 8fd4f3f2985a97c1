#include "capture/CaptureService.h"

#include "camera/CameraPair.h"
#include "capture/FileNaming.h"
#include "capture/NamingPanel.h"
#include "capture/SearchablePdfQueue.h"
#include "capture/ThumbnailStrip.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "recognition/BarcodeText.h"
#include "shell/Language.h"

#include <orvcore/OrvCoreLib.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <climits>
#include <unistd.h>

namespace capture {

namespace {
const char* const formatExtensions[] = {".jpg", ".pdf", ".pdf", ".bmp", ".tif", ".png"};

// Several names of one operation: how many free names are tried before
// giving up (a folder full of earlier captures of the same name).
constexpr int kNameTries = 100000;

QString file(const QByteArray& path) {
    return platform::fromLocal(path);
}

bool written(const QByteArray& path) {
    return QFileInfo(file(path)).isFile();
}

// A file in this run's temporary folder that the camera library is about to
// write: whatever is at that name (an earlier picture) is removed first; the
// library then creates the file anew.
QByteArray freshTempPath(const QByteArray& name) {
    const QByteArray path = platform::privateTempFolder() + name;
    QFile::remove(file(path));
    return path;
}

QByteArray withoutExtension(const QByteArray& path) {
    const int dot = path.lastIndexOf('.');
    const int slash = path.lastIndexOf('/');
    return dot > slash + 1 ? path.left(dot) : path;
}

// The strip's picture of a page still being read: the picture, smaller,
// with a band across its foot that says so. Written to out; false when the
// picture cannot be read.
bool markBusy(const QByteArray& picture, const QByteArray& out, int language) {
    QImage image(file(picture));
    if (image.isNull())
        return false;
    image = image.scaled(480, 360, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    const QRect band(0, image.height() * 2 / 3, image.width(),
                     image.height() - image.height() * 2 / 3);
    painter.fillRect(band, QColor(0, 0, 0, 170));
    QFont font = painter.font();
    font.setPixelSize(std::max(12, band.height() * 2 / 5));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(band, Qt::AlignCenter,
                     shell::Language::text(language, QStringLiteral("文字识别中…"),
                                           QStringLiteral("Reading text…")));
    painter.end();
    return image.save(file(out), "JPEG", 85);
}
} // namespace

CaptureService::CaptureService(Settings& settings, const camera::CameraPair& cameras,
                               ThumbnailStrip& thumbs, Hooks h)
    : cfg(settings), pair(cameras), strip(thumbs), hooks(std::move(h)) {}

void CaptureService::chooseFormat(int entry) {
    if (entry < 0 || entry > Png)
        return;
    formatEntry_ = entry;
    extension_ = formatExtensions[entry];
    document_.clear();
}

void CaptureService::chooseColorMode(int mode) {
    if (mode == 0 || mode == 1)
        extension_ = ".jpg";
    else if (mode == 2)
        extension_ = ".tif";
    document_.clear();
}

void CaptureService::reportFailure() const {
    shell::Language::tell(cfg.Language, QStringLiteral("拍照失败!"),
                          QStringLiteral("Capture failed: the picture could not be written."));
}

bool CaptureService::folderUsable() const {
    const QFileInfo dir(file(imageFolder_));
    return !imageFolder_.isEmpty() && dir.isDir() && dir.isWritable();
}

void CaptureService::setTextQueue(SearchablePdfQueue* queue) {
    textQueue = queue;
    if (textQueue)
        textQueue->onDone = [this](const SearchablePdfQueue::Result& r) {
            searchablePdfDone(r.written, r.noModels, r.page.pdf, r.page.picture);
        };
}

bool CaptureService::isFree(const QByteArray& path, const QList<QByteArray>& taken) const {
    const QFileInfo info(file(path));
    // A document whose first pages are still being read is taken too.
    return !taken.contains(path) && !info.exists() && !info.isSymLink() &&
           !(textQueue && textQueue->holds(path));
}

QByteArray CaptureService::nextName() {
    switch (cfg.nameRule) {
    case Automatic: {
        const QByteArray name =
            naming::automaticName(cfg.prefixName, cfg.fileNameDigits, cfg.fileNameCounter);
        if (!multiPage()) {
            // The step is 1..100; the counter never runs past its largest value.
            const int step = qBound(1, cfg.fileNameStep, 100);
            if (cfg.fileNameCounter > INT_MAX - step)
                return QByteArray();
            cfg.fileNameCounter += step;
        }
        if (hooks.counterChanged)
            hooks.counterChanged(cfg.fileNameCounter);
        // The prefix comes from the user: keep the name inside the folder.
        return naming::safeFileName(name);
    }
    case Barcode: {
        const QByteArray text = hooks.barcodeText ? hooks.barcodeText() : QByteArray();
        QByteArray content = text;
        barcode::firstElement(text, &content);
        return naming::safeFileName(content);
    }
    case Date:
        return naming::dateName(platform::now());
    default:
        return naming::safeFileName(hooks.customName ? hooks.customName() : QByteArray());
    }
}

QByteArray CaptureService::freePath(const QList<QByteArray>& taken, const QByteArray& extension) {
    if (!folderUsable()) {
        shell::Language::tell(cfg.Language, QStringLiteral("图像目录不可用, 请重新选择工作目录!"),
                              QStringLiteral("Capture refused: the image folder \"%1\" "
                                             "cannot be written. Choose another folder.")
                                  .arg(file(imageFolder_)));
        return QByteArray();
    }
    const QByteArray ext = extension.isEmpty() ? extension_ : extension;
    if (cfg.nameRule == Automatic) {
        // Names already on disk are passed over, also where the counter
        // would otherwise stand still (a new multi-page document).
        for (int i = 0; i < kNameTries; ++i) {
            const int counter = cfg.fileNameCounter;
            const QByteArray name = nextName();
            if (name.isEmpty()) {
                shell::Language::tell(cfg.Language, QStringLiteral("计数已达上限, 请重新设置计数!"),
                                      QStringLiteral("The file counter is at its largest value: "
                                                     "enter a smaller start number."));
                return QByteArray();
            }
            const QByteArray path = naming::capturePath(imageFolder_, name, ext);
            if (isFree(path, taken))
                return path;
            if (cfg.fileNameCounter == counter) {
                const int step = qBound(1, cfg.fileNameStep, 100);
                if (counter > INT_MAX - step)
                    break;
                cfg.fileNameCounter = counter + step;
            }
        }
        reportFailure();
        return QByteArray();
    }
    const QByteArray base = naming::capturePath(imageFolder_, nextName(), ext);
    QByteArray path = base;
    for (int n = 2; !isFree(path, taken); ++n) {
        if (n > kNameTries) {
            reportFailure();
            return QByteArray();
        }
        path = naming::insertBeforeExtension(base, "_" + QByteArray::number(n));
    }
    return path;
}

void CaptureService::listWritten(const QByteArray& path) {
    if (written(path))
        strip.add(path);
}

bool CaptureService::capturePdf(int camera) {
    const bool queued = textQueue && !document_.isEmpty() && textQueue->holds(document_);
    const bool continuing = multiPage() && !document_.isEmpty() && (written(document_) || queued);
    const QByteArray path = continuing ? document_ : freePath();
    if (path.isEmpty())
        return false;
    if (cfg.searchablePdf && textQueue)
        return queueSearchablePdf(camera, path, continuing);
    // Pages of this document still being read land first.
    if (queued)
        textQueue->finish(nullptr, cfg.Language);
    // The camera that captures gets the mode of the chosen format: 0 appends
    // a page to the document, 1 writes a document of one page.
    OrvSetPDFMode(camera, multiPage() ? 0 : 1);
    if (OrvCapture(camera, path.constData()) <= 0 || !written(path)) {
        reportFailure();
        return false;
    }
    const QByteArray picture = freshTempPath("OrvImage.jpg");
    OrvCapture(camera, picture.constData());
    if (continuing) {
        strip.refresh(path, picture);
        return true;
    }
    if (multiPage())
        document_ = path;
    strip.addEx(path, picture, path.mid(path.lastIndexOf('/') + 1));
    return true;
}

bool CaptureService::queueSearchablePdf(int camera, const QByteArray& path, bool continuing) {
    // The pictures as a picture capture writes them (black and white as
    // 1-bit TIFF); they become the pages once their words are known.
    const QByteArray ext = cfg.colorMode == 2 ? ".tif" : ".jpg";
    const QByteArray shot = textQueue->newPicturePath(ext);
    const int count = shot.isEmpty() ? -1 : OrvCapture(camera, shot.constData());
    if (count <= 0 || !written(shot)) {
        reportFailure();
        return false;
    }
    QList<QByteArray> pictures;
    const QByteArray split = naming::insertBeforeExtension(shot, "_split");
    if (count > 1) {
        // The documents found on the desk are the pages, not the desk.
        const QByteArray base = withoutExtension(written(split) ? split : shot);
        for (int i = 1; i <= count; ++i)
            if (written(base + "_" + QByteArray::number(i) + ext))
                pictures << base + "_" + QByteArray::number(i) + ext;
        QFile::remove(file(shot));
        QFile::remove(file(split));
    } else {
        pictures << shot;
        if (written(split))
            pictures << split;
    }
    const QByteArray picture = freshTempPath("OrvImage.jpg");
    OrvCapture(camera, picture.constData());
    // The strip shows the page as being read until its words are in.
    const QByteArray kept = textQueue->newPicturePath(".jpg");
    QFile::copy(file(picture), file(kept));
    const QByteArray busy = textQueue->newPicturePath(".jpg");
    const QByteArray shown = markBusy(picture, busy, cfg.Language) ? busy : picture;
    if (continuing) {
        strip.refresh(path, shown);
    } else {
        if (multiPage())
            document_ = path;
        strip.addEx(path, shown, path.mid(path.lastIndexOf('/') + 1));
    }
    QFile::remove(file(busy));
    textQueue->add({path, multiPage(), pictures, kept});
    return true;
}

void CaptureService::searchablePdfDone(bool ok, bool noModels, const QByteArray& pdf,
                                       const QByteArray& picture) {
    // The item keeps its busy mark while later pages of it are waiting.
    if (ok && !textQueue->holds(pdf))
        strip.refresh(pdf, picture);
    QFile::remove(file(picture));
    if (!ok) {
        shell::Language::tell(
            cfg.Language, QStringLiteral("PDF页面写入失败: %1").arg(file(pdf)),
            QStringLiteral("The page could not be written to %1.").arg(file(pdf)));
    } else if (noModels && !toldNoModels) {
        toldNoModels = true;
        shell::Language::tell(cfg.Language,
                              QStringLiteral("未找到文字识别模型 (Tesseract chi_sim 或 "
                                             "eng), PDF页面中没有文字!"),
                              QStringLiteral("No text recognition models are installed "
                                             "(Tesseract \"chi_sim\" or \"eng\"): the "
                                             "PDF pages are written without text."));
    }
}

bool CaptureService::single(int camera) {
    if (extension_ == ".pdf")
        return capturePdf(camera);
    const QByteArray path = freePath();
    if (path.isEmpty())
        return false;
    const int count = OrvCapture(camera, path.constData());
    if (count <= 0 || !written(path)) {
        // Nothing was written: no strip item for a file that isn't there.
        reportFailure();
        return false;
    }
    listWritten(path);
    const QByteArray split = naming::insertBeforeExtension(path, "_split");
    listWritten(split);
    if (count > 1) {
        const QByteArray base = withoutExtension(written(split) ? split : path);
        for (int i = 1; i <= count; ++i)
            listWritten(base + "_" + QByteArray::number(i) + extension_);
    }
    return true;
}

bool CaptureService::doubleCapture(int camera) {
    OrvSetCaptureMode(camera, 1);
    const bool ok = single(camera);
    OrvSetCaptureMode(camera, 0);
    return ok;
}

QByteArray CaptureService::compose(const Composition& where) {
    const QByteArray mainPath = freePath();
    const QByteArray subPath = mainPath.isEmpty() ? QByteArray() : freePath({mainPath});
    if (subPath.isEmpty())
        return QByteArray();
    const bool shots = OrvCapture(pair.main(), mainPath.constData()) > 0 &&
                       OrvCapture(pair.vice(), subPath.constData()) > 0 && written(mainPath) &&
                       written(subPath);
    const QByteArray outPath = shots ? freePath({mainPath, subPath}) : QByteArray();
    if (outPath.isEmpty())
        return QByteArray();
    Composition c = where;
    OrvGetVideoRectEx(pair.main(), &c.videoLeft, &c.videoTop, &c.videoRight, &c.videoBottom);
    c.imageWidth = OrvGetImageWidth(mainPath.constData());
    c.imageHeight = OrvGetImageHeight(mainPath.constData());
    const Placement p = placeSubPicture(c);
    if (OrvCombineMainSubEn(mainPath.constData(), subPath.constData(), outPath.constData(), p.width,
                            p.height, -p.offsetX, -p.offsetY) <= 0 ||
        !written(outPath))
        return QByteArray();
    return outPath;
}

bool CaptureService::merge(bool vertical, const Composition* composition) {
    auto shot = [&](const QList<QByteArray>& taken) -> QByteArray {
        if (composition)
            return compose(*composition);
        const QByteArray path = freePath(taken);
        if (path.isEmpty())
            return QByteArray();
        return OrvCapture(pair.main(), path.constData()) > 0 && written(path) ? path : QByteArray();
    };
    const QByteArray first = shot({});
    if (first.isEmpty()) {
        reportFailure();
        return false;
    }
    if (hooks.betweenShots)
        hooks.betweenShots();
    const QByteArray second = shot({first});
    const QByteArray out = second.isEmpty() ? QByteArray() : freePath({first, second});
    if (out.isEmpty()) {
        reportFailure();
        return false;
    }
    const QByteArray list = first + ";" + second + ";";
    const int merged = vertical ? OrvImagesMix(list.constData(), 1, 2, 0, 0, out.constData())
                                : OrvImagesMix(list.constData(), 0, 1, 2, 0, out.constData());
    if (merged <= 0 || !written(out)) {
        reportFailure();
        return false;
    }
    strip.add(out);
    return true;
}

bool CaptureService::synthesis() {
    const QByteArray prefix = "orvanta-" + QByteArray::number(uint(::getuid())) + "-";
    const QByteArray mainPicture = freshTempPath(prefix + "Orv01.jpg");
    const QByteArray vicePicture = freshTempPath(prefix + "Orv02.jpg");
    const bool shots = OrvCapture(pair.main(), mainPicture.constData()) > 0 &&
                       OrvCapture(pair.vice(), vicePicture.constData()) > 0;
    const QByteArray out = shots ? freePath() : QByteArray();
    const QByteArray list = vicePicture + ";" + mainPicture + ";";
    if (out.isEmpty() || OrvImagesMix(list.constData(), 1, 2, 0, 0, out.constData()) <= 0 ||
        !written(out)) {
        reportFailure();
        return false;
    }
    strip.add(out);
    return true;
}

bool CaptureService::saveJpeg(const QImage& picture, int quality) {
    const QByteArray path = freePath({}, ".jpg");
    if (path.isEmpty())
        return false;
    QSaveFile out(file(path));
    bool ok = out.open(QIODevice::WriteOnly);
    if (ok) {
        QImageWriter writer(&out, "jpg");
        writer.setQuality(quality);
        ok = writer.write(picture) && out.commit();
    }
    if (!ok) {
        reportFailure();
        return false;
    }
    strip.add(path);
    return true;
}

} // namespace capture
