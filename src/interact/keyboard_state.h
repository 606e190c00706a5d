// The keyboard loop's state and the operations its files share: what lasts
// for the whole run (insert mode, pasted text not yet typed), what one call
// of KeyboardLoop works on (cursor, window offset, ending), the command-line
// editor, the paste buffer and the key table.
#pragma once

#include <cstdint>
#include <string_view>

#include "panel/console.h"

namespace pk {

constexpr int PASTE_SIZE = 255;
constexpr int COMMAND_WINDOW = 67;       // characters of the line shown at once
constexpr int16_t COMMAND_COLUMN = 12;   // first column of the command window
constexpr int16_t COMMAND_ROW = 2;       // its row (0-based)
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

// One call of KeyboardLoop.
struct LoopState {
    int32_t cursorIndex = 0;    // 0..256: where the next character goes
    int32_t displayOffset = 0;  // first character shown in the window
    bool done = false;          // leave after this event
    int result = 0;             // KEY_* value
    uint32_t bits = 0;          // CMD_* bits of the current event
};

// --- command-line editor (command_editor.cpp) ---
void FollowCursor(LoopState& loop);
void BlankCommandLine(LoopState& loop);
void TypeCharacter(LoopState& loop, uint8_t ch);
void Backspace(LoopState& loop, int repeat);
void DeleteCharacters(LoopState& loop, int repeat);
void CursorLeft(LoopState& loop, int repeat);
void CursorRight(LoopState& loop, int repeat);
void CursorHome(LoopState& loop, int repeat);
void CursorEnd(LoopState& loop, int repeat);
void ToggleInsert(LoopState& loop, int repeat);
void RunCommandLine(LoopState& loop);  // Enter
void RepeatLastCommand(LoopState& loop, int repeat);  // F6

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
void DispatchScanCode(LoopState& loop, uint16_t scanCode, uint32_t controlState, int repeat);
// The scan code of the function key whose label field i (0..23) is.
uint16_t KeyLabelScanCode(int field);

}  // namespace pk
