#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace platform {

// Desktop services the program asks for. Each has a test seam: a handler set
// here answers instead of a real dialog or the desktop.

// A folder chosen by the user; empty when cancelled.
QString chooseFolder(QWidget* parent, const QString& caption, const QString& start);
using FolderChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
void setFolderChooser(FolderChooser chooser);

// A file name to save to; empty when cancelled.
QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& folder,
                       const QString& filter);
using SaveFileChooser =
    std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
void setSaveFileChooser(SaveFileChooser chooser);

// Opens a folder, file or web address with the desktop's default program.
bool openUrl(const QUrl& url);
using UrlOpener = std::function<bool(const QUrl&)>;
void setUrlOpener(UrlOpener opener);

} // namespace platform
