#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QFileDialog>

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

} // namespace platform
