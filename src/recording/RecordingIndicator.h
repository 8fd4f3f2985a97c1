#pragma once

// The elapsed time of a running recording ("● mm:ss" in red, and the frames
// dropped when there are any) over the top left corner of the widget that
// shows that camera's picture. Hidden while the camera does not record. A
// child of its host; goes with it.

#include "recording/RecordingSession.h"

#include <QLabel>
#include <QTimer>

class RecordingIndicator : public QLabel {
    Q_OBJECT
public:
    RecordingIndicator(const RecordingSession* session, RecordingSession::Target target,
                       QWidget* host);

private:
    void onRunningChanged(RecordingSession::Target target, bool running);
    void refresh();

    const RecordingSession* m_session;
    const RecordingSession::Target m_target;
    QTimer m_tick;
};
