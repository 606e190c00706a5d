// The hex view: 16 bytes per row from view.offset, each row with its offset,
// four groups of four bytes as hex digits and the bytes as characters
// between brackets; the bytes of the last find hit, and of every hit of the
// find on screen, are bright.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "display/display_state.h"
#include "display/find_current.h"
#include "display/views.h"
#include "files/file_table.h"
#include "panel/ascii.h"

namespace pk {

namespace {

constexpr int ROW_BYTES = 16;
constexpr int GROUP_BYTES = 4;
constexpr int GROUPS = ROW_BYTES / GROUP_BYTES;
constexpr int HEX_ROW_WIDTH = 80;  // the row layout needs 80 columns
// The offset column: 8 digits after 3 blanks, and 3 blanks and a colon after.
// More digits take the leading blanks first, then the trailing ones, so a
// row stays 80 columns wide up to 16 digits.
constexpr int OFFSET_DIGITS = 8;
constexpr int LEAD_BLANKS = 3;
constexpr int TRAIL_BLANKS = 5;

// Hex digits of the largest offset of a file of size bytes (at least 8).
int OffsetDigits(uint64_t size) {
    int digits = OFFSET_DIGITS;
    for (uint64_t last = size > 0 ? size - 1 : 0; digits < 16 && (last >> (4 * digits)) != 0;) ++digits;
    return digits;
}

bool Printable(uint8_t ch) { return ch >= 0x20 && ch <= 0x7E; }

// The hits of the find on the page being drawn.
std::vector<FindHit> pageHits;

// Appends cells left to right along one row.
struct RowWriter {
    Cell* cells;
    int column = 0;

    void blanks(int n) {
        for (int i = 0; i < n; ++i) cells[column++] = Cell{' ', 0, ATTR_NORMAL};
    }
    void text(const char* s) {
        int n = int(std::strlen(s));
        PutCells(cells + column, reinterpret_cast<const uint8_t*>(s), n, false, NO_OFFSET, false);
        column += n;
    }
    void data(const uint8_t* s, int n, bool hexDigits, int64_t offset, bool filter) {
        PutCells(cells + column, s, n, hexDigits, offset, filter);
        column += n;
    }
};

// One full row of HEX_ROW_WIDTH + extraBlanks cells for the n (1..16) bytes
// at p, the first of which is at data offset rowOffset; its offset has
// `digits` hex digits.
void BuildHexRow(Cell* row, const uint8_t* p, int n, uint64_t rowOffset, int digits, int extraBlanks) {
    RowWriter w{row};
    int wider = digits - OFFSET_DIGITS;
    int lead = std::max(0, LEAD_BLANKS - wider);
    int trail = TRAIL_BLANKS - std::max(0, wider - LEAD_BLANKS);
    char offsetText[32];
    std::snprintf(offsetText, sizeof offsetText, "%*s%0*llX:   ", lead, "", digits,
                  static_cast<unsigned long long>(rowOffset));
    w.text(offsetText);
    uint8_t hex[2 * GROUP_BYTES];
    for (int g = 0; g < GROUPS; ++g) {
        int left = n - g * GROUP_BYTES;
        if (left <= 0) {
            w.blanks(2 * GROUP_BYTES + 2);
            continue;
        }
        int k = std::min(left, GROUP_BYTES);
        int m = BytesToHex(p + g * GROUP_BYTES, k, hex);
        w.data(hex, m, true, int64_t(rowOffset) + g * GROUP_BYTES, false);
        w.blanks(2 * GROUP_BYTES - m + 2);
    }
    w.text("  [");
    w.data(p, n, false, rowOffset, true);
    w.text("]");
    w.blanks(trail + extraBlanks + ROW_BYTES - n);
}

}  // namespace

int BytesToHex(const uint8_t* source, int n, uint8_t* target) {
    for (int i = 0; i < n; ++i) {
        target[2 * i] = uint8_t(kHexDigits[source[i] >> 4]);
        target[2 * i + 1] = uint8_t(kHexDigits[source[i] & 0x0F]);
    }
    return 2 * n;
}

void PutCells(Cell* target, const uint8_t* s, int length, bool hexDigits, int64_t offset, bool filter) {
    const FileEntry& entry = CurrentEntry();
    // Highlight range in string positions, signed: a hit that began before
    // this string still lights its continuation here.
    int64_t first = 1, last = 0;
    if (offset >= 0 && (entry.findFlags & FOUND_SHOWN) && display.foundLength != 0) {
        int64_t scale = hexDigits ? 2 : 1;
        first = scale * (int64_t(entry.found.offset) - offset);
        last = first + scale * int64_t(display.foundLength) - 1;
    }
    for (int i = 0; i < length; ++i) {
        uint8_t ch = s[i];
        if (filter) {
            if (display.ebcdicOn) ch = EbcdicTable[ch];
            if (!Printable(ch)) ch = '.';
        }
        bool lit = (i >= first && i <= last) || (offset >= 0 && InHits(pageHits, uint64_t(offset) + (hexDigits ? i / 2 : i)));
        target[i] = Cell{ch, 0, lit ? ATTR_FOUND : ATTR_NORMAL};
    }
}

void DrawHexView() {
    if (program.viewCells == nullptr) return;
    ClearDataArea();
    const FileEntry& entry = CurrentEntry();
    uint64_t rowOffset = entry.view.offset;
    const int digits = OffsetDigits(entry.size);
    uint64_t remaining = 0;
    if (entry.data != nullptr && rowOffset < entry.size)
        remaining = std::min<uint64_t>(entry.size - rowOffset, uint64_t(program.dataRows) * ROW_BYTES);
    const uint8_t* p = entry.data + (remaining ? rowOffset : 0);
    HitsOnScreen(rowOffset, rowOffset + remaining, pageHits);
    const int width = program.screenWidth;
    const int extraBlanks = std::max(0, width - HEX_ROW_WIDTH);
    // A screen narrower than the row layout gets the row cut at its edge.
    Cell narrow[HEX_ROW_WIDTH];
    for (int r = 0; r < program.dataRows && remaining > 0; ++r) {
        int n = int(std::min<uint64_t>(remaining, ROW_BYTES));
        Cell* row = program.viewCells + size_t(r) * width;
        Cell* target = width >= HEX_ROW_WIDTH ? row : narrow;
        BuildHexRow(target, p, n, rowOffset, digits, extraBlanks);
        if (target == narrow) std::copy(narrow, narrow + width, row);
        remaining -= n;
        p += n;
        rowOffset += ROW_BYTES;
    }
    WriteDataArea();
}

}  // namespace pk
