// The line model: what a line is in a block of bytes, how tabs expand, and
// how lines are found: from a one-line cache and from the line index that
// loading records (line_scan.h), walking at most one index interval. It
// works on a byte range and its own records, so file loading can use it.
//
// Line rules: a line ends at a line feed, which belongs to no line's text; a
// carriage return right before the line's end is not part of the text; bytes
// after the last line feed form one more line. Lines and columns count from 1.
#pragma once

#include <cstdint>
#include <span>

namespace pk {

using Bytes = std::span<const uint8_t>;

// a + b, or the largest value when the sum would not fit: positions and
// counts typed or stepped never wrap around.
constexpr uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// Bytes between two entries of the line index.
constexpr uint64_t LINE_INDEX_STEP = uint64_t(64) << 10;

// The line index: entry k is the number of line feeds in
// data[0, k * LINE_INDEX_STEP), for every such point inside the data. An
// empty index makes every walk start from the cache alone.
using LineIndex = std::span<const uint64_t>;

// A block of text with what loading measured of it.
struct TextLines {
    Bytes data;
    uint64_t lineCount = 0;
    LineIndex index;
};

// The last line located: its byte offset, number (1-based) and first byte
// (nullptr: never set, taken as line 1 at the start of the data).
struct LineCache {
    uint64_t offset = 0;
    uint64_t line = 1;
    const uint8_t* start = nullptr;
};

// A located line: its start, byte offset and text length.
struct LineInfo {
    const uint8_t* start = nullptr;
    uint64_t offset = 0;
    uint64_t length = 0;
};

// Display state of NextCell within one line.
struct CellCursor {
    uint64_t position = 0;  // next byte of the line
    uint64_t pending = 0;   // blanks of an expanded tab still to give
};

constexpr int END_OF_LINE = -1;

// Columns a tab at 1-based column k occupies: 8 - ((k - 1) mod 8).
constexpr uint64_t TabWidth(uint64_t column) { return uint64_t(8 - (column - 1) % 8); }

// A point on a line's text with tabs expanded to 8-column stops: a byte
// index, the 0-based display column there, and the blanks of a tab still to
// come when the point lies inside the tab (the byte index is then the one
// after the tab).
struct ColumnPoint {
    uint64_t byte = 0;
    uint64_t column = 0;
    uint64_t pending = 0;
};
// Walks text[0, length) from its start to display column `limit` (0-based),
// or to its end when the text is narrower; tabs are skipped with memchr, so
// the walk costs the same at any column of a long line.
ColumnPoint WalkColumns(const uint8_t* text, uint64_t length, uint64_t limit);

// Start of the following line; data.end() + 1 when there is none (beyond
// every valid offset).
const uint8_t* NextLineStart(Bytes data, const uint8_t* start);
// Start of the preceding line, or nullptr for the first line.
const uint8_t* PrevLineStart(Bytes data, const uint8_t* start);
// The line at start. Its end is looked for within `window` bytes only: a
// longer line's text is cut there, so a caller that shows the start of a
// line never reads the whole of a long one.
LineInfo LineLength(Bytes data, const uint8_t* start, uint64_t window = UINT64_MAX);
// Line n (1-based), walked from the cache or the index, whichever is nearer;
// the cache does not move. False for 0 or n > lineCount. window: as for
// LineLength.
bool LineAt(const TextLines& text, const LineCache& cache, uint64_t n, LineInfo& out, uint64_t window = UINT64_MAX);
// Next display character of a line (a byte 0..255) or END_OF_LINE. index is
// the 0-based display column the character will occupy; expandTabs is
// "tabs on and EBCDIC off".
int NextCell(const uint8_t* text, uint64_t length, uint64_t index, CellCursor& cursor, bool expandTabs);
// Number of the line holding offset: one more than the line feeds before it
// (so the offset just past a final line feed gives lineCount + 1).
uint64_t LineOfOffset(const TextLines& text, const LineCache& cache, uint64_t offset);
// The last line that starts at or before offset: sets cache to it and
// returns its number.
uint64_t TopLineForOffset(const TextLines& text, uint64_t offset, LineCache& cache);
// Line number and 1-based byte column of an offset.
void OffsetToLineColumn(const TextLines& text, const LineCache& cache, uint64_t offset, uint64_t& line,
                        uint64_t& column);
// Byte offset of line n, byte column k; 0 when line n does not exist.
uint64_t LineColumnToOffset(const TextLines& text, const LineCache& cache, uint64_t n, uint64_t k);

}  // namespace pk
