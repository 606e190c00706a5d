// pk's last frame as text for the terminal's normal screen (see
// frame_text.h).
#include "panel/frame_text.h"

#include <algorithm>

#include "panel/cell_glyphs.h"

namespace pk {

namespace {

// Without UTF-8 there is no line-drawing set on the normal screen: plain
// ASCII stands in for lines and shades.
char PlainGlyph(uint8_t byte) {
    bool lineDrawing = false;
    char c = AsciiGlyph(byte, &lineDrawing);
    if (!lineDrawing) return c;
    if (c == 'q') return '-';
    if (c == 'x') return '|';
    if (c == 'a' || c == '0') return '#';
    return '+';
}

bool BlankInDefault(const Cell& c, int colours) {
    CellStyle style = StyleFor(c.attr, colours);
    return c.kind == CELL_GLYPH && (c.ch == ' ' || c.ch == 0) && style.pair == 0 && !style.reverse;
}

}  // namespace

std::string FrameText(const CellGrid& grid, int rows, int cols, int colours, bool utf8) {
    std::string out;
    rows = std::min(rows, grid.rows());
    cols = std::min(cols, grid.cols());
    for (int y = 0; y < rows; ++y) {
        int end = cols;
        while (end > 0 && BlankInDefault(grid.at(end - 1, y), colours)) --end;
        int last = -1;
        for (int x = 0; x < end; ++x) {
            const Cell& c = grid.at(x, y);
            if (c.attr != last) out += SgrFor(c.attr, colours);
            last = c.attr;
            if (!utf8) {
                out += c.kind == CELL_GLYPH ? PlainGlyph(c.ch) : '?';
                continue;
            }
            ShownChars shown = CellShows(&grid.at(0, y), cols, x);
            for (int i = 0; i < shown.count && shown.width > 0; ++i) AppendUtf8(out, shown.chars[i]);
        }
        out += "\033[0m\r\n";
    }
    return out;
}

}  // namespace pk
