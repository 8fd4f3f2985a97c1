#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QMimeData;
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

// Drags data (owned by the call) from source, offering actions with
// preferred first; returns when the drop or the cancel has happened.
Qt::DropAction startDrag(QWidget* source, QMimeData* data, Qt::DropActions actions,
                         Qt::DropAction preferred);
using DragStarter =
    std::function<Qt::DropAction(QWidget*, const QMimeData*, Qt::DropActions, Qt::DropAction)>;
void setDragStarter(DragStarter starter);

} // namespace platform
