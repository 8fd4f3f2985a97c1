#include "ThumbnailStrip.h"

#include "ThumbnailModel.h"
#include "ThumbnailRoles.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QUrl>

#include <algorithm>

namespace orv::thumb {

namespace {

constexpr int kIconSize = 48; // file icon of an item without a picture

// A rectangle of size centred in area.
QRect centred(QSize size, const QRect& area) {
    return QRect(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2, size.width(), size.height());
}

void drawPicture(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                 const QRect& area) {
    const QVariant decoration = index.data(Qt::DecorationRole);
    const int state = index.data(ThumbStateRole).toInt();
    const QColor frame = option.palette.color(QPalette::Mid);
    if (state == ThumbReady) {
        const QImage image = decoration.value<QImage>();
        QSize size = image.deviceIndependentSize().toSize();
        if (size.width() > area.width() || size.height() > area.height())
            size = size.scaled(area.size(), Qt::KeepAspectRatio);
        const QRect target = centred(size.expandedTo(QSize(1, 1)), area);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, image);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(target.adjusted(0, 0, -1, -1));
        painter->restore();
    } else if (state == ThumbFailed) {
        const int side = std::min(kIconSize, area.height());
        const QRect target = centred(QSize(side, side), area);
        decoration.value<QIcon>().paint(painter, target, Qt::AlignCenter,
                                        (option.state & QStyle::State_Enabled) ? QIcon::Normal
                                                                               : QIcon::Disabled);
    } else {
        // Placeholder while the thumbnail is made.
        const QRect target = centred(QSize(4, 3).scaled(area.size(), Qt::KeepAspectRatio), area);
        painter->save();
        painter->setPen(frame);
        painter->setBrush(option.palette.color(QPalette::Midlight));
        painter->drawRect(target.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

} // namespace

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* view = opt.widget;
    QStyle* style = view ? view->style() : QApplication::style();
    const ItemLayout l = layoutItem(opt.rect, view);

    // Background: selection and hover, as the style draws them.
    QStyleOptionViewItem panel = opt;
    panel.text.clear();
    panel.icon = QIcon();
    panel.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, view);

    drawPicture(painter, opt, index, l.picture);

    QStyleOptionViewItem check = panel;
    check.rect = l.check;
    check.state &=
        ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange | QStyle::State_HasFocus);
    check.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, view);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QString name = opt.fontMetrics.elidedText(opt.text, Qt::ElideMiddle, l.name.width());
    painter->drawText(l.name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    painter->restore();

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.backgroundColor =
            opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
    }
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& /*index*/) const {
    // As wide as the strip's visible area.
    int width = 120;
    if (const auto* view = qobject_cast<const QListView*>(option.widget))
        width = view->viewport()->width() - 2 * view->spacing();
    return {std::max(width, kMinItemWidth), itemHeight(option.widget)};
}

bool ThumbnailDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!model || !(model->flags(index) & Qt::ItemIsUserCheckable))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton ||
            !layoutItem(option.rect, option.widget).check.contains(mouse->position().toPoint()))
            return false;
        if (event->type() == QEvent::MouseButtonDblClick)
            return true; // the release that follows toggles
        break;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select)
            return false;
        break;
    }
    default:
        return false;
    }
    const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

ThumbnailStrip::ThumbnailStrip(ThumbnailModel* model, QWidget* host) : items_(model) {
    setObjectName(QStringLiteral("orvThumbnailStrip"));
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setSpacing(2);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setMouseTracking(true);
    setItemDelegate(new ThumbnailDelegate(this));
    setModel(model);

    openAction_ = addMenuAction("openAction", &ThumbnailStrip::openCurrent);
    showInFolderAction_ = addMenuAction("showInFolderAction", &ThumbnailStrip::showCurrentInFolder);
    removeAction_ = addMenuAction("removeAction", &ThumbnailStrip::removeSelected);
    checkAllAction_ = addMenuAction("checkAllAction", &ThumbnailStrip::checkAll);
    uncheckAllAction_ = addMenuAction("uncheckAllAction", &ThumbnailStrip::uncheckAll);
    setLanguage(language_);

    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int, int) { scrollToNewestLater(); });
    attachTo(host);
    scrollToNewestLater();
}

ThumbnailStrip::~ThumbnailStrip() {
    if (host_)
        host_->removeEventFilter(this);
}

QAction* ThumbnailStrip::addMenuAction(const char* objectName, void (ThumbnailStrip::*slot)()) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(objectName));
    connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
    return action;
}

void ThumbnailStrip::attachTo(QWidget* host) {
    if (!host)
        return;
    if (host_ != host) {
        if (host_)
            host_->removeEventFilter(this);
        setParent(host);
        host_ = host;
        host->installEventFilter(this);
    }
    setGeometry(host->rect());
    show();
}

void ThumbnailStrip::relayout() {
    if (host_)
        setGeometry(host_->rect());
    doItemsLayout();
    viewport()->update();
}

void ThumbnailStrip::setLanguage(Language language) {
    language_ = language;
    const Texts& t = textsFor(language);
    openAction_->setText(t.open);
    showInFolderAction_->setText(t.showInFolder);
    removeAction_->setText(t.remove);
    checkAllAction_->setText(t.checkAll);
    uncheckAllAction_->setText(t.uncheckAll);
    viewport()->update();
}

bool ThumbnailStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == host_ && event->type() == QEvent::Resize)
        setGeometry(host_->rect());
    return QListView::eventFilter(watched, event);
}

void ThumbnailStrip::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // Items are as wide as the strip; the list view itself only lays out
    // again when the height changes.
    if (event->oldSize().width() != event->size().width())
        scheduleDelayedItemsLayout();
}

void ThumbnailStrip::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (model() && model()->rowCount() == 0) {
        QPainter painter(viewport());
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8),
                         Qt::AlignCenter | Qt::TextWordWrap, textsFor(language_).emptyHint);
    }
}

void ThumbnailStrip::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex at;
    if (event->reason() == QContextMenuEvent::Keyboard)
        at = currentIndex();
    else
        at = indexAt(event->pos());
    if (at.isValid()) {
        if (selectionModel()->isSelected(at))
            selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        else
            setCurrentIndex(at);
    }
    const bool onItem = at.isValid();
    const bool any = model()->rowCount() > 0;
    openAction_->setEnabled(onItem);
    showInFolderAction_->setEnabled(onItem);
    removeAction_->setEnabled(onItem);
    checkAllAction_->setEnabled(any);
    uncheckAllAction_->setEnabled(any);

    QMenu menu(this);
    menu.addAction(openAction_);
    menu.addAction(showInFolderAction_);
    menu.addSeparator();
    menu.addAction(removeAction_);
    menu.addSeparator();
    menu.addAction(checkAllAction_);
    menu.addAction(uncheckAllAction_);
    menu.exec(event->globalPos());
    event->accept();
}

void ThumbnailStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex at = indexAt(pos);
    if (event->button() == Qt::LeftButton && at.isValid() &&
        !layoutItem(visualRect(at), this).check.contains(pos)) {
        setCurrentIndex(at);
        openCurrent();
        event->accept();
        return;
    }
    QListView::mouseDoubleClickEvent(event);
}

void ThumbnailStrip::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        openCurrent();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void ThumbnailStrip::openCurrent() {
    const QString path = currentIndex().data(FilePathRole).toString();
    if (!path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ThumbnailStrip::showCurrentInFolder() {
    const QString path = currentIndex().data(FilePathRole).toString();
    if (!path.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void ThumbnailStrip::removeSelected() {
    QList<int> rows;
    for (const QModelIndex& at : selectionModel()->selectedIndexes())
        rows.append(at.row());
    if (rows.isEmpty() && currentIndex().isValid())
        rows.append(currentIndex().row());
    items_->removeItems(rows);
}

void ThumbnailStrip::checkAll() {
    items_->setAllChecked(true);
}

void ThumbnailStrip::uncheckAll() {
    items_->setAllChecked(false);
}

void ThumbnailStrip::scrollToNewestLater() {
    if (scrollPending_)
        return;
    scrollPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scrollPending_ = false;
            const int rows = model() ? model()->rowCount() : 0;
            if (rows > 0)
                scrollTo(model()->index(rows - 1, 0));
        },
        Qt::QueuedConnection);
}

} // namespace orv::thumb
