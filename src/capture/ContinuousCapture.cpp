#include "capture/ContinuousCapture.h"

#include "config/Settings.h"

#include <algorithm>
#include <limits>

QString ContinuousCaptureRun::startText() {
    return QStringLiteral("开始拍照");
}

QString ContinuousCaptureRun::countText(int n) {
    return QStringLiteral("已拍照 %1 张").arg(n);
}

QString ContinuousCaptureRun::endText(int n) {
    return QStringLiteral("已拍照 %1 张, 拍照结束").arg(n);
}

namespace {
ContinuousCaptureRun::Field fieldOf(const QString& text, int fallback, int largest) {
    const QString digits = text.trimmed();
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok, 10);
    const bool tooLong =
        !ok && !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    if (tooLong || (ok && value > largest))
        return {largest, QString::number(largest)};
    if (ok && value >= 1)
        return {int(value), {}};
    return {fallback, QString::number(fallback)};
}
} // namespace

ContinuousCaptureRun::Field ContinuousCaptureRun::intervalField(const QString& text) {
    return fieldOf(text, kDefaultInterval, config::kMaxCaptureInterval);
}

ContinuousCaptureRun::Field ContinuousCaptureRun::limitField(const QString& text) {
    return fieldOf(text, kDefaultLimit, std::numeric_limits<int>::max());
}

QString ContinuousCaptureRun::start(Mode mode, int limit) {
    m_running = true;
    m_mode = mode;
    m_limit = limit >= 1 ? limit : kDefaultLimit;
    m_count = 0;
    return startText();
}

ContinuousCaptureRun::Tick ContinuousCaptureRun::tick() {
    Tick t;
    if (!m_running || m_mode != Timer)
        return t;
    t.capture = m_count < m_limit;
    ++m_count;
    t.finished = m_count >= m_limit;
    if (t.finished)
        m_running = false;
    t.label = t.finished ? endText(m_count) : countText(m_count);
    return t;
}

QString ContinuousCaptureRun::pictureTaken() {
    ++m_count;
    return countText(m_count);
}

QString ContinuousCaptureRun::fail() {
    if (!m_running)
        return {};
    m_running = false;
    if (m_mode == Timer && m_count > 0)
        --m_count; // the tick counted the picture before it was taken
    return endText(m_count);
}

QString ContinuousCaptureRun::stop() {
    if (!m_running)
        return {};
    m_running = false;
    return m_mode == Smart ? endText(m_count) : QString();
}
