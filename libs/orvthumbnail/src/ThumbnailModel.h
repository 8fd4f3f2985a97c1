// The strip's items: file, name, checked state and thumbnail, in the order
// they were added. Thumbnails are made on a pool of worker threads and land
// here on the GUI thread.
#ifndef ORVTHUMBNAIL_THUMBNAILMODEL_H
#define ORVTHUMBNAIL_THUMBNAILMODEL_H

#include "ThumbnailRoles.h"
#include "ThumbnailTexts.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>
#include <QString>
#include <QThreadPool>

#include <functional>

namespace orv::thumb {

class ThumbnailModel : public QAbstractListModel {
public:
    explicit ThumbnailModel(QObject* parent = nullptr);
    // Waits for thumbnails being made.
    ~ThumbnailModel() override;

    // Appends an unchecked item for a picture file; returns its row.
    int addPictureFile(const QByteArray& path);
    // Appends an unchecked item for path showing the picture, read now, under
    // name (the file name of path when empty); returns its row.
    int addFileWithPicture(const QByteArray& path, const QByteArray& picture, const QString& name);
    // Shows a new picture, read now, for the item of that row (a document
    // that grew by a page); false for a bad row.
    bool replacePicture(int row, const QByteArray& picture);

    int count() const { return int(items_.size()); }
    bool isValidRow(int row) const { return row >= 0 && row < count(); }
    // The path exactly as it was given; nullptr for a bad row.
    const QByteArray* rawPath(int row) const;
    QString filePath(int row) const;
    // -1 for a bad row.
    int checkedState(int row) const;
    bool setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    void removeItems(QList<int> rows);
    void clear();

    void setLanguage(Language language);
    // Device pixels per logical pixel of thumbnails made from now on.
    void setThumbnailScale(qreal scale);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    struct Item {
        quint64 id = 0;
        QByteArray rawPath;
        QString path;
        QString name;
        bool checked = false;
        ThumbState state = ThumbPending;
        QImage thumbnail;
        QIcon icon;
    };

    int append(Item item, std::function<QImage(QSize)> decode);
    void decodeInBackground(quint64 id, std::function<QImage(QSize)> decode);
    void finish(quint64 id, const QImage& thumbnail);
    int rowOf(quint64 id) const;
    QIcon iconFor(const QString& path);

    QList<Item> items_;
    quint64 nextId_ = 1;
    Language language_ = Language::Chinese;
    qreal scale_ = 1.0;
    QHash<QString, QIcon> iconCache_;
    QThreadPool pool_;
};

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_THUMBNAILMODEL_H
