#include "recording/RecordingIndicator.h"

RecordingIndicator::RecordingIndicator(const RecordingSession* session,
                                       RecordingSession::Target target, QWidget* host)
    : QLabel(host), m_session(session), m_target(target) {
    setObjectName(target == RecordingSession::Main ? QStringLiteral("labelRecordMain")
                                                   : QStringLiteral("labelRecordVice"));
    setStyleSheet(QStringLiteral("QLabel { color: #ff2020; background-color: rgba(0, 0, 0, 150);"
                                 " font-weight: bold; padding: 1px 4px; border-radius: 3px; }"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    move(6, 6);
    hide();
    m_tick.setInterval(250);
    connect(&m_tick, &QTimer::timeout, this, &RecordingIndicator::refresh);
    connect(session, &RecordingSession::runningChanged, this,
            &RecordingIndicator::onRunningChanged);
}

void RecordingIndicator::onRunningChanged(RecordingSession::Target target, bool running) {
    if (target != m_target)
        return;
    if (running) {
        refresh();
        raise();
        show();
        m_tick.start();
    } else {
        m_tick.stop();
        hide();
    }
}

void RecordingIndicator::refresh() {
    setText(m_session->elapsedText(m_target));
    adjustSize();
}
