#include "recording/RecordingSession.h"

#include "camera/DeviceIdentity.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "shell/Language.h"

#include <orvcore/OrvCoreLib.h>

#include <QFileInfo>

namespace {

void tell(int language, const char* chinese, const char* english) {
    shell::Language::tell(language, QString::fromUtf8(chinese), QString::fromUtf8(english));
}

// Why a recording did not start, as the library said.
void tellRefusal(int language, int result) {
    switch (result) {
    case ORV_RECORD_FOLDER_NOT_WRITABLE:
        tell(language, "录像失败: 工作文件夹不能写入!",
             "Recording failed: the working folder cannot be written!");
        break;
    case ORV_RECORD_FILE_EXISTS:
        tell(language, "录像失败: 文件已存在!", "Recording failed: the file exists already!");
        break;
    case ORV_RECORD_CAMERA_CLOSED:
        tell(language, "录像失败: 摄像头未打开!", "Recording failed: the camera is not open!");
        break;
    case ORV_RECORD_DISK_FULL:
        tell(language, "录像失败: 磁盘已满!", "Recording failed: the disk is full!");
        break;
    default:
        tell(language, "录像失败!", "Recording failed!");
    }
}

} // namespace

RecordingSession::RecordingSession(QObject* parent) : QObject(parent) {}

RecordingSession::~RecordingSession() {
    stopAll();
}

QString RecordingSession::idleCaption(int language) {
    return language == 0   ? QStringLiteral("开始录像")
           : language == 1 ? QStringLiteral("Record")
                           : QString();
}

QString RecordingSession::recordingCaption(int language) {
    return language == 0   ? QStringLiteral("停止录像")
           : language == 1 ? QStringLiteral("Stop")
                           : QString();
}

QByteArray RecordingSession::recordingPath(const QByteArray& folder, const QDateTime& time,
                                           const QList<QByteArray>& taken) {
    const QByteArray base =
        folder + '/' + time.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    QByteArray path = base + ".wmv";
    for (int n = 1; taken.contains(path) || QFileInfo::exists(platform::fromLocal(path)); ++n)
        path = base + '_' + QByteArray::number(n) + ".wmv";
    return path;
}

void RecordingSession::press(Target target, int camera, int language, const QString& caption,
                             const CaptionSetter& setCaption, const QByteArray& folder) {
    const QString idle = idleCaption(language);
    const QString recording = recordingCaption(language);
    if (idle.isEmpty())
        return;
    m_language = language;
    if (caption == idle) {
        setCaption(recording);
        m_runs[target].setCaption = setCaption;
        start(target, camera, language, folder);
    } else if (caption == recording) {
        setCaption(idle);
        stop(target, camera, language);
    }
}

void RecordingSession::start(Target target, int camera, int language, const QByteArray& folder) {
    Run& run = m_runs[target];
    if (run.running) // the caption was changed from outside: the old one ends first
        stop(target, run.camera, language);
    const Run& other = m_runs[target == Main ? Vice : Main];
    QList<QByteArray> taken;
    if (other.running)
        taken << other.path;
    const QByteArray path = recordingPath(folder, platform::now(), taken);
    if (const int refused = OrvStartRecord(camera, path.constData(), true)) {
        run.setCaption(idleCaption(language));
        tellRefusal(language, refused);
        return;
    }
    run.running = true;
    run.camera = camera;
    run.device = camera::deviceIdentity(camera);
    run.path = path;
    run.clock.start();
    emit runningChanged(target, true);
}

void RecordingSession::stop(Target target, int camera, int language) {
    Run& run = m_runs[target];
    const bool wasRunning = run.running;
    const int recorded = wasRunning ? run.camera : camera;
    run.running = false;
    run.path.clear();
    if (OrvStopRecord(recorded) != 0 && wasRunning)
        tell(language, "录像保存失败!", "The recording could not be saved!");
    if (wasRunning)
        emit runningChanged(target, false);
}

void RecordingSession::ended(int camera, int reason, bool saved, int language) {
    for (int target = Main; target <= Vice; ++target) {
        Run& run = m_runs[target];
        if (!run.running || run.camera != camera)
            continue;
        run.running = false;
        run.path.clear();
        if (run.setCaption && !idleCaption(language).isEmpty())
            run.setCaption(idleCaption(language));
        emit runningChanged(Target(target), false);
        if (!saved)
            tell(language, "录像保存失败!", "The recording could not be saved!");
        else if (reason == ORV_RECORD_END_DISK_FULL)
            tell(language, "磁盘已满, 录像已停止并保存!",
                 "The disk is full: the recording was stopped and saved.");
        else if (reason == ORV_RECORD_END_CAMERA_CLOSED)
            tell(language, "摄像头已关闭, 录像已停止并保存!",
                 "The camera was closed: the recording was stopped and saved.");
        else
            tell(language, "录像已停止并保存!", "The recording was stopped and saved.");
    }
}

void RecordingSession::followDevices() {
    for (Run& run : m_runs)
        if (run.running)
            run.camera = camera::deviceIndex(run.device);
}

bool RecordingSession::records(int camera) const {
    for (const Run& run : m_runs)
        if (run.running && run.camera == camera)
            return true;
    return false;
}

QString RecordingSession::elapsedText(Target target) const {
    const Run& run = m_runs[target];
    if (!run.running)
        return {};
    const qint64 seconds = run.clock.elapsed() / 1000;
    QString text = QStringLiteral("\u25CF %1:%2")
                       .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    const int dropped = OrvGetRecordDroppedFrames(run.camera);
    if (dropped > 0)
        text += shell::Language::text(m_language, QStringLiteral("  丢帧 %1").arg(dropped),
                                      QStringLiteral("  %1 frames dropped").arg(dropped));
    return text;
}

void RecordingSession::showCaptions(int language) {
    m_language = language;
    const QString caption = recordingCaption(language);
    if (caption.isEmpty())
        return;
    for (const Run& run : m_runs)
        if (run.running && run.setCaption)
            run.setCaption(caption);
}

void RecordingSession::stopAll() {
    for (Run& run : m_runs) {
        if (!run.running)
            continue;
        run.running = false;
        run.path.clear();
        run.setCaption = nullptr;
        OrvStopRecord(run.camera);
    }
}
