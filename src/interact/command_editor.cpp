// The command-line editor of the keyboard loop: typing in insert and
// overtype mode, Backspace, Delete, the cursor keys, Insert, and running the
// line with Enter or the last command with F6.
#include <algorithm>
#include <cstring>

#include "interact/command_state.h"
#include "interact/commands.h"
#include "interact/keyboard_state.h"
#include "panel/panel.h"

namespace pk {

namespace {

char* Line() { return commands.commandLine; }

// Removes the character at index from a text of length characters: the rest
// moves one place left and a blank fills the last place of the text.
void RemoveAt(int index, int length) {
    if (index >= length) return;
    std::memmove(Line() + index, Line() + index + 1, static_cast<size_t>(length - index - 1));
    Line()[length - 1] = ' ';
}

// The window follows the cursor so that it stays in view.
void FollowCursor(LineCursor& line) {
    if (line.cursorIndex < line.displayOffset) {
        line.displayOffset = line.cursorIndex;
    } else if (line.cursorIndex - line.displayOffset >= COMMAND_WINDOW) {
        line.displayOffset = line.cursorIndex - COMMAND_WINDOW;
    }
}

void PutCursorAtEnd(LineCursor& line) {
    line.cursorIndex = CommandLength();
    line.displayOffset = line.cursorIndex >= COMMAND_WINDOW ? line.cursorIndex - COMMAND_WINDOW : 0;
}

}  // namespace

void BlankCommandLine(LineCursor& line) {
    std::memset(Line(), ' ', COMMAND_SIZE);
    line = LineCursor{};
}

uint32_t TypeCharacter(LineCursor& line, uint8_t ch) {
    int length = CommandLength();
    if (keyboard.insertMode && line.cursorIndex <= length) {
        if (length == COMMAND_SIZE) return Refuse();
        std::memmove(Line() + line.cursorIndex + 1, Line() + line.cursorIndex,
                     static_cast<size_t>(length - line.cursorIndex));
    }
    if (line.cursorIndex == COMMAND_SIZE) return Refuse();
    Line()[line.cursorIndex++] = static_cast<char>(ch);
    FollowCursor(line);
    return 0;
}

// Moves back one place; each repeat removes the character under the cursor
// while it is inside the text as it stood before.
uint32_t Backspace(LineCursor& line, int repeat) {
    if (line.cursorIndex == 0) return Refuse();
    int length = CommandLength();
    --line.cursorIndex;
    for (int i = 0; i < repeat; ++i) {
        if (line.cursorIndex < length) RemoveAt(line.cursorIndex, length);
    }
    FollowCursor(line);
    return 0;
}

uint32_t DeleteCharacters(LineCursor& line, int repeat) {
    int length = CommandLength();
    int available = length - line.cursorIndex;
    if (available <= 0) return Refuse();
    int count = std::min(available, repeat);
    for (int i = 0; i < count; ++i) RemoveAt(line.cursorIndex, length);
    return 0;
}

uint32_t CursorLeft(LineCursor& line, int repeat) {
    if (line.cursorIndex == 0) return Refuse();
    line.cursorIndex -= std::min(line.cursorIndex, repeat);
    FollowCursor(line);
    return 0;
}

uint32_t CursorRight(LineCursor& line, int repeat) {
    if (line.cursorIndex == COMMAND_SIZE) return Refuse();
    line.cursorIndex += std::min(COMMAND_SIZE - line.cursorIndex, repeat);
    FollowCursor(line);
    return 0;
}

uint32_t CursorHome(LineCursor& line, int) {
    line = LineCursor{};
    return 0;
}

uint32_t CursorEnd(LineCursor& line, int) {
    PutCursorAtEnd(line);
    return 0;
}

uint32_t ToggleInsert(LineCursor&, int) {
    keyboard.insertMode ^= 1;
    return CMD_CURSOR;
}

// Enter: runs the line; it becomes the last command unless it keeps the
// line for editing or repeats the last command ("=", which gives
// CMD_REPEAT alone).
uint32_t RunCommandLine(LineCursor& line) {
    uint32_t bits = ExecuteCommand();
    if (bits & CMD_REPEAT) return RepeatLastCommand(line, 1);
    if (bits & CMD_KEEPLINE) {
        PutCursorAtEnd(line);
        return bits;
    }
    std::memcpy(commands.lastCommand, Line(), COMMAND_SIZE);
    BlankCommandLine(line);
    return bits;
}

// F6 and "=": the last command again. Only its redraw and its message
// count, so a repeated find sets the find string without searching.
uint32_t RepeatLastCommand(LineCursor& line, int) {
    std::memcpy(Line(), commands.lastCommand, sizeof commands.lastCommand);
    uint32_t bits = ExecuteCommand() & (CMD_REDRAW | CMD_KEEPMSG);
    BlankCommandLine(line);
    return bits;
}

}  // namespace pk
