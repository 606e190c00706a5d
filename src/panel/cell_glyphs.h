// What a cell looks like on a terminal: the code page 437 glyph of each byte
// (with the fallback for terminals whose locale is not UTF-8), and the colour
// pair, bold and reverse video that stand for a console attribute. Pure
// functions, no curses.
#pragma once

#include <cstdint>
#include <string>

#include "panel/console.h"

namespace pk {

// The Unicode character of a byte in code page 437, byte 0 as a blank and
// the control range as the PC's graphic characters.
char32_t Cp437Glyph(uint8_t byte);

// For a terminal whose locale is not UTF-8: the byte itself for 0x20-0x7E,
// the VT100 line-drawing letter ('q', 'x', 'l', ...) for box-drawing and
// shade bytes (with *lineDrawing set), '?' for anything else; byte 0 blank.
char AsciiGlyph(uint8_t byte, bool* lineDrawing);

// What cell x of a row of cols cells puts on a UTF-8 terminal: up to five
// code points (the glyph of a byte, or a printable character with the marks
// joined to it) and the columns they take; width 0 for the right half of a
// two-cell character, which the character before it covers. Cells that do
// not hold together (a half without its character, a two-cell character
// without its right half or at the row's end, text that is not a
// well-formed printable character) show a blank, so only well-formed
// printable characters ever reach the terminal.
constexpr int SHOWN_CHARS_MAX = 5;
struct ShownChars {
    char32_t chars[SHOWN_CHARS_MAX] = {};
    int count = 0;
    int width = 0;
};
ShownChars CellShows(const Cell* row, int cols, int x);

// Appends the UTF-8 bytes of c.
void AppendUtf8(std::string& s, char32_t c);

// How an attribute is shown. pair 0 is the terminal's default colours.
struct CellStyle {
    short pair = 0;
    bool bold = false;
    bool reverse = false;
};

// colours: 16 (or more) for a terminal with bright colours and 256 pairs,
// 8 for eight colours, 0 for none.
CellStyle StyleFor(uint16_t attr, int colours);

// The ANSI foreground and background of colour pair number pair (1..255) in
// the scheme of StyleFor; false for a pair StyleFor never uses.
bool PairColours(int pair, int colours, short& fg, short& bg);

// The SGR sequence ("\e[0;...m") that shows attr, for re-printing a frame
// on the terminal's normal screen.
std::string SgrFor(uint16_t attr, int colours);

}  // namespace pk
