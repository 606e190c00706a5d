// UTF-8 text laid out in screen cells (see cell_text.h).
#include "panel/cell_text.h"

#include <cstring>

#include "panel/utf8.h"

namespace pk {

namespace {

void SetGlyph(Cell& cell, uint8_t byte) {
    cell.ch = byte;
    cell.kind = CELL_GLYPH;
}

// How many bytes from p, at most `most`, are printable ASCII laid out as a
// glyph cell each: the run ends before any other byte, and its last byte is
// left out when a byte of 0x80 or above follows (a mark may join it).
uint64_t PlainRun(const uint8_t* text, uint64_t length, uint64_t p, uint64_t most) {
    uint64_t end = p;
    while (end < length && end - p < most && PrintableAscii(text[end])) ++end;
    if (end > p && end < length && text[end] >= 0x80) --end;
    return end - p;
}

}  // namespace

void SetCharCell(Cell& cell, const uint8_t* unit, uint32_t length) {
    // Whole sequences only: the marks that do not fit are left out.
    uint32_t kept = length <= uint32_t(CELL_TEXT_SIZE) ? length : 0;
    while (kept < length) {
        uint32_t n = DecodeUtf8(unit + kept, length - kept).length;
        if (n == 0 || kept + n > uint32_t(CELL_TEXT_SIZE)) break;
        kept += n;
    }
    cell.ch = 0;
    cell.kind = CELL_CHAR;
    std::memset(cell.text, 0, sizeof cell.text);
    std::memcpy(cell.text, unit, kept);
}

int Utf8Cells(const uint8_t* text, uint64_t length, uint64_t first, bool expandTabs, Cell* cells, int count,
              CellSource* source) {
    CellPoint at = WalkCells(text, length, first, UINT32_MAX, expandTabs);
    uint64_t p = at.byte;
    uint64_t column = at.column;
    int filled = 0;
    while (filled < count && p < length) {
        // Most of a log's text, a run at a time.
        if (uint64_t run = column >= first ? PlainRun(text, length, p, uint64_t(count - filled)) : 0; run > 0) {
            for (uint64_t i = 0; i < run; ++i, ++filled, ++p) {
                SetGlyph(cells[filled], text[p]);
                if (source != nullptr) source[filled] = CellSource{p, p + 1};
            }
            column += run;
            continue;
        }
        const bool tab = expandTabs && text[p] == '\t';
        TextUnit unit = tab ? TextUnit{1, uint16_t(8 - column % 8), true} : NextUnit(text, length, p);
        // The unit's cells from the first shown one; a cut wide character
        // shows a blank for its visible half.
        const bool whole = column >= first && (unit.width == 1 || filled + 1 < count);
        for (uint64_t c = column; c < column + unit.width && filled < count; ++c) {
            if (c < first) continue;
            Cell& cell = cells[filled];
            if (tab || (!unit.glyph && !whole)) {
                SetGlyph(cell, ' ');
            } else if (unit.glyph || unit.length == 1) {
                SetGlyph(cell, text[p]);  // plain ASCII is its own glyph
            } else if (c == column) {
                SetCharCell(cell, text + p, unit.length);
            } else {
                cell.ch = 0;
                cell.kind = CELL_WIDE_TAIL;
            }
            if (source != nullptr) source[filled] = CellSource{p, p + unit.length};
            ++filled;
        }
        column += unit.width;
        p += unit.length;
    }
    return filled;
}

}  // namespace pk
