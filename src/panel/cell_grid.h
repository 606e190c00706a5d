// The cells a console shows: a grid that every write goes to first, clipped
// to it. Both consoles keep their screen in one: the terminal console draws
// its changed rows from it and re-prints it at exit, the in-memory console
// is nothing more for tests to read. Rows changed since the last output are
// marked dirty. Pure, no curses.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "panel/console.h"

namespace pk {

class CellGrid {
public:
    // Every cell blank (by default a space in attribute 0x07, as a cleared
    // terminal shows), every row dirty.
    void reset(int cols, int rows, Cell blank = Cell{' ', 0, 0x07});
    // A new size: the cells that fit are kept, new ones are blank; every
    // row dirty.
    void resize(int cols, int rows);
    int cols() const { return cols_; }
    int rows() const { return rows_; }
    const Cell& at(int x, int y) const { return cells_[static_cast<size_t>(y) * cols_ + x]; }
    std::span<const Cell> cells() const { return cells_; }  // row after row
    bool contains(Coord c) const { return c.x >= 0 && c.y >= 0 && c.x < cols_ && c.y < rows_; }

    // Consecutive cells of one row, cut at its right edge. False when at is
    // outside the grid or count is negative.
    bool writeChars(Coord at, const uint8_t* bytes, int count);
    bool writeAttrs(Coord at, const uint16_t* attrs, int count);
    // The first count cells from (0, 0), row after row, at most the grid.
    // False for a negative count.
    bool fillAttrs(uint16_t attr, int count);
    bool fillChars(uint8_t ch, int count);
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
    // How many of count cells from at fit on its row; -1 when at is outside
    // or count is negative.
    int clipRow(Coord at, int count) const;
    void markFirst(size_t cellCount);  // the rows of the first cellCount cells
    // The part of r inside the grid and inside a block of blockSize whose
    // origin sits at r's top left; false when empty.
    bool clip(const Rect& r, Coord blockSize, Rect& out) const;

    int cols_ = 0;
    int rows_ = 0;
    Cell blank_;
    std::vector<Cell> cells_;
    std::vector<bool> dirty_;
};

}  // namespace pk
