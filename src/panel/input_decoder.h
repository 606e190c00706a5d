// Terminal input as console records, one unit at a time: a character, a
// whole key string, or the start of a mouse report or a paste. Decides what
// Esc means (alone, an Alt prefix, or the start of an escape sequence: a key
// string that came byte by byte gives its key, any other sequence, however
// long, is dropped whole to its final byte), reads SGR mouse reports and
// bracketed paste to their end (a paste's text as raw bytes, of which
// PASTE_KEPT are kept), and how long the reader may wait for the rest. The
// terminal console feeds it what its curses reader returns and a paste's
// bytes as it reads them; DecodeTyped feeds it bytes, for the in-memory
// console. Pure, no curses.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "panel/console.h"
#include "panel/key_decode.h"

namespace pk {

// One unit of terminal input as a reader hands it over.
struct InputUnit {
    enum Kind : uint8_t { Char, Key, MouseReport, PasteBegin, PasteEnd };
    Kind kind = Char;
    std::string bytes;   // as the terminal sent them: one character, or the key string
    InputRecord record;  // Key: its record; eventType 0 for a key pk has none for
};

class InputDecoder {
public:
    // True when no unit is pending: the reader may wait as long as it likes.
    bool idle() const { return state_ == State::Idle; }
    // How long the reader waits for the next unit while one is pending.
    int waitMs() const;
    // One unit; the records it completes go to the back of out. nowMs is
    // the time of arrival (for double clicks).
    void feed(const InputUnit& unit, int64_t nowMs, std::deque<InputRecord>& out);
    // Nothing came within waitMs: what is pending ends as it stands.
    void expire(std::deque<InputRecord>& out);
    // While a paste is read: its bytes as they come, without splitting them
    // into units. Returns how many were taken: all of them, or those up to
    // and including the end marker, after which the rest is input again.
    bool pasting() const { return state_ == State::Paste; }
    size_t feedPaste(std::string_view bytes, std::deque<InputRecord>& out);
    // Bytes as the terminal sent them, not yet split: while a paste is
    // read, its text (feedPaste); otherwise one unit (NextTypedUnit).
    // Returns how many bytes were taken, at least one.
    size_t feedBytes(std::string_view bytes, int64_t nowMs, std::deque<InputRecord>& out);

private:
    enum class State { Idle, AfterEscape, Sequence, Mouse, Paste };
    void start(const InputUnit& unit, uint32_t extraState, std::deque<InputRecord>& out);
    void afterEscape(const InputUnit& unit, std::deque<InputRecord>& out);
    void sequence(const InputUnit& unit, std::deque<InputRecord>& out);
    void mouse(const InputUnit& unit, int64_t nowMs, std::deque<InputRecord>& out);
    void keep(std::string_view text);  // pasted text, up to PASTE_KEPT bytes

    State state_ = State::Idle;
    std::string pending_;  // "[" or "O" after Esc; the mouse report so far; a cut marker in a paste
    int parameters_ = 0;   // parameter bytes of an unbound sequence so far
    bool overlong_ = false;  // the mouse report is too long to be one
    InputRecord paste_;
    ClickTracker clicks_;
};

// The unit at the start of bytes (not empty) that a terminal of the xterm
// kind sends: the longest of its key strings (XtermKeySequences, the mouse
// and paste markers) that bytes start with, else one UTF-8 character, else
// one byte.
InputUnit NextTypedUnit(std::string_view bytes);

// The records a terminal of the xterm kind gives for bytes that arrive
// together: its key strings (XtermKeySequences, the mouse and paste
// markers) taken whole, UTF-8 characters as one unit, and the end of the
// bytes as a pause.
std::vector<InputRecord> DecodeTyped(std::string_view bytes);

}  // namespace pk
