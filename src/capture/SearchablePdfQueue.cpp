#include "capture/SearchablePdfQueue.h"
#include "shell/Language.h"

#include <modaocr/ModaOCRWords.h>
#include <orvcore/OrvCoreLib.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QProgressDialog>
#include <QtConcurrent/QtConcurrentRun>

#include <vector>

namespace {

// The worker's step for one capture: its words, then its pages.
SearchablePdfQueue::Result writePages(const SearchablePdfQueue::Page& page) {
    SearchablePdfQueue::Result result;
    result.page = page;
    result.noModels = QByteArray(fnModaOCRLanguages()).isEmpty();
    QList<QByteArray> words;
    for (const QByteArray& picture : page.pictures)
        words << (result.noModels ? QByteArray() : QByteArray(fnModaOCRWords(picture.constData())));
    std::vector<const char*> pictureArgs, wordArgs;
    for (qsizetype i = 0; i < page.pictures.size(); ++i) {
        pictureArgs.push_back(page.pictures[i].constData());
        wordArgs.push_back(words[i].constData());
    }
    const int count = int(page.pictures.size());
    result.written = count > 0 && OrvWritePdfPages(page.pdf.constData(), page.append ? 0 : 1, count,
                                                   pictureArgs.data(), wordArgs.data()) == count;
    return result;
}

} // namespace

SearchablePdfQueue::SearchablePdfQueue(QObject* parent) : QObject(parent) {
    pool.setMaxThreadCount(1);
}

SearchablePdfQueue::~SearchablePdfQueue() {
    pool.waitForDone();
}

QByteArray SearchablePdfQueue::newPicturePath(const QByteArray& extension) {
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                 QStringLiteral("/orvanta-pdf-XXXXXX"));
        if (!folder->isValid()) {
            folder.reset();
            return {};
        }
    }
    return QFile::encodeName(folder->path()) + "/page" + QByteArray::number(++pictures) + extension;
}

void SearchablePdfQueue::add(Page page) {
    queued << page;
    QPointer<SearchablePdfQueue> self(this);
    pool.start([self, page] {
        const Result result = writePages(page);
        for (const QByteArray& picture : page.pictures)
            QFile::remove(QFile::decodeName(picture));
        QMetaObject::invokeMethod(
            self.data(),
            [self, result] {
                if (self)
                    self->done(result);
            },
            Qt::QueuedConnection);
    });
}

QList<QByteArray> SearchablePdfQueue::documents() const {
    QList<QByteArray> files;
    for (const Page& page : queued)
        if (!files.contains(page.pdf))
            files << page.pdf;
    return files;
}

void SearchablePdfQueue::done(const Result& result) {
    if (!queued.isEmpty())
        queued.removeFirst(); // the worker takes the pages in order
    if (onDone)
        onDone(result);
    if (queued.isEmpty())
        emit idle();
}

void SearchablePdfQueue::finish(QWidget* parent, int language) {
    if (!busy())
        return;
    using shell::Language;
    QProgressDialog progress(Language::text(language, QStringLiteral("正在完成PDF文字识别…"),
                                            QStringLiteral("Finishing searchable PDF pages…")),
                             QString(), 0, waiting(), parent);
    progress.setWindowTitle(
        Language::text(language, QStringLiteral("正在完成"), QStringLiteral("Finishing")));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const int total = waiting();
    progress.setValue(0);
    progress.show();
    QEventLoop loop;
    while (busy()) {
        progress.setValue(total - waiting());
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
}
