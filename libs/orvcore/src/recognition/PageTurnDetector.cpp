#include "PageTurnDetector.h"

#include <cmath>

namespace orv {

namespace {

constexpr int kSamplesPerSide = PageTurnDetector::kSamplesPerSide;

inline int grayOf(QRgb p) {
    return (qRed(p) * 77 + qGreen(p) * 150 + qBlue(p) * 29) >> 8;
}

} // namespace

GrayGrid reduceForDetection(const QImage& input) {
    if (input.isNull())
        return {};
    const QImage frame = input.format() == QImage::Format_RGB32 ||
                                 input.format() == QImage::Format_ARGB32 ||
                                 input.format() == QImage::Format_ARGB32_Premultiplied
                             ? input
                             : input.convertToFormat(QImage::Format_RGB32);
    const int fw = frame.width(), fh = frame.height();
    GrayGrid grid;
    grid.width = std::min(PageTurnDetector::kGridWidth, fw);
    grid.height = std::max(1, std::min(fh, int(std::lround(double(grid.width) * fh / fw))));
    grid.cells.assign(size_t(grid.width) * grid.height, 0.0f);
    const double cellW = double(fw) / grid.width, cellH = double(fh) / grid.height;
    double total = 0;
    for (int gy = 0; gy < grid.height; ++gy) {
        const int y0 = int(gy * cellH), y1 = std::max(y0 + 1, int((gy + 1) * cellH));
        const int stepY = std::max(1, (y1 - y0) / kSamplesPerSide);
        for (int gx = 0; gx < grid.width; ++gx) {
            const int x0 = int(gx * cellW), x1 = std::max(x0 + 1, int((gx + 1) * cellW));
            const int stepX = std::max(1, (x1 - x0) / kSamplesPerSide);
            int sum = 0, n = 0;
            for (int y = y0 + stepY / 2; y < y1; y += stepY) {
                const QRgb* line = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
                for (int x = x0 + stepX / 2; x < x1; x += stepX) {
                    sum += grayOf(line[x]);
                    ++n;
                }
            }
            const float mean = n ? float(sum) / n : 0.0f;
            grid.cells[size_t(gy) * grid.width + gx] = mean;
            total += mean;
        }
    }
    const float mean = float(total / double(grid.cells.size()));
    for (float& c : grid.cells)
        c -= mean;
    return grid;
}

float changedShare(const GrayGrid& a, const GrayGrid& b) {
    if (a.width != b.width || a.height != b.height || a.cells.empty())
        return 1.0f;
    size_t changed = 0;
    for (size_t i = 0; i < a.cells.size(); ++i)
        changed += std::fabs(a.cells[i] - b.cells[i]) > PageTurnDetector::kCellThreshold;
    return float(changed) / float(a.cells.size());
}

void PageTurnDetector::reset() {
    m_state = State::Learning;
    m_previous = {};
    m_page = {};
    m_stillSince = -1;
}

bool PageTurnDetector::feed(const GrayGrid& grid, qint64 ms) {
    if (grid.isEmpty())
        return false;
    const float motion = m_previous.isEmpty() ? 1.0f : changedShare(grid, m_previous);
    m_previous = grid;
    const bool still = motion < kStillFraction;
    if (!still)
        m_stillSince = -1;
    else if (m_stillSince < 0)
        m_stillSince = ms;
    const bool settled = still && ms - m_stillSince >= kStillMs;

    switch (m_state) {
    case State::Learning:
        if (settled) {
            m_page = grid;
            m_state = State::Watching;
        }
        return false;
    case State::Watching:
        if (motion >= kMotionFraction || changedShare(grid, m_page) >= kPageFraction)
            m_state = State::Moving;
        return false;
    case State::Moving:
        if (!settled)
            return false;
        m_state = State::Watching;
        const bool newPage = changedShare(grid, m_page) >= kPageFraction;
        m_page = grid;
        return newPage;
    }
    return false;
}

} // namespace orv
