#pragma once

// Video recording of the main and the vice camera: what a press of a record
// button does, the file each recording goes to, and the recordings running.
//
// A press reads the button's caption in the current language: the idle
// caption starts a recording, the recording caption stops it, any other
// caption (or language) does nothing. The caption is changed before the
// camera library is called. Beyond that:
// - a running recording outlives a language switch: showCaptions() puts the
//   recording caption of the new language back on its button;
// - stopAll() stops and finalises every running recording (program exit);
// - two recordings started in the same second get distinct names: the later
//   one (the vice, usually) gets "_1", "_2", ... before ".wmv";
// - a stop acts on the camera the recording was started on, even when the
//   cameras were switched in between;
// - a start the library refuses is reported with its reason (folder not
//   writable, file exists, camera closed, disk full) and the button goes back to its
//   idle caption; a recording that cannot be finished is reported too;
// - a recording the library ended itself (its camera closed, the disk ran
//   full) is over: ended() puts the idle caption back, stops the elapsed
//   time and says what happened and whether the file was saved.
//
// GUI thread only. No widgets: captions are set through the setter given
// with each press.

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>

class RecordingSession : public QObject {
    Q_OBJECT
public:
    enum Target { Main = 0, Vice = 1 };
    using CaptionSetter = std::function<void(const QString& caption)>;

    explicit RecordingSession(QObject* parent = nullptr);
    ~RecordingSession() override;

    // Captions of the record buttons; empty for a language without texts.
    static QString idleCaption(int language);
    static QString recordingCaption(int language);
    // The file of a recording started at time in folder, avoiding the paths
    // in taken and existing files.
    static QByteArray recordingPath(const QByteArray& folder, const QDateTime& time,
                                    const QList<QByteArray>& taken);

    // A press of target's button, whose caption is caption, acting on camera.
    void press(Target target, int camera, int language, const QString& caption,
               const CaptionSetter& setCaption, const QByteArray& folder);

    // The library ended camera's recording (ORV_RECORD_END_... reason).
    void ended(int camera, int reason, bool saved, int language);
    // A camera arrived or left and the indices moved: running recordings
    // follow their devices. One whose device left was ended by the library
    // before; should it still run, it keeps no index, so no other camera's
    // end or stop is taken for it.
    void followDevices();

    bool isRecording(Target target) const { return m_runs[target].running; }
    // Whether a recording runs on camera.
    bool records(int camera) const;
    QByteArray path(Target target) const { return m_runs[target].path; }
    // "● mm:ss" since the start, followed by the frames the library dropped
    // when there are any; empty when not recording.
    QString elapsedText(Target target) const;

    // The recording captions of running recordings in language.
    void showCaptions(int language);
    // Stops every running recording; captions stay as they are.
    void stopAll();

signals:
    void runningChanged(RecordingSession::Target target, bool running);

private:
    struct Run {
        bool running = false;
        int camera = -1;
        QByteArray device; // the camera's identity, kept across index moves
        QByteArray path;
        QElapsedTimer clock;
        CaptionSetter setCaption;
    };
    void start(Target target, int camera, int language, const QByteArray& folder);
    void stop(Target target, int camera, int language);

    Run m_runs[2];
    int m_language = 0; // of the last press or caption change
};
