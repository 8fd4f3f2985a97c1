#include "capture/ThumbnailStrip.h"

#include <orvthumbnail/OrvThumbnail.h>

#include <QFile>
#include <QFileInfo>

bool ThumbnailStrip::load(const QString& path, WId host) {
    library.setFileName(path);
    if (!library.load())
        return false;
    if (auto init = resolve<OrvInitLibFn>("InitLib"))
        init(host);
    return true;
}

void ThumbnailStrip::unload() {
    if (library.isLoaded())
        library.unload();
}

void ThumbnailStrip::setLanguage(int language) {
    if (auto f = resolve<OrvSetLanguageFn>("SetLanguage"))
        f(language);
}

void ThumbnailStrip::resize() {
    if (auto f = resolve<OrvResizeThumbFn>("ResizeThumb"))
        f();
}

int ThumbnailStrip::count() {
    auto f = resolve<OrvGetImgCountFn>("GetImgCount");
    return f ? f() : 0;
}

QByteArray ThumbnailStrip::pathAt(int index) {
    auto f = resolve<OrvGetImageFilePathFn>("GetImageFilePath");
    const char* p = f ? f(index) : nullptr;
    return QByteArray(p ? p : "");
}

bool ThumbnailStrip::checkedAt(int index) {
    auto f = resolve<OrvIsCheckedFn>("IsChecked");
    return f && f(index) == 1;
}

void ThumbnailStrip::clear() {
    if (auto f = resolve<OrvClearAllItemFn>("ClearAllItem"))
        f(0);
}

void ThumbnailStrip::refresh(const QByteArray& path, const QByteArray& picture) {
    auto update = resolve<OrvRefreshImageItemFn>("RefreshImageItem");
    if (!update)
        return;
    for (int i = count() - 1; i >= 0; --i) {
        if (pathAt(i) == path) {
            update(i, picture.constData());
            return;
        }
    }
}

void ThumbnailStrip::checkLast() {
    auto getCount = resolve<OrvGetImgCountFn>("GetImgCount");
    auto setChecked = resolve<OrvSetItemCheckedFn>("SetItemChecked");
    if (getCount && setChecked)
        setChecked(getCount() - 1, 1);
}

void ThumbnailStrip::add(const QByteArray& path) {
    if (auto f = resolve<OrvAddImageItemFn>("AddImageItem")) {
        f(path.constData());
        checkLast();
    }
}

void ThumbnailStrip::addEx(const QByteArray& path, const QByteArray& picture,
                           const QByteArray& name) {
    if (auto f = resolve<OrvAddImageItemExFn>("AddImageItemEx")) {
        f(path.constData(), picture.constData(), name.constData());
        checkLast();
    }
}

ThumbnailStrip::CommitResult ThumbnailStrip::commit(const QString& file) {
    if (!library.isLoaded())
        return CommitResult::NotLoaded;
    auto getCount = resolve<OrvGetImgCountFn>("GetImgCount");
    if (!getCount)
        return CommitResult::Empty;
    const int n = getCount();
    if (n == 0)
        return CommitResult::Empty;
    auto isChecked = resolve<OrvIsCheckedFn>("IsChecked");
    auto pathOf = resolve<OrvGetImageFilePathFn>("GetImageFilePath");
    auto clearAll = resolve<OrvClearAllItemFn>("ClearAllItem");
    if (!isChecked || !pathOf)
        return CommitResult::Unsupported;

    QByteArray bytes;
    for (int i = 0; i < n; ++i) {
        const char* p = pathOf(i);
        bytes += QByteArray(p ? p : "") + "@@";
    }
    // In a shared temporary folder another user may have planted a link at
    // this name: remove whatever is there and create the file anew.
    QFile::remove(file);
    QFile out(file);
    bool ok = out.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
              out.write(bytes) == bytes.size() && out.flush();
    out.close();
    if (ok && out.error() != QFileDevice::NoError)
        ok = false;
    if (!ok) {
        // A half-written list would hand the driver a wrong set of pages.
        QFile::remove(file);
        return CommitResult::WriteFailed;
    }
    if (clearAll)
        clearAll(0);
    return CommitResult::Written;
}
