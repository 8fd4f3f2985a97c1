#include "ThumbnailModel.h"

#include "ThumbnailDecoder.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStyle>
#include <QThread>
#include <QUrl>

#include <algorithm>

namespace orv::thumb {

ThumbnailModel::ThumbnailModel(QObject* parent) : QAbstractListModel(parent) {
    // Leave a core to the camera and the GUI.
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThumbnailModel::~ThumbnailModel() {
    pool_.clear();
    pool_.waitForDone();
}

int ThumbnailModel::addPictureFile(const QByteArray& path) {
    Item item;
    item.rawPath = path;
    item.path = QFile::decodeName(path);
    item.name = QFileInfo(item.path).fileName();
    const QString file = item.path;
    return append(std::move(item), [file](QSize box) { return decodeThumbnailFile(file, box); });
}

namespace {
// The picture is often a temporary file that the next capture overwrites:
// take its bytes now and decode them later.
QByteArray readPicture(const QByteArray& picture) {
    if (picture.isEmpty())
        return QByteArray();
    QFile file(QFile::decodeName(picture));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

int ThumbnailModel::addFileWithPicture(const QByteArray& path, const QByteArray& picture,
                                       const QString& name) {
    Item item;
    item.rawPath = path;
    item.path = QFile::decodeName(path);
    item.name = name.isEmpty() ? QFileInfo(item.path).fileName() : name;
    const QByteArray data = readPicture(picture);
    return append(std::move(item), [data](QSize box) { return decodeThumbnailData(data, box); });
}

bool ThumbnailModel::replacePicture(int row, const QByteArray& picture) {
    if (!isValidRow(row))
        return false;
    const QByteArray data = readPicture(picture);
    decodeInBackground(items_[row].id,
                       [data](QSize box) { return decodeThumbnailData(data, box); });
    return true;
}

int ThumbnailModel::append(Item item, std::function<QImage(QSize)> decode) {
    item.id = nextId_++;
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    items_.append(std::move(item));
    endInsertRows();

    decodeInBackground(items_.last().id, std::move(decode));
    return row;
}

void ThumbnailModel::decodeInBackground(quint64 id, std::function<QImage(QSize)> decode) {
    const qreal scale = scale_;
    const QSize box(qRound(kThumbnailBox.width() * scale), qRound(kThumbnailBox.height() * scale));
    pool_.start([this, id, scale, box, decode = std::move(decode)] {
        QImage image = decode(box);
        image.setDevicePixelRatio(scale);
        QMetaObject::invokeMethod(
            this, [this, id, image] { finish(id, image); }, Qt::QueuedConnection);
    });
}

void ThumbnailModel::finish(quint64 id, const QImage& thumbnail) {
    const int row = rowOf(id);
    if (row < 0)
        return; // removed meanwhile
    Item& item = items_[row];
    if (thumbnail.isNull()) {
        item.state = ThumbFailed;
        item.icon = iconFor(item.path);
    } else {
        item.state = ThumbReady;
        item.thumbnail = thumbnail;
    }
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::DecorationRole, ThumbStateRole});
}

int ThumbnailModel::rowOf(quint64 id) const {
    // Ids grow with the rows.
    const auto it = std::lower_bound(items_.cbegin(), items_.cend(), id,
                                     [](const Item& item, quint64 v) { return item.id < v; });
    return it != items_.cend() && it->id == id ? int(it - items_.cbegin()) : -1;
}

QIcon ThumbnailModel::iconFor(const QString& path) {
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    const auto cached = iconCache_.constFind(mime.name());
    if (cached != iconCache_.constEnd())
        return *cached;
    QIcon icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    if (icon.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    iconCache_.insert(mime.name(), icon);
    return icon;
}

const QByteArray* ThumbnailModel::rawPath(int row) const {
    return isValidRow(row) ? &items_.at(row).rawPath : nullptr;
}

QString ThumbnailModel::filePath(int row) const {
    return isValidRow(row) ? items_.at(row).path : QString();
}

int ThumbnailModel::checkedState(int row) const {
    return isValidRow(row) ? (items_.at(row).checked ? 1 : 0) : -1;
}

bool ThumbnailModel::setChecked(int row, bool checked) {
    if (!isValidRow(row))
        return false;
    if (items_[row].checked != checked) {
        items_[row].checked = checked;
        const QModelIndex at = index(row);
        emit dataChanged(at, at, {Qt::CheckStateRole});
    }
    return true;
}

void ThumbnailModel::setAllChecked(bool checked) {
    if (items_.isEmpty())
        return;
    for (Item& item : items_)
        item.checked = checked;
    emit dataChanged(index(0), index(count() - 1), {Qt::CheckStateRole});
}

void ThumbnailModel::removeItems(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the end, one run of neighbouring rows at a time.
    int i = int(rows.size()) - 1;
    while (i >= 0) {
        const int last = rows.at(i);
        int first = last;
        while (i > 0 && rows.at(i - 1) == first - 1)
            first = rows.at(--i);
        --i;
        if (first < 0 || last >= count())
            continue;
        beginRemoveRows(QModelIndex(), first, last);
        items_.remove(first, last - first + 1);
        endRemoveRows();
    }
}

void ThumbnailModel::clear() {
    pool_.clear(); // thumbnails not started are no longer wanted
    if (items_.isEmpty())
        return;
    beginResetModel();
    items_.clear();
    endResetModel();
}

void ThumbnailModel::setLanguage(Language language) {
    if (language_ == language)
        return;
    language_ = language;
    if (!items_.isEmpty())
        emit dataChanged(index(0), index(count() - 1), {Qt::ToolTipRole});
}

void ThumbnailModel::setThumbnailScale(qreal scale) {
    scale_ = scale > 0 ? scale : 1.0;
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.parent().isValid() || !isValidRow(index.row()))
        return {};
    const Item& item = items_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return item.name;
    case Qt::ToolTipRole:
        return item.path + QLatin1Char('\n') + textsFor(language_).openHint;
    case Qt::CheckStateRole:
        return item.checked ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole:
        if (item.state == ThumbReady)
            return item.thumbnail;
        if (item.state == ThumbFailed)
            return item.icon;
        return {};
    case FilePathRole:
        return item.path;
    case ThumbStateRole:
        return int(item.state);
    default:
        return {};
    }
}

bool ThumbnailModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.parent().isValid())
        return false;
    return setChecked(index.row(), value.toInt() == Qt::Checked);
}

Qt::ItemFlags ThumbnailModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList ThumbnailModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* ThumbnailModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& at : indexes)
        if (at.isValid() && isValidRow(at.row()))
            urls.append(QUrl::fromLocalFile(items_.at(at.row()).path));
    if (urls.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

Qt::DropActions ThumbnailModel::supportedDragActions() const {
    return Qt::CopyAction;
}

} // namespace orv::thumb
