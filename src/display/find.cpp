// The forward search of the current file: RunFind with its messages and
// flags, the text-view search (a hit never crosses a line end), the hex-view
// search (a plain byte range), and moving the view to a hit. The bytes are
// searched from the start position in one sweep (text/byte_scan.cpp); a text hit
// gets its line number from the line index.
#include "display/find.h"

#include <algorithm>
#include <cstring>

#include "display/display_state.h"
#include "files/file_change.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "panel/panel.h"
#include "panel/ascii.h"
#include "text/byte_scan.h"
#include "panel/utf8.h"

namespace pk {

namespace {

// A text hit may not take in the carriage return that ends a line (before a
// line feed or at the end of the data).
bool TakesClosingCr(const uint8_t* data, size_t size, size_t end) {
    return data[end - 1] == '\r' && (end == size || data[end] == '\n');
}

// Start of the line that holds offset at, knowing that the line starting at
// lineStart is at or before it.
size_t LineStartOf(const uint8_t* data, size_t lineStart, size_t at) {
    if (at == lineStart) return at;
    const void* lf = memrchr(data + lineStart, '\n', at - lineStart);
    return lf ? size_t(static_cast<const uint8_t*>(lf) - data) + 1 : lineStart;
}

// 1-based display column at which byte index b (0-based) of a line starts
// when tabs are expanded to 8-column stops.
uint64_t DisplayColumnOf(const uint8_t* text, uint64_t b) { return WalkColumns(text, b, UINT64_MAX).column + 1; }

// The cells [begin, end) (0-based) of the character that byte b of a line
// shown as UTF-8 belongs to.
struct CellSpan {
    uint64_t begin, end;
};
CellSpan CellsOfByte(const uint8_t* text, uint64_t length, uint64_t b) {
    const bool tabs = settings.tabsOn != 0;
    CellPoint at = WalkCells(text, length, UINT64_MAX, b, tabs);
    uint64_t width = tabs && text[at.byte] == '\t' ? 8 - at.column % 8 : NextUnit(text, length, at.byte).width;
    return {at.column, at.column + width};
}

}  // namespace

int HexToBytes(std::string_view digits, uint8_t* out) {
    int count = int(digits.size() / 2);
    for (int i = 0; i < count; ++i) out[i] = uint8_t(HexValue(digits[2 * i]) * 16 + HexValue(digits[2 * i + 1]));
    return count;
}

void StartFindAtView() {
    FileEntry& e = CurrentEntry();
    e.findStart = e.view;
    LineInfo line;
    if (!ShowingUtf8() || e.view.column <= 1 || !LineAt(e.lines(), e.cache, e.view.line, line)) return;
    // The byte of the character in the first cell (past the line's end when
    // the line is narrower).
    CellPoint at = WalkCells(line.start, line.length, e.view.column - 1, UINT64_MAX, settings.tabsOn != 0);
    e.findStart.column = at.byte + 1;
}

int RevealFoundText() {
    FileEntry& e = CurrentEntry();
    FilePosition before = e.view;
    uint64_t rows = program.dataRows;
    if (e.found.line < e.view.line || e.found.line > uint64_t(e.view.line) + rows - 1) {
        // At least one, so that a hit never lands below a one-row view.
        uint64_t h = std::max<uint64_t>(std::min<uint64_t>(program.dataRows / 2, e.found.line), 1);
        e.view.line = e.found.line - h + 1;
    }
    uint64_t width = program.screenWidth;
    uint64_t first = e.found.column;
    uint64_t last = first + display.foundLength - 1;
    // With tabs expanded, or in UTF-8, the hit's bytes stand elsewhere on
    // the screen than their byte columns: compare the columns where they are
    // shown, the cells of every character the hit's bytes belong to.
    LineInfo line;
    const bool utf8 = ShowingUtf8();
    if ((utf8 || (settings.tabsOn && !display.ebcdicOn)) && first >= 1 &&
        LineAt(e.lines(), e.cache, e.found.line, line) && last <= line.length) {
        if (utf8) {
            first = CellsOfByte(line.start, line.length, first - 1).begin + 1;
            last = CellsOfByte(line.start, line.length, last - 1).end;
        } else {
            first = DisplayColumnOf(line.start, first - 1);
            last = DisplayColumnOf(line.start, last) - 1;
        }
    }
    if (first < e.view.column || last > uint64_t(e.view.column) + width - 1)
        e.view.column = last > width ? last - width + 1 : 1;
    return before.line != e.view.line || before.column != e.view.column;
}

int RevealFoundBytes() {
    FileEntry& e = CurrentEntry();
    uint64_t page = program.hexPageBytes;
    uint64_t first = e.found.offset;
    uint64_t last = first + display.foundLength - 1;
    if (first >= e.view.offset && last <= e.view.offset + page - 1) return 0;
    uint64_t before = e.view.offset;
    if (first < e.view.offset) {
        e.view.offset = first - first % 16;
    } else {
        uint64_t top = first - std::min(page / 2, first);
        e.view.offset = top - top % 16;
    }
    return e.view.offset != before;
}

int FindInText(const uint8_t* s, uint32_t n) {
    FileEntry& e = CurrentEntry();
    const uint8_t* data = e.data;
    size_t size = e.size;
    LineInfo line;
    if (n == 0 || !LineAt(e.lines(), e.cache, e.findStart.line, line)) return 0;
    // A line feed belongs to no line's text, so such a string is never found.
    if (std::memchr(s, '\n', n)) return 0;
    bool fold = display.exactCase == 0;
    uint64_t skip = std::max<uint64_t>(e.findStart.column, 1) - 1;
    size_t from = line.offset + size_t(std::min<uint64_t>(skip, line.length));
    size_t hit = ScanForNeedle(data, size, from, s, n, fold);
    while (hit != size && TakesClosingCr(data, size, hit + n)) hit = ScanForNeedle(data, size, hit + 1, s, n, fold);
    if (hit == size) return 0;
    // The hit's line number needs the count that far.
    if (!AwaitCounted(e, CountNeed{hit + 1, 0})) return FIND_ABANDONED;

    size_t start = LineStartOf(data, line.offset, hit);
    uint64_t number = LineOfOffset(e.lines(), LineCache{line.offset, e.findStart.line, line.start}, hit);
    e.cache = LineCache{start, number, data + start};
    e.found.line = number;
    e.found.column = hit - start + 1;
    display.foundLength = n;
    RevealFoundText();
    e.findStart = e.found;
    return 1;
}

int FindInHex(const uint8_t* s, uint32_t n) {
    FileEntry& e = CurrentEntry();
    if (n == 0 || e.findStart.offset >= e.size || e.size - e.findStart.offset < n) return 0;
    size_t hit = ScanForNeedle(e.data, e.size, e.findStart.offset, s, n, display.exactCase == 0);
    if (hit == e.size) return 0;
    e.found.offset = hit;
    display.foundLength = n;
    RevealFoundBytes();
    e.findStart = e.found;
    return 1;
}

int RunFind() {
    if (settings.findLength == 0) {
        Beep();
        return 0;
    }
    uint32_t n = std::min<uint32_t>(settings.findLength, FIND_MAX);
    int hit = display.hexView ? FindInHex(settings.findString, n) : FindInText(settings.findString, n);
    FileEntry& e = CurrentEntry();
    if (hit == FIND_ABANDONED) return 0;
    if (hit) {
        e.findFlags = uint16_t((e.findFlags & ~FIND_FAILED) | FOUND_SHOWN);
        // The next repeat starts one byte on, so overlapping hits are found.
        if (e.findStart.column != UINT64_MAX) ++e.findStart.column;
        if (e.findStart.offset != UINT64_MAX) ++e.findStart.offset;
        return 1;
    }
    SetMessage("Not found");
    e.findFlags = uint16_t((e.findFlags | FIND_FAILED) & ~FOUND_SHOWN);
    e.findStart = FilePosition{1, 1, 0};
    return 0;
}

}  // namespace pk
