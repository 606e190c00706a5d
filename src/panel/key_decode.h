// What one key string or mouse report of a terminal stands for, as console
// records: the records of single bytes (virtual-key code, PC scan code,
// character, control state), xterm-style key sequences, SGR mouse reports
// and double-click detection. Pure functions, no curses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panel/console.h"

namespace pk {

// A key-down record with repeat count 1.
InputRecord MakeKey(uint16_t virtualKey, uint16_t scanCode, uint8_t ch, uint32_t state);

// The record of one byte typed on its own: printable ASCII, a control byte
// (Enter, Tab, Backspace as 0x7F or 0x08, Esc, Ctrl+letter, ...) or one byte
// of a non-ASCII character.
InputRecord KeyFromByte(uint8_t byte);

// Control-key state of an xterm modifier parameter (1 + Shift 1 + Alt 2 +
// Ctrl 4 + Meta 8; Meta counts as Alt). 0 or 1 mean no modifier.
uint32_t StateFromXtermModifier(int modifier);

// Decodes one complete key string as terminals and terminfo give them:
// "\x7f", "\eOP", "\e[1;5H", "\e[15;2~", "\e[A", "\e[[A", "\e[Z",
// "\e[13;5u", "\e[27;5;13~" and the like. False for anything else.
bool DecodeKeySequence(std::string_view seq, InputRecord& out);

// The xterm key strings pk recognises whatever the terminal description
// says: normal and application cursor keys, Home/End variants, F1-F12, and
// every modified form (modifiers 2..8) of them, Shift+Tab and Ctrl+Enter.
std::vector<std::string> XtermKeySequences();

// The strings that start an SGR mouse report and begin and end a
// bracketed paste.
constexpr char kMouseReportStart[] = "\033[<";
constexpr char kPasteBegin[] = "\033[200~";
constexpr char kPasteEnd[] = "\033[201~";

// One SGR mouse report, the text between "\e[<" and its final byte, e.g.
// "0;12;5" with final 'M' (press) or 'm' (release). Positions become 0-based.
// False for a malformed report or one that is no event (a wheel release).
bool DecodeSgrMouse(std::string_view params, char final, InputRecord& out);

// Marks the second press of the same button in the same cell within 500 ms
// as a double click; a third press starts a new pair.
struct ClickTracker {
    bool armed = false;
    Coord at;
    uint32_t button = 0;
    int64_t timeMs = 0;

    void apply(InputRecord& mouse, int64_t nowMs);
};

}  // namespace pk
