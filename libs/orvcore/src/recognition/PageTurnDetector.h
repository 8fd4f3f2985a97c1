#pragma once

// Page-turn detection for automatic capture. Each frame is reduced to a small
// gray grid (the mean of a sparse sample of each cell); the detector compares
// grids, so its cost hardly depends on the frame size.
//
// A page turn is motion followed by stillness on a scene that differs from the
// page last seen at rest:
//   learning  -- still for kStillMs -------------------------> watching (no report)
//   watching  -- a frame moves, or the scene drifts from the page --> moving
//   moving    -- still for kStillMs, scene differs from the page --> report, watching
//             -- still for kStillMs, same page as before ------> watching (no report)
// Frames are compared after removing each grid's mean brightness, so a change
// of exposure is not a turn. A cell counts as changed when its gray level moves
// by more than kCellThreshold:
// - camera noise averages out within a cell (noise of 10 levels per pixel
//   leaves a cell's mean within 2 levels), so a still page changes no cell;
// - a steady hand moves a few pixels, which shifts a cell of 25 pixels by a
//   fraction of the edge's contrast: below kCellThreshold, and fewer cells
//   than kMotionFraction;
// - a page turned covers and uncovers most of the picture.

#include <QImage>

#include <vector>

namespace orv {

struct GrayGrid {
    int width = 0;
    int height = 0;
    std::vector<float> cells; // mean gray (0..255) of each cell, row by row, minus the grid's mean
    bool isEmpty() const { return cells.empty(); }
};

// The grid of a frame (any format; RGB32 is read directly): kGridWidth cells
// across and as many rows as the aspect asks; empty for a null frame.
GrayGrid reduceForDetection(const QImage& frame);

// The share of cells (0..1) that differ by more than kCellThreshold; 1 when
// the grids' sizes differ.
float changedShare(const GrayGrid& a, const GrayGrid& b);

class PageTurnDetector {
public:
    static constexpr int kGridWidth = 64;
    // Samples per cell side: enough to average noise out, few enough to stay cheap.
    static constexpr int kSamplesPerSide = 6;
    static constexpr float kCellThreshold = 12.0f;  // gray levels
    static constexpr float kMotionFraction = 0.02f; // of the cells, frame to frame
    static constexpr float kStillFraction = 0.005f; // of the cells, frame to frame
    static constexpr float kPageFraction = 0.03f;   // of the cells, against the page at rest
    static constexpr qint64 kStillMs = 600;         // stillness that makes a page lie flat

    enum class State { Learning, Watching, Moving };

    // One frame's grid at time ms (monotonic). True exactly once per page
    // turn, when the new page has been still for kStillMs.
    bool feed(const GrayGrid& grid, qint64 ms);
    bool feedFrame(const QImage& frame, qint64 ms) { return feed(reduceForDetection(frame), ms); }

    State state() const { return m_state; }
    // Forgets the page: the next stillness is learnt, not reported.
    void reset();

private:
    State m_state = State::Learning;
    GrayGrid m_previous;
    GrayGrid m_page; // the scene last seen at rest
    qint64 m_stillSince = -1;
};

} // namespace orv
