#include "BarcodeLocator.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace orv {

namespace {

constexpr int kCell = 8;         // pixels a side
constexpr int kMinContrast = 36; // darkest to lightest in a cell of code
// Sum of the steps between neighbours in a cell, as a share of what a cell
// of alternating stripes one pixel wide would give: codes with modules up
// to about four pixels reach it, text strokes and textures mostly not.
constexpr double kMinEdges = 0.16;
// Share of dark pixels in the busy cells of a block: codes are near a half,
// text far less.
constexpr double kMinDark = 0.28, kMaxDark = 0.78;
constexpr int kDenseDark = 40; // per cent of a cell dark: a matrix code's, rarely print's

struct Cell {
    bool busy = false;
    int dark = 0; // pixels below the middle of the cell's range
};

Cell measure(const QImage& gray, int left, int top) {
    const int right = std::min(left + kCell, gray.width() - 1);
    const int bottom = std::min(top + kCell, gray.height() - 1);
    int low = 255, high = 0;
    long edges = 0;
    for (int y = top; y < bottom; ++y) {
        const uchar* row = gray.constScanLine(y);
        const uchar* below = gray.constScanLine(y + 1);
        for (int x = left; x < right; ++x) {
            low = std::min<int>(low, row[x]);
            high = std::max<int>(high, row[x]);
            edges += std::abs(row[x + 1] - row[x]) + std::abs(below[x] - row[x]);
        }
    }
    Cell cell;
    const int range = high - low;
    const int pixels = (right - left) * (bottom - top);
    if (range < kMinContrast || pixels <= 0 || edges < kMinEdges * range * pixels)
        return cell;
    cell.busy = true;
    const int middle = (low + high) / 2;
    for (int y = top; y < bottom; ++y) {
        const uchar* row = gray.constScanLine(y);
        for (int x = left; x < right; ++x)
            cell.dark += row[x] < middle;
    }
    return cell;
}

// Blocks of the cells inBlock takes, touching at a side or a corner, that
// may be codes; bounds: the picture's.
template <typename Take>
QList<CodeRegion> blocksOf(const std::vector<Cell>& cells, int columns, int rows, Take inBlock,
                           const QRect& bounds) {
    QList<CodeRegion> regions;
    std::vector<int> label(cells.size(), -1), stack;
    for (size_t start = 0; start < cells.size(); ++start) {
        if (!inBlock(cells[start]) || label[start] >= 0)
            continue;
        int busy = 0;
        long dark = 0;
        int minX = columns, minY = rows, maxX = -1, maxY = -1;
        stack.push_back(int(start));
        label[start] = int(start);
        while (!stack.empty()) {
            const int i = stack.back();
            stack.pop_back();
            const int x = i % columns, y = i / columns;
            ++busy;
            dark += cells[size_t(i)].dark;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= columns || ny >= rows)
                        continue;
                    const size_t n = size_t(ny) * size_t(columns) + size_t(nx);
                    if (inBlock(cells[n]) && label[n] < 0) {
                        label[n] = int(start);
                        stack.push_back(int(n));
                    }
                }
        }
        const int width = maxX - minX + 1, height = maxY - minY + 1;
        const double darkShare = double(dark) / (double(busy) * kCell * kCell);
        // A code is at least a few cells each way and busy over much of its block.
        if (width < 3 || height < 3 || busy * 5 < width * height || darkShare < kMinDark ||
            darkShare > kMaxDark)
            continue;
        // The quiet zone: ten modules of a 1-D code are about a tenth of it.
        const int grow = kCell + std::max(width, height) * kCell / 8;
        const QRect block(minX * kCell, minY * kCell, width * kCell, height * kCell);
        regions.append({block.adjusted(-grow, -grow, grow, grow) & bounds, busy});
    }
    return regions;
}

} // namespace

QList<CodeRegion> locateCodeRegions(const QImage& gray) {
    const int columns = gray.width() / kCell, rows = gray.height() / kCell;
    if (gray.format() != QImage::Format_Grayscale8 || columns < 2 || rows < 2)
        return {};
    std::vector<Cell> cells(size_t(columns) * size_t(rows));
    for (int cy = 0; cy < rows; ++cy)
        for (int cx = 0; cx < columns; ++cx)
            cells[size_t(cy) * size_t(columns) + size_t(cx)] =
                measure(gray, cx * kCell, cy * kCell);

    QList<CodeRegion> regions = blocksOf(
        cells, columns, rows, [](const Cell& c) { return c.busy; }, gray.rect());
    // A small 2-D code touching a line of print joins the print's block,
    // whose ink is then too little: blocks of the cells that are about half
    // dark, as a matrix code's are and print's are not, are looked for too.
    for (const CodeRegion& dense : blocksOf(
             cells, columns, rows,
             [](const Cell& c) { return c.busy && c.dark * 100 >= kDenseDark * kCell * kCell; },
             gray.rect())) {
        if (std::none_of(regions.begin(), regions.end(),
                         [&](const CodeRegion& r) { return r.area.contains(dense.area.center()); }))
            regions << dense;
    }
    std::stable_sort(regions.begin(), regions.end(),
                     [](const CodeRegion& a, const CodeRegion& b) { return a.busy > b.busy; });
    return regions;
}

} // namespace orv
