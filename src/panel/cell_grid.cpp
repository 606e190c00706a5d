// A console's grid of cells (see cell_grid.h).
#include "panel/cell_grid.h"

#include <algorithm>
#include <cstring>

namespace pk {

void CellGrid::reset(int cols, int rows, Cell blank) {
    cols_ = std::max(cols, 0);
    rows_ = std::max(rows, 0);
    blank_ = blank;
    cells_.assign(static_cast<size_t>(cols_) * rows_, blank);
    dirty_.assign(static_cast<size_t>(rows_), true);
}

void CellGrid::resize(int cols, int rows) {
    CellGrid grown;
    grown.reset(cols, rows, blank_);
    int keepCols = std::min(cols_, grown.cols_);
    for (int y = 0; keepCols > 0 && y < std::min(rows_, grown.rows_); ++y)
        std::copy_n(&at(0, y), keepCols, &grown.cell(0, y));
    *this = std::move(grown);
}

int CellGrid::clipRow(Coord at, int count) const {
    if (!contains(at) || count < 0) return -1;
    return std::min(count, cols_ - at.x);
}

bool CellGrid::writeChars(Coord at, const uint8_t* bytes, int count) {
    int n = clipRow(at, count);
    if (n < 0) return false;
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        Cell& c = cell(at.x + i, at.y);
        changed = changed || c.ch != bytes[i] || c.kind != CELL_GLYPH;
        c.ch = bytes[i];
        c.kind = CELL_GLYPH;
    }
    if (changed) dirty_[static_cast<size_t>(at.y)] = true;
    return true;
}

bool CellGrid::writeAttrs(Coord at, const uint16_t* attrs, int count) {
    int n = clipRow(at, count);
    if (n < 0) return false;
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        uint16_t& attr = cell(at.x + i, at.y).attr;
        changed = changed || attr != attrs[i];
        attr = attrs[i];
    }
    if (changed) dirty_[static_cast<size_t>(at.y)] = true;
    return true;
}

void CellGrid::markFirst(size_t cellCount) {
    for (size_t y = 0; cols_ > 0 && y * cols_ < cellCount; ++y) dirty_[y] = true;
}

bool CellGrid::fillAttrs(uint16_t attr, int count) {
    if (count < 0) return false;
    size_t n = std::min(static_cast<size_t>(count), cells_.size());
    for (size_t i = 0; i < n; ++i) cells_[i].attr = attr;
    markFirst(n);
    return true;
}

bool CellGrid::fillChars(uint8_t ch, int count) {
    if (count < 0) return false;
    size_t n = std::min(static_cast<size_t>(count), cells_.size());
    for (size_t i = 0; i < n; ++i) {
        cells_[i].ch = ch;
        cells_[i].kind = CELL_GLYPH;
    }
    markFirst(n);
    return true;
}

bool CellGrid::clip(const Rect& r, Coord blockSize, Rect& out) const {
    out.left = std::max<int16_t>(r.left, 0);
    out.top = std::max<int16_t>(r.top, 0);
    out.right = static_cast<int16_t>(std::min({static_cast<int>(r.right), cols_ - 1,
                                               r.left + blockSize.x - 1}));
    out.bottom = static_cast<int16_t>(std::min({static_cast<int>(r.bottom), rows_ - 1,
                                                r.top + blockSize.y - 1}));
    return out.left <= out.right && out.top <= out.bottom;
}

bool CellGrid::writeBlock(const Cell* block, Coord blockSize, const Rect& target) {
    Rect c;
    if (!clip(target, blockSize, c)) return false;
    for (int y = c.top; y <= c.bottom; ++y) {
        const Cell* src = block + static_cast<size_t>(y - target.top) * blockSize.x + (c.left - target.left);
        Cell* dst = &cell(c.left, y);
        size_t bytes = static_cast<size_t>(c.right - c.left + 1) * sizeof(Cell);
        if (std::memcmp(dst, src, bytes) == 0) continue;  // nothing to draw again
        std::memcpy(dst, src, bytes);
        dirty_[static_cast<size_t>(y)] = true;
    }
    return true;
}

bool CellGrid::readBlock(Cell* block, Coord blockSize, const Rect& source) const {
    Rect c;
    if (!clip(source, blockSize, c)) return false;
    for (int y = c.top; y <= c.bottom; ++y) {
        Cell* dst = block + static_cast<size_t>(y - source.top) * blockSize.x;
        for (int x = c.left; x <= c.right; ++x) dst[x - source.left] = at(x, y);
    }
    return true;
}

void CellGrid::markAllDirty() { std::fill(dirty_.begin(), dirty_.end(), true); }
void CellGrid::clearDirty() { std::fill(dirty_.begin(), dirty_.end(), false); }

}  // namespace pk
