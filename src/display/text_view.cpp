// The text view: one line of the current file per row of the data area,
// from line view.line and display column view.column, with tabs expanded to
// 8-column stops (tabs on, EBCDIC off), EBCDIC translation, UTF-8 shown as
// characters (columns are then screen cells), and the bytes of the last find
// hit and of every other hit of the find on screen shown bright.
#include <vector>

#include "display/display_state.h"
#include "display/find_current.h"
#include "display/views.h"
#include "files/file_table.h"
#include "panel/cell_text.h"

namespace pk {

namespace {

// Bytes of a line that a row may show from display column `column` (1-based):
// a cell takes at most a character's four bytes, and the slack leaves room
// for zero-width characters. The end of a longer line is not looked for, so
// a row costs the same on a line of any length, even one still being counted.
constexpr uint64_t ROW_SLACK = uint64_t(64) << 10;
uint64_t RowWindow(uint64_t column, int width) { return (column + uint64_t(width)) * 4 + ROW_SLACK; }

// The NextCell state at display index `first` of a line, reached without
// producing the skipped cells one by one: without tab expansion a display
// index is a byte index; with it, the tab-column walk finds the byte.
// Drawing thus costs the same at any column of a long line.
CellCursor SeekColumn(const uint8_t* text, uint64_t length, uint64_t first, bool expandTabs) {
    CellCursor cursor;
    if (!expandTabs) {
        cursor.position = first < length ? first : length;
        return cursor;
    }
    ColumnPoint point = WalkColumns(text, length, first);
    cursor.position = point.byte;
    cursor.pending = point.pending;
    return cursor;
}

// The cells of every hit of the find on the row bright too: a cell is lit
// when any byte it shows lies in a hit (sources: the bytes of each cell, in
// order, as byte indexes of the line at lineOffset).
void LightHits(Cell* row, const CellSource* sources, int filled, uint64_t lineOffset) {
    static std::vector<FindHit> hits;
    if (filled == 0) return;
    HitsOnScreen(lineOffset + sources[0].begin, lineOffset + sources[filled - 1].end, hits);
    size_t h = 0;
    for (int c = 0; c < filled && h < hits.size(); ++c) {
        uint64_t begin = lineOffset + sources[c].begin, end = lineOffset + sources[c].end;
        while (h < hits.size() && hits[h].end <= begin) ++h;
        if (h < hits.size() && hits[h].start < end) row[c].attr = ATTR_FOUND;
    }
}

// A row of UTF-8 text: the cells of every character the hit's bytes belong
// to are bright.
int BuildUtf8Row(const uint8_t* start, uint64_t length, Cell* row, uint64_t first, int64_t litFirst,
                 int64_t litLast, CellSource* sources) {
    int filled = Utf8Cells(start, length, first, settings.tabsOn != 0, row, program.screenWidth, sources);
    for (int c = 0; c < filled; ++c) {
        const CellSource& source = sources[c];
        bool lit = litFirst <= litLast && int64_t(source.begin) <= litLast && int64_t(source.end) > litFirst;
        row[c].attr = lit ? ATTR_FOUND : ATTR_NORMAL;
    }
    return filled;
}

}  // namespace

void BuildTextRow(const uint8_t* start, uint64_t length, Cell* row, uint64_t lineNumber) {
    const FileEntry& entry = CurrentEntry();
    const bool expandTabs = settings.tabsOn && !display.ebcdicOn;
    const uint64_t first = entry.view.column > 0 ? entry.view.column - 1 : 0;
    // Byte indexes of the line that the last find hit covers.
    int64_t litFirst = 1, litLast = 0;
    if ((entry.findFlags & FOUND_SHOWN) && display.foundLength != 0 && lineNumber == entry.found.line) {
        litFirst = int64_t(entry.found.column) - 1;
        litLast = litFirst + int64_t(display.foundLength) - 1;
    }
    static std::vector<CellSource> sources;
    sources.resize(program.screenWidth);
    const uint64_t lineOffset = uint64_t(start - entry.data);
    int filled = 0;
    if (ShowingUtf8()) {
        filled = BuildUtf8Row(start, length, row, first, litFirst, litLast, sources.data());
        return LightHits(row, sources.data(), filled, lineOffset);
    }
    CellCursor cursor = SeekColumn(start, length, first, expandTabs);
    for (int c = 0; c < program.screenWidth; ++c) {
        int ch = NextCell(start, length, first + uint64_t(c), cursor, expandTabs);
        if (ch == END_OF_LINE) break;
        uint8_t shown = display.ebcdicOn ? EbcdicTable[ch] : uint8_t(ch);
        // Every blank of an expanded tab carries the tab's byte index.
        int64_t source = int64_t(cursor.position) - 1;
        bool lit = source >= litFirst && source <= litLast;
        row[c].ch = shown;  // the row is blank glyph cells already
        row[c].attr = lit ? ATTR_FOUND : ATTR_NORMAL;
        sources[size_t(c)] = CellSource{cursor.position - 1, cursor.position};
        filled = c + 1;
    }
    LightHits(row, sources.data(), filled, lineOffset);
}

void DrawTextView() {
    if (program.viewCells == nullptr) return;
    ClearDataArea();
    FileEntry& entry = CurrentEntry();
    const TextLines text = entry.lines();
    const uint64_t window = RowWindow(entry.view.column, program.screenWidth);
    LineCache at = entry.cache;
    LineInfo line;
    for (int r = 0; entry.data != nullptr && r < program.dataRows; ++r) {
        // Each row's line is found from the one above it, or through the
        // index past a line too long to read whole.
        const uint64_t n = entry.view.line + uint64_t(r);
        if (!LineAt(text, at, n, line, window)) break;
        at = LineCache{line.offset, n, line.start};
        // The cache follows the top row, so the next draw and the walks of
        // the movement keys start from here.
        if (r == 0) entry.cache = at;
        BuildTextRow(line.start, line.length, program.viewCells + size_t(r) * program.screenWidth, n);
    }
    WriteDataArea();
}

}  // namespace pk
