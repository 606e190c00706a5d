// pk's last frame as text for a terminal's normal screen, where it stays
// after pk ends. Pure, no curses.
#pragma once

#include <string>

#include "panel/cell_grid.h"

namespace pk {

// The first rows rows and cols columns of grid: each row's glyphs (UTF-8,
// or plain ASCII without it) with SGR colours for colours colours (see
// StyleFor), trailing blanks in default colours trimmed, every row ended
// with a colour reset and CR LF.
std::string FrameText(const CellGrid& grid, int rows, int cols, int colours, bool utf8);

}  // namespace pk
