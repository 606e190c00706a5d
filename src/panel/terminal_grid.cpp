// The terminal console's shadow copy of its screen (see terminal_grid.h).
#include "panel/terminal_grid.h"

#include <algorithm>

namespace pk {

void ShadowGrid::reset(int cols, int rows) {
    cols_ = std::max(cols, 0);
    rows_ = std::max(rows, 0);
    Cell blank;
    blank.ch = ' ';
    blank.attr = 0x07;
    cells_.assign(static_cast<size_t>(cols_) * rows_, blank);
    dirty_.assign(static_cast<size_t>(rows_), true);
}

int ShadowGrid::clipRow(Coord at, int count) const {
    if (!contains(at) || count <= 0) return 0;
    return std::min(count, cols_ - at.x);
}

bool ShadowGrid::writeChars(Coord at, const uint8_t* bytes, int count) {
    if (!contains(at)) return false;
    int n = clipRow(at, count);
    for (int i = 0; i < n; ++i) cell(at.x + i, at.y).ch = bytes[i];
    if (n > 0) dirty_[static_cast<size_t>(at.y)] = true;
    return true;
}

bool ShadowGrid::writeAttrs(Coord at, const uint16_t* attrs, int count) {
    if (!contains(at)) return false;
    int n = clipRow(at, count);
    for (int i = 0; i < n; ++i) cell(at.x + i, at.y).attr = attrs[i];
    if (n > 0) dirty_[static_cast<size_t>(at.y)] = true;
    return true;
}

void ShadowGrid::fillAttrs(uint16_t attr, int count) {
    size_t n = std::min(static_cast<size_t>(std::max(count, 0)), cells_.size());
    for (size_t i = 0; i < n; ++i) cells_[i].attr = attr;
    for (size_t y = 0; cols_ > 0 && y * cols_ < n; ++y) dirty_[y] = true;
}

void ShadowGrid::fillChars(uint8_t ch, int count) {
    size_t n = std::min(static_cast<size_t>(std::max(count, 0)), cells_.size());
    for (size_t i = 0; i < n; ++i) cells_[i].ch = ch;
    for (size_t y = 0; cols_ > 0 && y * cols_ < n; ++y) dirty_[y] = true;
}

bool ShadowGrid::clip(const Rect& r, Coord blockSize, Rect& out) const {
    out.left = std::max<int16_t>(r.left, 0);
    out.top = std::max<int16_t>(r.top, 0);
    out.right = static_cast<int16_t>(std::min({static_cast<int>(r.right), cols_ - 1,
                                               r.left + blockSize.x - 1}));
    out.bottom = static_cast<int16_t>(std::min({static_cast<int>(r.bottom), rows_ - 1,
                                                r.top + blockSize.y - 1}));
    return out.left <= out.right && out.top <= out.bottom;
}

bool ShadowGrid::writeBlock(const Cell* block, Coord blockSize, const Rect& target) {
    Rect c;
    if (!clip(target, blockSize, c)) return false;
    for (int y = c.top; y <= c.bottom; ++y) {
        const Cell* src = block + static_cast<size_t>(y - target.top) * blockSize.x;
        for (int x = c.left; x <= c.right; ++x) cell(x, y) = src[x - target.left];
        dirty_[static_cast<size_t>(y)] = true;
    }
    return true;
}

bool ShadowGrid::readBlock(Cell* block, Coord blockSize, const Rect& source) const {
    Rect c;
    if (!clip(source, blockSize, c)) return false;
    for (int y = c.top; y <= c.bottom; ++y) {
        Cell* dst = block + static_cast<size_t>(y - source.top) * blockSize.x;
        for (int x = c.left; x <= c.right; ++x) dst[x - source.left] = at(x, y);
    }
    return true;
}

void ShadowGrid::markAllDirty() { std::fill(dirty_.begin(), dirty_.end(), true); }
void ShadowGrid::clearDirty() { std::fill(dirty_.begin(), dirty_.end(), false); }

}  // namespace pk
