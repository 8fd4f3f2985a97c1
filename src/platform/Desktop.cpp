#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QDrag>
#include <QFileDialog>
#include <QMimeData>

#include <memory>

namespace platform {

namespace {
FolderChooser& folderChooser() {
    static FolderChooser chooser;
    return chooser;
}
SaveFileChooser& saveFileChooser() {
    static SaveFileChooser chooser;
    return chooser;
}
UrlOpener& urlOpener() {
    static UrlOpener opener;
    return opener;
}
DragStarter& dragStarter() {
    static DragStarter starter;
    return starter;
}
} // namespace

QString chooseFolder(QWidget* parent, const QString& caption, const QString& start) {
    if (folderChooser())
        return folderChooser()(parent, caption, start);
    return QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
}

void setFolderChooser(FolderChooser chooser) {
    folderChooser() = std::move(chooser);
}

QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& filter) {
    if (saveFileChooser())
        return saveFileChooser()(parent, caption, folder, filter);
    return QFileDialog::getSaveFileName(parent, caption, folder, filter);
}

void setSaveFileChooser(SaveFileChooser chooser) {
    saveFileChooser() = std::move(chooser);
}

bool openUrl(const QUrl& url) {
    if (urlOpener())
        return urlOpener()(url);
    return QDesktopServices::openUrl(url);
}

void setUrlOpener(UrlOpener opener) {
    urlOpener() = std::move(opener);
}

Qt::DropAction startDrag(QWidget* source, QMimeData* data, Qt::DropActions actions,
                         Qt::DropAction preferred) {
    if (dragStarter()) {
        std::unique_ptr<QMimeData> owned(data);
        return dragStarter()(source, owned.get(), actions, preferred);
    }
    auto* drag = new QDrag(source); // deleted by Qt when the drag ends
    drag->setMimeData(data);
    return drag->exec(actions, preferred);
}

void setDragStarter(DragStarter starter) {
    dragStarter() = std::move(starter);
}

} // namespace platform
