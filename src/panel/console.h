// The console interface: the only place that names console operations.
// Everything pk shows and every key it reads goes through one Console. Two
// implementations exist: the ncurses terminal (terminal_console.h), used by
// the program, and an in-memory grid with scripted input (memory_console.h),
// used by unit tests.
#pragma once

#include <cstdint>
#include <string>

#include "panel/keys.h"

namespace pk {

// What a cell shows: the code page 437 glyph of its byte, a character of
// text (UTF-8, a character and the combining marks joined to it), or the
// right half of the two-cell character in the cell before it.
constexpr uint8_t CELL_GLYPH = 0;
constexpr uint8_t CELL_CHAR = 1;
constexpr uint8_t CELL_WIDE_TAIL = 2;
constexpr int CELL_TEXT_SIZE = 12;

// One screen cell: a character byte (shown as its code page 437 glyph) and a
// 16-bit attribute (bits 0-3 foreground, 4-7 background; 1 blue, 2 green,
// 4 red, 8 intensity). A CELL_CHAR cell shows text instead of ch: the UTF-8
// bytes of a printable character, and of the marks joined to it as far as
// they fit, NUL-padded. Writing a byte (writeChars, fillChars) makes a cell a
// glyph cell again.
struct Cell {
    uint8_t ch = 0;
    uint8_t kind = CELL_GLYPH;
    uint16_t attr = 0;
    char text[CELL_TEXT_SIZE] = {};
};
static_assert(sizeof(Cell) == 16);

struct Coord {
    int16_t x = 0;
    int16_t y = 0;
};

// Inclusive rectangle in screen coordinates.
struct Rect {
    int16_t left = 0;
    int16_t top = 0;
    int16_t right = 0;
    int16_t bottom = 0;
};

// What a screen query reports.
struct ScreenInfo {
    Coord bufferSize;   // columns, rows
    Coord cursor;
    uint16_t attributes = 0x07;
    Rect window;
};

// Mouse event flags and button bits.
constexpr uint32_t MOUSE_MOVED = 0x0001;
constexpr uint32_t DOUBLE_CLICK = 0x0002;
constexpr uint32_t MOUSE_WHEELED = 0x0004;
constexpr uint32_t MOUSE_HWHEELED = 0x0008;
constexpr uint32_t FROM_LEFT_1ST_BUTTON_PRESSED = 0x0001;
constexpr uint32_t RIGHTMOST_BUTTON_PRESSED = 0x0002;
constexpr uint32_t FROM_LEFT_2ND_BUTTON_PRESSED = 0x0004;

// Event types of an InputRecord.
constexpr uint16_t KEY_EVENT = 0x0001;
constexpr uint16_t MOUSE_EVENT = 0x0002;
constexpr uint16_t RESIZE_EVENT = 0x0004;  // the screen has a new size
constexpr uint16_t PASTE_EVENT = 0x0100;  // text the terminal itself pasted
constexpr uint16_t TICK_EVENT = 0x0200;   // no input came within the tick (setTick)
// The bytes of pasted text that are typed: a paste record keeps no more,
// and the terminal reads the rest of a paste only to find its end.
constexpr size_t PASTE_KEPT = 255;

// One input event. For a key: keyDown, repeatCount, virtualKey, scanCode,
// ch (the character byte, 0 for keys without one) and controlState. For a
// mouse event: position, buttonState, controlState and eventFlags (a wheel
// notch: buttonState's high 16 bits signed, positive up or right). For a
// resize: the new columns and rows in position; the screen queries report
// the new size from then on. For a paste: the pasted bytes in text.
struct InputRecord {
    uint16_t eventType = 0;
    bool keyDown = false;
    uint16_t repeatCount = 0;
    uint16_t virtualKey = 0;
    uint16_t scanCode = 0;
    uint8_t ch = 0;
    uint32_t controlState = 0;
    Coord position;
    uint32_t buttonState = 0;
    uint32_t eventFlags = 0;
    std::string text;
};

// Console operations. Every call returns true on success; after a failure
// lastError() gives the error code (an errno value on Linux). Coordinates are
// 0-based cells of the screen.
class Console {
public:
    virtual ~Console() = default;

    // Prepare the console: raw input, screen, colours. 0 or an error code;
    // ENOTSUP for a terminal that cannot address its cursor (TERM=dumb),
    // refused before anything is written to it.
    virtual int open() = 0;
    virtual bool queryScreen(ScreenInfo& info) = 0;
    // Ask for a window of the given rectangle (the 80 by 25 request).
    virtual bool setWindow(const Rect& window) = 0;
    virtual bool readAttribute(Coord at, uint16_t& attr) = 0;
    virtual bool getCursorInfo(int& size, bool& visible) = 0;
    // size is the percentage of the cell: 50 or less is an underline, more
    // is a block.
    virtual bool setCursorInfo(int size, bool visible) = 0;
    virtual bool setCursorPosition(Coord at) = 0;
    // Consecutive cells of one line, clipped at the screen's right edge.
    virtual bool writeChars(Coord at, const uint8_t* bytes, int count) = 0;
    virtual bool writeAttrs(Coord at, const uint16_t* attrs, int count) = 0;
    // The first count cells from (0, 0), row after row.
    virtual bool fillAttrs(uint16_t attr, int count) = 0;
    virtual bool fillChars(uint8_t ch, int count) = 0;
    // Block transfers between a cell block of blockSize and the screen
    // rectangle target; the block's origin goes to target's top left.
    virtual bool writeCells(const Cell* block, Coord blockSize, const Rect& target) = 0;
    virtual bool readCells(Cell* block, Coord blockSize, const Rect& source) = 0;
    // Show what was written now, before a long piece of work; otherwise the
    // screen is brought up to date when input is next waited for.
    virtual void updateScreen() = 0;

    // Wait for one input event. False when the input has failed for good
    // (end of file, hang-up) or an ending signal arrived. A resize is an
    // event; Ctrl+Z never arrives from a terminal, which stops the program
    // as a shell job instead.
    virtual bool readInput(InputRecord& record) = 0;
    // While ms > 0, readInput gives a TICK_EVENT when no input came for ms
    // milliseconds (so the caller can look at files that change); 0 waits
    // for input only.
    virtual void setTick(int ms) = 0;
    // Drop every waiting event except pasted text, which stays queued.
    virtual void flushInput() = 0;
    // Put one event at the front of the console's own input queue.
    virtual bool pushInput(const InputRecord& record) = 0;

    virtual void beep() = 0;  // the simple beep
    virtual void tone() = 0;  // the panel editor's 750 Hz tone
    // The system clipboard as 8-bit text; false when there is none.
    virtual bool readClipboard(std::string& text) = 0;

    // Ending the run. restoreScreen gives back what the terminal showed
    // before pk started (its saved screen and cursor). leaveScreen keeps pk's
    // last screen in the terminal, without its bottom line when dropLastLine
    // is set, with the cursor at the start of the line after it.
    virtual void restoreScreen() = 0;
    virtual void leaveScreen(bool dropLastLine) = 0;
    // Hand the terminal to another program and take it back afterwards.
    virtual void suspend() = 0;
    virtual void resume() = 0;

    // True once SIGTERM, SIGHUP or SIGINT asked pk to end; readInput then
    // returns false and the caller ends the orderly way, as End does.
    virtual bool endRequested() const = 0;

    virtual int lastError() const = 0;
};

}  // namespace pk
