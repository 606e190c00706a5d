// UTF-8 decoding and the units of a line shown as UTF-8 (see utf8.h). Every
// walk classifies the same pieces the same way, so the widths measured at
// load time, the columns of a seek and the cells drawn always agree.
#include "panel/utf8.h"

#include <langinfo.h>

#include <cstring>
#include <cwchar>
#include <atomic>
#include <mutex>

namespace pk {

namespace {

constexpr uint8_t TAB = '\t';
constexpr char32_t FIRST_BEYOND_C1 = 0xA0;
constexpr uint32_t TABLE_SIZE = 0x10000;

// The invisible direction controls: joined to a character they would reach
// the terminal, which may reorder what it shows by them, so each of their
// bytes is a glyph instead.
constexpr char32_t DIRECTION_CONTROLS[][2] = {{0x061C, 0x061C}, {0x200E, 0x200F}, {0x202A, 0x202E}, {0x2066, 0x2069}};

bool DirectionControl(char32_t c) {
    for (const auto& range : DIRECTION_CONTROLS)
        if (c >= range[0] && c <= range[1]) return true;
    return false;
}

bool Control(char32_t c) { return c < 0x20 || (c >= 0x7F && c < FIRST_BEYOND_C1) || DirectionControl(c); }

// ShownWidth of every character below U+10000 in the locale of the last
// read; characters above it ask the C library each time. The table is read
// a page of 256 characters at a time, at the first use of a character in
// it: reading all 65536 widths would cost a start-up a third of a
// millisecond, and most text meets a few pages. Walks in several threads
// may meet an unread page at once; the lock makes one of them read it.
class WidthTable {
public:
    int width(char32_t c) {
        const uint32_t page = c / PAGE;
        if (!ready_[page].load(std::memory_order_acquire)) readPage(page);
        return width_[c];
    }
    // Forgets every page, so each is read again in the locale set now.
    void forget() {
        for (auto& ready : ready_) ready.store(false, std::memory_order_release);
    }

private:
    static constexpr uint32_t PAGE = 256;
    void readPage(uint32_t page) {
        std::lock_guard<std::mutex> lock(reading_);
        if (ready_[page].load(std::memory_order_relaxed)) return;
        for (uint32_t c = page * PAGE; c < (page + 1) * PAGE; ++c)
            width_[c] = Control(c) ? -1 : static_cast<int8_t>(wcwidth(static_cast<wchar_t>(c)));
        ready_[page].store(true, std::memory_order_release);
    }
    int8_t width_[TABLE_SIZE];
    std::atomic<bool> ready_[TABLE_SIZE / PAGE] = {};
    std::mutex reading_;
};

WidthTable table;

// What a piece of text at one position is, before joining: a character
// with its width, a zero-width character (a mark), a tab, or a byte that
// can only be a glyph.
enum PieceKind : uint32_t { CHAR, MARK, TAB_BYTE, GLYPH };

struct Piece {
    uint32_t length;
    uint32_t width;
    PieceKind kind;
};

// DecodeUtf8, inline for the walks.
inline Utf8Sequence Decode(const uint8_t* p, uint64_t available) {
    if (available == 0) return {};
    const uint8_t b0 = p[0];
    auto continuation = [&](uint32_t i) { return (p[i] & 0xC0) == 0x80; };
    if (b0 < 0x80) return {b0, 1};
    const uint32_t length = Utf8LeadLength(b0);
    if (length == 1) return {};
    if (length == 2) {
        if (available < 2 || !continuation(1)) return {};
        return {char32_t((b0 & 0x1F) << 6 | (p[1] & 0x3F)), 2};
    }
    if (length == 3) {
        // E0 needs A0-BF next (no overlong form), ED 80-9F (no surrogate).
        const uint8_t low = b0 == 0xE0 ? 0xA0 : 0x80, high = b0 == 0xED ? 0x9F : 0xBF;
        if (available < 3 || p[1] < low || p[1] > high || !continuation(2)) return {};
        return {char32_t((b0 & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F)), 3};
    }
    // F0 needs 90-BF next (no overlong form), F4 80-8F (at most U+10FFFF).
    const uint8_t low = b0 == 0xF0 ? 0x90 : 0x80, high = b0 == 0xF4 ? 0x8F : 0xBF;
    if (available < 4 || p[1] < low || p[1] > high || !continuation(2) || !continuation(3)) return {};
    return {char32_t((b0 & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F)), 4};
}

// The piece at pos (< length).
inline Piece Classify(const uint8_t* text, uint64_t length, uint64_t pos) {
    uint8_t b = text[pos];
    if (b < 0x80) {
        if (PrintableAscii(b)) return {1, 1, CHAR};
        return {1, 1, b == TAB ? TAB_BYTE : GLYPH};
    }
    Utf8Sequence s = Decode(text + pos, length - pos);
    if (s.length == 0) return {1, 1, GLYPH};
    int w = ShownWidth(s.code);
    if (w < 0) return {1, 1, GLYPH};
    if (w == 0) return {s.length, 0, MARK};
    return {s.length, static_cast<uint32_t>(w), CHAR};
}

constexpr uint32_t RUN = 8;

// How many of the 8 bytes at p, from the first, are plain: below 0x80 and
// not a tab that is to be expanded, so each is one unit of one cell.
uint32_t PlainBytes(const uint8_t* p, bool tabsMatter) {
    uint64_t w;
    std::memcpy(&w, p, sizeof w);
    constexpr uint64_t HIGH = 0x8080808080808080u;
    constexpr uint64_t ONES = 0x0101010101010101u;
    uint64_t special = w & HIGH;
    if (tabsMatter) {
        // The lowest byte of x that is 0 is the first tab (a borrow marks
        // only bytes above it).
        uint64_t x = w ^ (ONES * TAB);
        special |= (x - ONES) & ~x & HIGH;
    }
    return special == 0 ? RUN : static_cast<uint32_t>(__builtin_ctzll(special)) / 8;
}

uint64_t NextTabStop(uint64_t column) { return column + 8 - column % 8; }

}  // namespace

void ReadCharacterWidths() { table.forget(); }

Utf8Sequence DecodeUtf8(const uint8_t* p, uint64_t available) { return Decode(p, available); }

uint32_t Utf8LeadLength(uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

int ShownWidth(char32_t c) {
    if (c < TABLE_SIZE) return table.width(c);
    return wcwidth(static_cast<wchar_t>(c));
}

TextUnit NextUnit(const uint8_t* text, uint64_t length, uint64_t pos) {
    // Printable ASCII that no mark follows, the common case, at once.
    if (PrintableAscii(text[pos]) && (pos + 1 == length || text[pos + 1] < 0x80))
        return {1, 1, false};
    Piece first = Classify(text, length, pos);
    if (first.kind != CHAR) return {1, 1, true};
    uint64_t end = pos + first.length;
    while (end < length && text[end] >= 0x80) {
        Piece mark = Classify(text, length, end);
        if (mark.kind != MARK) break;
        end += mark.length;
    }
    return {uint32_t(end - pos), uint16_t(first.width), false};
}

CellPoint WalkCells(const uint8_t* text, uint64_t length, uint64_t column, uint64_t byte, bool expandTabs) {
    uint64_t p = 0;
    uint64_t col = 0;
    CellPoint unit;          // the last unit started
    bool joinable = false;   // a mark here joins that unit
    for (;;) {
        Piece piece{0, 0, GLYPH};
        if (p < length) {
            // Up to eight one-cell units at once, while none of them is the
            // answer.
            if (length - p >= RUN && p + RUN - 1 < byte && col + RUN - 1 < column) {
                if (uint32_t plain = PlainBytes(text + p, expandTabs); plain > 1) {
                    unit = {p + plain - 1, col + plain - 1};
                    joinable = PrintableAscii(text[p + plain - 1]);
                    p += plain;
                    col += plain;
                    continue;
                }
            }
            piece = Classify(text, length, p);
            if (piece.kind == MARK && joinable) {
                p += piece.length;
                continue;
            }
        }
        // A new unit (or the end of the text) starts at p, col.
        if (p > byte || col > column) return unit;
        if (p == byte || col == column || p >= length) return {p, col};
        unit = {p, col};
        if (piece.kind == CHAR) {
            col += piece.width;
            p += piece.length;
            joinable = true;
            continue;
        }
        col = piece.kind == TAB_BYTE && expandTabs ? NextTabStop(col) : col + 1;
        p += 1;
        joinable = false;
    }
}

TextWidths MeasureCells(const uint8_t* text, uint64_t length) {
    TextWidths w;
    bool joinable = false;
    for (uint64_t p = 0; p < length;) {
        if (length - p >= RUN) {
            if (uint32_t plain = PlainBytes(text + p, true); plain != 0) {
                w.raw += plain;
                w.expanded += plain;
                joinable = PrintableAscii(text[p + plain - 1]);
                p += plain;
                continue;
            }
        }
        // A run of pieces up to the next plain byte, one at a time (a tab is
        // no plain byte: it is expanded).
        do {
            Piece piece = Classify(text, length, p);
            if (piece.kind == MARK && joinable) {
                p += piece.length;
            } else if (piece.kind == CHAR) {
                w.raw += piece.width;
                w.expanded += piece.width;
                p += piece.length;
                joinable = true;
            } else {
                w.raw += 1;
                w.expanded = piece.kind == TAB_BYTE ? NextTabStop(w.expanded) : w.expanded + 1;
                p += 1;
                joinable = false;
            }
        } while (p < length && (text[p] >= 0x80 || text[p] == TAB || length - p < RUN));
    }
    return w;
}

uint64_t PrevUnitStart(const uint8_t* text, uint64_t length, uint64_t pos) {
    uint64_t last = 0;
    for (uint64_t p = 0; p < pos && p < length; p += NextUnit(text, length, p).length) last = p;
    return last;
}

bool LocaleIsUtf8() { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; }

}  // namespace pk
