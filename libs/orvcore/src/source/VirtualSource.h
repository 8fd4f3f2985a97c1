#pragma once

// A camera without hardware: a synthetic scene, or the pictures of a folder,
// produced at about 15 frames a second on the source's own thread.

#include "FrameSource.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orv {

class VirtualSource final : public FrameSource {
public:
    // cameraIndex picks the scene. With pagesFolder set the source shows the
    // folder's pictures in name order, each for pageSeconds; a folder without
    // a readable picture falls back to the scene.
    explicit VirtualSource(int cameraIndex, QString pagesFolder = {});
    ~VirtualSource() override;

    static QList<QSize> virtualResolutions();
    static constexpr int kFramesPerSecond = 15;
    static constexpr int kPageSeconds = 3;

    QList<QSize> resolutions() const override;
    bool start(QSize size, FrameSink sink) override;
    bool setSize(QSize size) override;
    void stop() override;
    bool isRunning() const override;

    // A folder source shows its next picture at the next frame; from the
    // first call on its pictures change only by this call. False for a
    // source without pictures.
    bool turnPage();

private:
    void run();
    QImage sceneAt(QSize size);
    QImage nextPage();

    const int m_cameraIndex;
    const QString m_pagesFolder;

    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    QSize m_requested;
    FrameSink m_sink;
    bool m_manualPages = false;
    bool m_turnNow = false;
    std::atomic<bool> m_running{false};

    // Source thread only (or while no thread runs).
    QList<QPair<QSize, QImage>> m_scenes; // most recent last
    QStringList m_pageFiles;
    int m_nextPage = 0;
};

} // namespace orv
