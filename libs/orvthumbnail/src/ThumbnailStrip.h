// The strip on screen: a vertical list of thumbnails with a check box and the
// name under each, filling a host widget of the application.
#ifndef ORVTHUMBNAIL_THUMBNAILSTRIP_H
#define ORVTHUMBNAIL_THUMBNAILSTRIP_H

#include "ItemLayout.h"
#include "ThumbnailTexts.h"

#include <QListView>
#include <QPointer>
#include <QStyledItemDelegate>

class QAction;

namespace orv::thumb {

class ThumbnailModel;

class ThumbnailDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

class ThumbnailStrip : public QListView {
public:
    ThumbnailStrip(ThumbnailModel* model, QWidget* host);
    ~ThumbnailStrip() override;

    // Moves the strip into host and follows its size from now on.
    void attachTo(QWidget* host);
    // Fits the host again and lays the items out now.
    void relayout();
    void setLanguage(Language language);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAction* addMenuAction(const char* objectName, void (ThumbnailStrip::*slot)());
    void openCurrent();
    void showCurrentInFolder();
    void removeSelected();
    void checkAll();
    void uncheckAll();
    void scrollToNewestLater();

    ThumbnailModel* items_;
    QPointer<QWidget> host_;
    Language language_ = Language::Chinese;
    bool scrollPending_ = false;
    QAction* openAction_ = nullptr;
    QAction* showInFolderAction_ = nullptr;
    QAction* removeAction_ = nullptr;
    QAction* checkAllAction_ = nullptr;
    QAction* uncheckAllAction_ = nullptr;
};

} // namespace orv::thumb

#endif // ORVTHUMBNAIL_THUMBNAILSTRIP_H
