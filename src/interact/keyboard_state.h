// The keyboard loop's state and the operations its files share: what lasts
// for the whole run (insert mode, pasted text not yet typed), the command
// line's cursor during one call of KeyboardLoop, the command-line editor,
// the paste buffer and the key table. Every key handler returns CMD_* bits,
// which the loop alone acts on.
#pragma once

#include <cstdint>
#include <string_view>

#include "panel/console.h"
#include "panel/panel.h"

namespace pk {

constexpr int PASTE_SIZE = int(PASTE_KEPT);
constexpr int COMMAND_WINDOW = 67;       // characters of the line shown at once
constexpr int INSERT_CURSOR_SIZE = 70;
constexpr int OVERTYPE_CURSOR_SIZE = 12;

struct KeyboardState {
    uint32_t insertMode = 0;               // 0 overtype, 1 insert
    uint8_t pasteBuffer[PASTE_SIZE + 1] = {};
    int16_t pasteCount = 0;                // 0: nothing pending
    int16_t pastePosition = 0;             // next character to hand out
};

extern KeyboardState keyboard;

// Back to the start-up state (all zero).
void ResetKeyboard();

// Where the command line's cursor and window stand; both start at 0 with
// every call of KeyboardLoop.
// In UTF-8 both stand at the start of a character, and the characters of a
// line are typed one byte (one key) at a time.
struct LineCursor {
    int32_t cursorIndex = 0;    // 0..256: where the next character goes
    int32_t displayOffset = 0;  // first character shown in the window
    int8_t continuing = 0;      // UTF-8: bytes the character being typed still has
    int8_t skipping = 0;        // UTF-8: bytes of a refused character still to come
};

// The column of the cursor in the command window (bytes, or cells in UTF-8).
int CursorColumn(const LineCursor& line);
// The command window (COMMAND_WINDOW cells from displayOffset) on the screen.
void ShowCommandWindow(const LineCursor& line);

using KeyHandler = uint32_t (*)(LineCursor& line, int repeat);

// A refused key beeps and asks for nothing more.
inline uint32_t Refuse() {
    Beep();
    return 0;
}

// --- command-line editor (command_editor.cpp) ---
void BlankCommandLine(LineCursor& line);
uint32_t TypeCharacter(LineCursor& line, uint8_t ch);
uint32_t Backspace(LineCursor& line, int repeat);
uint32_t DeleteCharacters(LineCursor& line, int repeat);
uint32_t CursorLeft(LineCursor& line, int repeat);
uint32_t CursorRight(LineCursor& line, int repeat);
uint32_t CursorHome(LineCursor& line, int repeat);
uint32_t CursorEnd(LineCursor& line, int repeat);
uint32_t ToggleInsert(LineCursor& line, int repeat);
uint32_t RunCommandLine(LineCursor& line);              // Enter
uint32_t RepeatLastCommand(LineCursor& line, int repeat);  // F6

// --- paste (paste.cpp) ---
// Replaces what is pending with text: CR and LF dropped, a NUL ends it, at
// most the first 255 characters count.
void FillPasteBuffer(std::string_view text);
// Ctrl+V: the clipboard's text into the paste buffer, if there is any.
void StartPaste();
// The next pasted character as a key record; false when none is pending.
bool TakePastedKey(InputRecord& record);

// --- key table (keyboard_keys.cpp) ---
// Runs the binding of a key without a character.
uint32_t DispatchScanCode(LineCursor& line, uint16_t scanCode, uint32_t controlState, int repeat);
// A notch of the mouse wheel (a MOUSE_EVENT with a wheel flag).
uint32_t WheelScroll(const InputRecord& record);

}  // namespace pk
