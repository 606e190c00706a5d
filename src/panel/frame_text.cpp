// pk's last frame as text for the terminal's normal screen (see
// frame_text.h).
#include "panel/frame_text.h"

#include <algorithm>

#include "panel/cell_glyphs.h"

namespace pk {

namespace {

void AppendUtf8(std::string& s, char32_t c) {
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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
    return (c.ch == ' ' || c.ch == 0) && style.pair == 0 && !style.reverse;
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
            if (utf8) AppendUtf8(out, Cp437Glyph(c.ch));
            else out += PlainGlyph(c.ch);
        }
        out += "\033[0m\r\n";
    }
    return out;
}

}  // namespace pk
