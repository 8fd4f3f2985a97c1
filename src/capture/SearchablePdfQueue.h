#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <QThreadPool>

#include <functional>
#include <memory>

class QWidget;

// Pages of searchable PDF captures on their way into their files. A capture
// leaves its pictures in the queue's private folder; a worker thread has
// the OCR engine find their words and then writes picture and words into
// the PDF in one step (one incremental update for a multi-page document),
// so the preview never waits for recognition and a file on disk only ever
// holds whole pages with their text. Pages are written in the order they
// were captured. Everything but the worker's own step runs on the GUI
// thread.
class SearchablePdfQueue : public QObject {
    Q_OBJECT
public:
    struct Page {
        QByteArray pdf;             // the document the pictures go into
        bool append = false;        // multi-page: add to it; else a new file
        QList<QByteArray> pictures; // the capture's picture files, in page order
        QByteArray picture;         // the strip's picture of the capture
    };
    struct Result {
        Page page;
        bool written = false;  // the pages are in the file
        bool noModels = false; // the engine has no models: pages without text
    };

    explicit SearchablePdfQueue(QObject* parent = nullptr);
    // Waits for the pages still queued.
    ~SearchablePdfQueue() override;

    // A path in the private folder for a capture's picture, ending in
    // extension; empty when the folder could not be made.
    QByteArray newPicturePath(const QByteArray& extension);
    // Queues a capture's pages; the pictures are removed once written.
    void add(Page page);

    bool busy() const { return !queued.isEmpty(); }
    int waiting() const { return int(queued.size()); }
    // The documents that pages are still waiting for (they may not exist on
    // disk yet).
    QList<QByteArray> documents() const;
    bool holds(const QByteArray& pdf) const { return documents().contains(pdf); }

    // Called on the GUI thread for each capture once its pages are done.
    std::function<void(const Result&)> onDone;

    // Returns when every queued page is written. While pages remain, a
    // window over parent says that they are being finished (language 0
    // Chinese, 1 English).
    void finish(QWidget* parent, int language);

signals:
    void idle();

private:
    void done(const Result& result);

    QThreadPool pool; // one thread: pages land in capture order
    std::unique_ptr<QTemporaryDir> folder;
    QList<Page> queued;
    quint64 pictures = 0;
};
