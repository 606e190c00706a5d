// The terminal console's own copy of its screen: a grid of cells of the
// start-up size that every write goes to first (clipped to it), which the
// console reads back for readAttribute/readCells and re-prints at exit.
// Rows changed since the last output are marked dirty. Pure, no curses.
#pragma once

#include <cstdint>
#include <vector>

#include "panel/console.h"

namespace pk {

class ShadowGrid {
public:
    void reset(int cols, int rows);  // blanks in attribute 0x07, every row dirty
    int cols() const { return cols_; }
    int rows() const { return rows_; }
    const Cell& at(int x, int y) const { return cells_[static_cast<size_t>(y) * cols_ + x]; }
    bool contains(Coord c) const { return c.x >= 0 && c.y >= 0 && c.x < cols_ && c.y < rows_; }

    // Consecutive cells of one row, cut at its right edge. False when at is
    // outside the grid.
    bool writeChars(Coord at, const uint8_t* bytes, int count);
    bool writeAttrs(Coord at, const uint16_t* attrs, int count);
    // The first count cells from (0, 0), row after row, at most the grid.
    void fillAttrs(uint16_t attr, int count);
    void fillChars(uint8_t ch, int count);
    // Cell block transfers: block (blockSize) origin at target's top left;
    // the part outside the grid or the block is skipped. False when nothing
    // of target lies inside both.
    bool writeBlock(const Cell* block, Coord blockSize, const Rect& target);
    bool readBlock(Cell* block, Coord blockSize, const Rect& source) const;

    bool dirty(int y) const { return dirty_[static_cast<size_t>(y)]; }
    void markAllDirty();
    void clearDirty();

private:
    Cell& cell(int x, int y) { return cells_[static_cast<size_t>(y) * cols_ + x]; }
    int clipRow(Coord at, int count) const;
    // The part of r inside the grid and inside a block of blockSize whose
    // origin sits at r's top left; false when empty.
    bool clip(const Rect& r, Coord blockSize, Rect& out) const;

    int cols_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_;
    std::vector<bool> dirty_;
};

}  // namespace pk
