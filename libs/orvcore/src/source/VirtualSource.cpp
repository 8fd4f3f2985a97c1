#include "VirtualSource.h"

#include "SceneRenderer.h"

#include <QDir>
#include <QImageReader>
#include <QTime>

#include <chrono>
#include <utility>

namespace orv {

namespace {

constexpr qsizetype kSceneCacheSize = 2; // frame sizes whose scene is kept

QStringList readablePictures(const QString& folder) {
    if (folder.isEmpty())
        return {};
    QStringList filters;
    const auto formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        filters << QStringLiteral("*.") + QString::fromLatin1(format);
    const QDir dir(folder);
    QStringList files;
    const auto names =
        dir.entryList(filters, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        files << dir.filePath(name);
    return files;
}

} // namespace

VirtualSource::VirtualSource(int cameraIndex, QString pagesFolder)
    : m_cameraIndex(cameraIndex), m_pagesFolder(std::move(pagesFolder)) {}

VirtualSource::~VirtualSource() {
    stop();
}

QList<QSize> VirtualSource::virtualResolutions() {
    return {{2592, 1944}, {2048, 1536}, {1600, 1200}, {1280, 960}, {1024, 768}, {640, 480}};
}

QList<QSize> VirtualSource::resolutions() const {
    return virtualResolutions();
}

bool VirtualSource::start(QSize size, FrameSink sink) {
    if (m_running || !sink || !resolutions().contains(size))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
        m_requested = size;
        m_sink = std::move(sink);
    }
    m_pageFiles = readablePictures(m_pagesFolder);
    m_nextPage = 0;
    m_running = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

bool VirtualSource::setSize(QSize size) {
    if (!m_running || !resolutions().contains(size))
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_requested = size;
    }
    m_wake.notify_all();
    return true;
}

void VirtualSource::stop() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_running = false;
    std::lock_guard lock(m_mutex);
    m_sink = nullptr;
}

bool VirtualSource::isRunning() const {
    return m_running;
}

bool VirtualSource::turnPage() {
    if (m_pagesFolder.isEmpty())
        return false;
    std::lock_guard lock(m_mutex);
    m_manualPages = true;
    m_turnNow = true;
    return true;
}

QImage VirtualSource::sceneAt(QSize size) {
    for (qsizetype i = 0; i < m_scenes.size(); ++i) {
        if (m_scenes.at(i).first == size) {
            m_scenes.move(i, m_scenes.size() - 1);
            return m_scenes.constLast().second;
        }
    }
    QImage scene = renderScene(m_cameraIndex, size);
    m_scenes.append({size, scene});
    if (m_scenes.size() > kSceneCacheSize)
        m_scenes.removeFirst();
    return scene;
}

// The next readable picture of the folder, reduced to the largest frame
// size; null when none of the files can be read.
QImage VirtualSource::nextPage() {
    const QSize largest = virtualResolutions().constFirst();
    for (int tries = 0; tries < m_pageFiles.size(); ++tries) {
        const QString file = m_pageFiles.at(m_nextPage);
        m_nextPage = (m_nextPage + 1) % m_pageFiles.size();
        QImageReader reader(file);
        reader.setAutoTransform(true);
        QImage page = reader.read();
        if (page.isNull())
            continue;
        if (page.width() > largest.width() || page.height() > largest.height())
            page = page.scaled(largest, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return page;
    }
    return {};
}

void VirtualSource::run() {
    using Clock = std::chrono::steady_clock;
    const auto framePeriod = std::chrono::microseconds(1000000 / kFramesPerSecond);

    QSize size;
    QImage base;  // the picture at size, without the clock
    QImage frame; // what is delivered
    QImage page;  // the folder picture shown, at its own size
    bool usePages = !m_pageFiles.isEmpty();
    Clock::time_point pageUntil;
    int stampedSecond = -1;
    FrameSink sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_sink;
    }
    Clock::time_point due = Clock::now();

    for (;;) {
        QSize wanted;
        bool manual = false, turnNow = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
            wanted = m_requested;
            manual = m_manualPages;
            turnNow = std::exchange(m_turnNow, false);
        }
        const Clock::time_point now = Clock::now();
        if (wanted != size) {
            size = wanted;
            base = QImage();
        }
        if (usePages && (page.isNull() || (manual ? turnNow : now >= pageUntil))) {
            page = nextPage();
            usePages = !page.isNull();
            pageUntil = now + std::chrono::seconds(kPageSeconds);
            base = QImage();
        }
        if (base.isNull()) {
            base = usePages ? fitPicture(page, size) : sceneAt(size);
            frame = base;
            stampedSecond = -1;
        }
        if (!usePages) {
            const QTime time = QTime::currentTime();
            if (time.second() != stampedSecond) {
                frame = base; // shared until paintClock detaches it
                paintClock(frame, time);
                stampedSecond = time.second();
            }
        }
        sink(frame);

        due += framePeriod;
        if (due < Clock::now()) // a slow render: do not burst to catch up
            due = Clock::now();
        std::unique_lock lock(m_mutex);
        m_wake.wait_until(lock, due, [&] { return m_stopping || m_requested != size; });
    }
}

} // namespace orv
