// The find of the current file: RunFind with its messages and flags,
// forward or backward from the start position (the search itself is
// text/find_engine.cpp's), the count of "all", and moving the view to a
// hit. A text-view hit gets its line number from the line model.
#include "display/find.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "display/display_state.h"
#include "display/find_current.h"
#include "files/file_change.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "panel/panel.h"
#include "panel/ascii.h"
#include "panel/utf8.h"

namespace pk {

namespace {

bool countNext = false;  // the next RunFind also counts every hit ("all")

// findStart as a data offset: in the text view the line's start plus the
// column, held to the line with its line end (a hex string's repeat steps
// over line ends); past the last line, beyond the data. False for line 0,
// which names no position.
bool StartOffset(const FileEntry& e, uint64_t& at) {
    const uint64_t size = e.size;
    if (display.hexView) {
        at = std::min<uint64_t>(e.findStart.offset, size + 1);
        return true;
    }
    LineInfo line;
    if (e.findStart.line == 0) return false;
    if (!LineAt(e.lines(), e.cache, e.findStart.line, line)) {
        at = size + 1;
        return true;
    }
    uint64_t raw = uint64_t(line.offset) + line.length;
    if (raw < size && e.data[raw] == '\r') ++raw;
    if (raw < size) ++raw;
    uint64_t skip = std::max<uint64_t>(e.findStart.column, 1) - 1;
    at = std::min<uint64_t>(uint64_t(line.offset) + skip, raw);
    return true;
}

// A miss: the message, the flags, and the next repeat starting from the
// top (forward) or the end (backward) of the file.
int Miss(FileEntry& e, const char* message) {
    if (message != nullptr) SetMessage(message);
    e.findFlags = uint16_t((e.findFlags | FIND_FAILED) & ~FOUND_SHOWN);
    e.findStart = settings.findBackward ? EndPosition() : FilePosition{1, 1, 0};
    return 0;
}

// Puts the hit into found (in the text view its line and column, found
// through the line model) and moves the view to it.
void ShowHit(FileEntry& e, FindHit hit) {
    display.foundLength = uint32_t(std::min<uint64_t>(hit.end - hit.start, UINT32_MAX));
    if (display.hexView) {
        e.found.offset = hit.start;
        RevealFoundBytes();
        return;
    }
    const TextLines text = e.lines();
    OffsetToLineColumn(text, e.cache, hit.start, e.found.line, e.found.column);
    uint64_t start = hit.start - (e.found.column - 1);
    e.cache.offset = start;
    e.cache.line = e.found.line;
    e.cache.start = e.data + start;
    RevealFoundText();
}

// "1 hit", "1,234 hits".
void ReportCount(uint64_t count) {
    std::string digits = std::to_string(count), text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    text += count == 1 ? " hit" : " hits";
    SetMessage(text.c_str());
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
    // An empty hit (a pattern's) is revealed as the character where it stands.
    uint64_t last = first + std::max<uint32_t>(display.foundLength, 1) - 1;
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
    uint64_t last = first + std::max<uint32_t>(display.foundLength, 1) - 1;
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

FilePosition EndPosition() {
    FilePosition p;
    p.line = std::numeric_limits<decltype(p.line)>::max();
    p.column = std::numeric_limits<decltype(p.column)>::max();
    p.offset = std::numeric_limits<decltype(p.offset)>::max();
    return p;
}

void CountOnNextFind() { countNext = true; }

int RunFind() {
    const bool count = std::exchange(countNext, false);
    if (settings.findLength == 0) {
        Beep();
        return 0;
    }
    FileEntry& e = CurrentEntry();
    size_t errorOffset = 0;
    Finder* f = CurrentFinder(errorOffset);
    if (f == nullptr) {
        ReportBadPattern(errorOffset);
        return Miss(e, nullptr);
    }
    const std::span<const uint8_t> data = e.bytes();
    uint64_t at = 0;
    FindHit hit;
    if (StartOffset(e, at))
        hit = settings.findBackward ? FindLastBefore(*f, data, at) : FindFirstAcross(*f, data, at, NO_HIT);
    if (f->failed) return Miss(e, "Pattern too complex");
    if (hit.start == NO_HIT) return Miss(e, "Not found");
    // A text hit's line number needs the count that far; a wait the user
    // gives up leaves everything as it was.
    if (!display.hexView && !AwaitCounted(e, CountNeed{hit.start + 1, 0})) return 0;
    ShowHit(e, hit);
    e.findStart = e.found;
    e.findFlags = uint16_t((e.findFlags & ~FIND_FAILED) | FOUND_SHOWN);
    if (!settings.findBackward) {
        // The next repeat starts one byte on (a pattern's after its match),
        // so overlapping hits of a string are found.
        uint64_t step = NextSearchFrom(*f, hit) - hit.start;
        e.findStart.column = SaturatingAdd(e.findStart.column, step);
        e.findStart.offset = SaturatingAdd(e.findStart.offset, step);
    }
    if (!count) return FIND_HIT;
    ReportCount(CountHits(*f, data));
    return FIND_HIT_COUNTED;
}

}  // namespace pk
