// The data area as the rules draw it for the current file, its position and
// the display settings, compared cell by cell with what a console shows.
// Text view: one line a row from view.line, display columns from
// view.column, tabs expanded to 8-column stops (tabs on, EBCDIC off), bytes
// EBCDIC-translated when on; shown as UTF-8, the rows of ASCII text only.
// Hex view: 16 bytes a row from view.offset as "   %08X:   ", four groups
// of four bytes in hex, then the characters between brackets ("." for all
// but 20-7E). The found bytes are bright, and so are the bytes of every
// place the find string stands (in the text view within a line's text,
// unless it is a hex string); the hits of a pattern are not compared.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "display/display_state.h"
#include "display/views.h"
#include "fuzz_check.h"
#include "files/file_table.h"
#include "find_reference.h"
#include "line_reference.h"
#include "panel/memory_console.h"
#include "panel/ascii.h"

namespace pkfuzz {

struct RefRow {
    std::string text;
    std::string bright;  // '*' for a bright cell
    void put(char c, bool lit) { text += c, bright += lit ? '*' : ' '; }
    void put(std::string_view s) { for (char c : s) put(c, false); }
};

// Byte o of the current file lies where the find string stands; lines: the
// place lies within a line's text.
inline bool RefInHit(const pk::FileEntry& e, uint64_t o, bool lines) {
    const uint64_t n = pk::settings.findLength;
    const std::string_view s(reinterpret_cast<const char*>(pk::settings.findString), n);
    if (n == 0 || !(e.findFlags & pk::FOUND_SHOWN)) return false;
    for (uint64_t at = o >= n - 1 ? o - (n - 1) : 0; at <= o && at + n <= e.size; ++at) {
        if (!pktest::SameBytes(e.data + at, s, pk::display.exactCase == 0)) continue;
        const bool closingCr = e.data[at + n - 1] == '\r' && (at + n == e.size || e.data[at + n] == '\n');
        if (!lines || (s.find('\n') == std::string_view::npos && !closingCr)) return true;
    }
    return false;
}

inline RefRow RefTextRow(const pk::FileEntry& e, std::string_view line, uint64_t number, int width) {
    const bool expand = pk::settings.tabsOn && !pk::display.ebcdicOn;
    const bool shown = (e.findFlags & pk::FOUND_SHOWN) && number == e.found.line;
    const int64_t litFirst = int64_t(e.found.column) - 1, litLast = litFirst + pk::display.foundLength - 1;
    const std::vector<uint64_t> cells = pktest::RefCells(line, expand);
    RefRow row;
    for (uint64_t x = e.view.column - 1; x < cells.size() && x < e.view.column - 1 + uint64_t(width); ++x) {
        const uint8_t b = uint8_t(line[cells[x]]);
        const char c = expand && b == '\t' ? ' ' : char(pk::display.ebcdicOn ? pk::EbcdicTable[b] : b);
        const uint64_t o = uint64_t(line.data() - reinterpret_cast<const char*>(e.data)) + cells[x];
        row.put(c, (shown && int64_t(cells[x]) >= litFirst && int64_t(cells[x]) <= litLast) ||
                       RefInHit(e, o, pk::settings.findKind == pk::FIND_KIND_TEXT));
    }
    return row;
}

inline RefRow RefHexRow(const pk::FileEntry& e, uint64_t at) {
    bool shown = e.findFlags & pk::FOUND_SHOWN;
    auto lit = [&](uint64_t o) {
        return (shown && o >= e.found.offset && o < uint64_t(e.found.offset) + pk::display.foundLength) ||
               RefInHit(e, o, false);
    };
    RefRow row;
    char head[16];
    std::snprintf(head, sizeof head, "   %08X:   ", unsigned(at));
    row.put(head);
    for (uint64_t o = at; o < at + 16; ++o) {
        for (int shift : {4, 0}) row.put(o < e.size ? pk::kHexDigits[(e.data[o] >> shift) & 15] : ' ', o < e.size && lit(o));
        if ((o - at) % 4 == 3) row.put("  ");
    }
    row.put("  [");
    for (uint64_t o = at; o < at + 16 && o < e.size; ++o) {
        uint8_t c = pk::display.ebcdicOn ? pk::EbcdicTable[e.data[o]] : e.data[o];
        row.put(c >= 0x20 && c <= 0x7E ? char(c) : '.', lit(o));
    }
    row.put("]");
    return row;
}

// The data area of console against the reference; the found bytes only
// while a hit is shown (a find that misses leaves the last hit bright until
// the next redraw).
inline void CheckDataArea(const pk::MemoryConsole& console) {
    const pk::FileEntry& e = pk::CurrentEntry();
    const int width = pk::program.screenWidth;
    std::string_view data(reinterpret_cast<const char*>(e.data), e.size);
    std::vector<pktest::RefLine> lines = pktest::RefLines(data);
    for (int r = 0; r < pk::program.dataRows; ++r) {
        RefRow want;
        uint64_t at = uint64_t(e.view.offset) + 16 * uint64_t(r), n = uint64_t(e.view.line) + r;
        if (pk::display.hexView && at < e.size) want = RefHexRow(e, at);
        if (!pk::display.hexView && n <= lines.size()) {
            std::string_view text = data.substr(lines[n - 1].start, lines[n - 1].length);
            // Shown as UTF-8, a row of ASCII is its bytes; others are not compared.
            if (pk::ShowingUtf8() && std::any_of(text.begin(), text.end(), [](char c) { return uint8_t(c) >= 0x80; }))
                continue;
            want = RefTextRow(e, text, uint64_t(n), width);
        }
        want.text.resize(size_t(width), ' ');
        want.bright.resize(size_t(width), ' ');
        std::string got = console.rowText(3 + r), bright;
        for (int x = 0; x < width; ++x) bright += console.attrAt(x, 3 + r) == pk::ATTR_FOUND ? '*' : ' ';
        const bool compareBright = (e.findFlags & pk::FOUND_SHOWN) && pk::settings.findKind != pk::FIND_KIND_PATTERN;
        if (got == want.text && (bright == want.bright || !compareBright)) continue;
        std::fprintf(stderr, "row %d\nwant [%s]\n     [%s]\ngot  [%s]\n     [%s]\n", r, want.text.c_str(),
                     want.bright.c_str(), got.c_str(), bright.c_str());
        std::abort();
    }
}

}  // namespace pkfuzz
