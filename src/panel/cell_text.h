// Text laid out in screen cells as UTF-8: the one place that turns a byte
// range into cells for the text view, the title and the command line when
// they show UTF-8 (in bytes mode each byte is simply one glyph cell).
#pragma once

#include <cstdint>

#include "panel/console.h"

namespace pk {

// Which bytes of the text a cell shows: the unit [begin, end).
struct CellSource {
    uint64_t begin = 0;
    uint64_t end = 0;
};

// Lays out text[0, length) from cell column `first` (0-based) on into
// cells[0, count): characters as CELL_CHAR cells (a two-cell character as a
// CELL_CHAR and a CELL_WIDE_TAIL), everything else, plain ASCII included, as
// the glyph of its byte,
// and with expandTabs a tab as blanks to the next 8-cell stop. A two-cell
// character cut by either edge shows its visible half as a blank. Only what
// the cells show changes, not their attributes; source[i], when given, gets
// the bytes of cell i. Returns the number of cells filled.
int Utf8Cells(const uint8_t* text, uint64_t length, uint64_t first, bool expandTabs, Cell* cells, int count,
              CellSource* source = nullptr);

// A character cell for one unit of text (its bytes as far as whole
// sequences fit in the cell).
void SetCharCell(Cell& cell, const uint8_t* unit, uint32_t length);

}  // namespace pk
