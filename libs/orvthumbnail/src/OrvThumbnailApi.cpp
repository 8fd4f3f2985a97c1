// The C functions of the strip library: check the arguments, forward to the
// model of items and to the strip on screen.

#include "orvthumbnail/OrvThumbnail.h"

#include "ThumbnailModel.h"
#include "ThumbnailStrip.h"

#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <memory>

using orv::thumb::Language;
using orv::thumb::ThumbnailModel;
using orv::thumb::ThumbnailStrip;

namespace {

// Everything the library keeps between calls. The items outlive the strip on
// screen, which goes with its host.
struct Library {
    std::unique_ptr<ThumbnailModel> model;
    QPointer<ThumbnailStrip> strip;
    Language language = Language::Chinese;
    QByteArray returnedPath; // what GetImageFilePath last returned

    ~Library() {
        // When the library is unloaded while its strip is still on screen,
        // the strip's code goes with it: take the strip down first.
        if (strip && QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread())
            delete strip.data();
        else if (strip)
            (void)model.release(); // the strip still shows it; leave both be
    }

    ThumbnailModel& items() {
        if (!model)
            model = std::make_unique<ThumbnailModel>();
        return *model;
    }
};

Library& library() {
    static Library instance;
    return instance;
}

// The functions are for the GUI thread (or the one thread there is before
// the application object exists).
bool onGuiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

} // namespace

extern "C" {

int InitLib(uintptr_t host) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !onGuiThread())
        return -1;
    QWidget* widget = host ? QWidget::find(WId(host)) : nullptr;
    if (!widget)
        return -1;
    Library& lib = library();
    ThumbnailModel& items = lib.items();
    items.setThumbnailScale(widget->devicePixelRatioF());
    if (lib.strip)
        lib.strip->attachTo(widget);
    else
        lib.strip = new ThumbnailStrip(&items, widget);
    lib.strip->setLanguage(lib.language);
    return 0;
}

int SetLanguage(int language) {
    if (!onGuiThread() || (language != 0 && language != 1))
        return -1;
    Library& lib = library();
    lib.language = language == 1 ? Language::English : Language::Chinese;
    lib.items().setLanguage(lib.language);
    if (lib.strip)
        lib.strip->setLanguage(lib.language);
    return 0;
}

int ResizeThumb(void) {
    Library& lib = library();
    if (!onGuiThread() || !lib.strip)
        return -1;
    lib.strip->relayout();
    return 0;
}

int AddImageItem(const char* path) {
    if (!onGuiThread() || !path || !*path)
        return -1;
    return library().items().addPictureFile(QByteArray(path));
}

int AddImageItemEx(const char* path, const char* picture, const char* name) {
    if (!onGuiThread() || !path || !*path)
        return -1;
    return library().items().addFileWithPicture(QByteArray(path),
                                                picture ? QByteArray(picture) : QByteArray(),
                                                name ? QString::fromLocal8Bit(name) : QString());
}

int RefreshImageItem(int index, const char* picture) {
    if (!onGuiThread())
        return -1;
    return library().items().replacePicture(index, picture ? QByteArray(picture) : QByteArray())
               ? 0
               : -1;
}

int GetImgCount(void) {
    if (!onGuiThread())
        return -1;
    const Library& lib = library();
    return lib.model ? lib.model->count() : 0;
}

int SetItemChecked(int index, int state) {
    if (!onGuiThread())
        return -1;
    return library().items().setChecked(index, state != 0) ? 0 : -1;
}

int IsChecked(int index) {
    if (!onGuiThread())
        return -1;
    return library().items().checkedState(index);
}

const char* GetImageFilePath(int index) {
    static const char empty[] = "";
    if (!onGuiThread())
        return empty;
    Library& lib = library();
    const QByteArray* path = lib.items().rawPath(index);
    if (!path)
        return empty;
    lib.returnedPath = *path;
    return lib.returnedPath.constData();
}

int ClearAllItem(int /*reserved*/) {
    if (!onGuiThread())
        return -1;
    library().items().clear();
    return 0;
}

} // extern "C"
