// UTF-8 text as it is shown: the sequence rules, the width of a character in
// pk's locale (the C library's wcwidth), and the units a line splits into.
// A unit is either a printable character with the zero-width characters that
// follow it (combining marks join the character before them), one or two
// cells wide, or a single byte shown as its code page 437 glyph in one cell:
// a control (C0, DEL, C1, and the invisible direction controls), a byte
// outside a well-formed sequence, a character the locale cannot show, or a
// zero-width character with nothing before it to join. Columns count cells
// from 0; with tabs expanded a tab reaches the next 8-cell stop.
#pragma once

#include <cstdint>

namespace pk {

// One decoded sequence; length 0 when the bytes at p do not start a
// well-formed one (overlong forms, surrogates, beyond U+10FFFF, a stray or
// missing continuation byte, or a sequence cut by the end of the text).
struct Utf8Sequence {
    char32_t code = 0;
    uint32_t length = 0;
};
Utf8Sequence DecodeUtf8(const uint8_t* p, uint64_t available);
// The bytes of the sequence that DecodeUtf8 reads after this first byte
// (2 to 4); 1 for ASCII and for a byte that starts no sequence.
uint32_t Utf8LeadLength(uint8_t lead);

// A character from space to tilde: one byte, one cell, shown as itself.
constexpr bool PrintableAscii(char32_t c) { return c >= 0x20 && c < 0x7F; }

// Forgets the widths of characters read so far: each is read again from the
// C library at its first use, in the locale (LC_CTYPE) set then. Not while
// another thread measures text.
void ReadCharacterWidths();

// Whether pk's locale (LC_CTYPE) encodes characters as UTF-8.
bool LocaleIsUtf8();

// The cells character c takes when it is shown as itself: its wcwidth in
// pk's locale (see ReadCharacterWidths), 1 or 2, or 0 for a combining
// or other zero-width character; -1 when its bytes are shown as glyphs
// instead (controls, direction controls, characters the locale cannot show).
int ShownWidth(char32_t c);

struct TextUnit {
    uint32_t length = 0;  // bytes
    uint16_t width = 0;   // cells
    bool glyph = false;   // the one byte is shown as its glyph
};
// The unit that starts at byte pos (< length) of text. A tab is a glyph
// here; callers that expand tabs handle it before asking.
TextUnit NextUnit(const uint8_t* text, uint64_t length, uint64_t pos);

// The unit that holds cell column `column` or byte `byte`, whichever comes
// first from the start of the text: its first byte and first column. Past
// the end of the text: byte = length and column = the text's width.
struct CellPoint {
    uint64_t byte = 0;
    uint64_t column = 0;
};
CellPoint WalkCells(const uint8_t* text, uint64_t length, uint64_t column, uint64_t byte, bool expandTabs);

// The width of a whole text in cells, with tabs as glyphs and expanded.
struct TextWidths {
    uint64_t raw = 0;
    uint64_t expanded = 0;
};
TextWidths MeasureCells(const uint8_t* text, uint64_t length);

// The start of the unit before the one at pos (0 at the start), found by
// walking from the start: for short texts such as the command line.
uint64_t PrevUnitStart(const uint8_t* text, uint64_t length, uint64_t pos);

}  // namespace pk
