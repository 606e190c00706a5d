// The command-line editor of the keyboard loop: typing in insert and
// overtype mode, Backspace, Delete, the cursor keys, Insert, and running the
// line with Enter or the last command with F6.
#include <algorithm>
#include <cstring>

#include "display/find.h"
#include "files/file_table.h"
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

void PutCursorAtEnd(LoopState& loop) {
    loop.cursorIndex = CommandLength();
    loop.displayOffset = loop.cursorIndex >= COMMAND_WINDOW ? loop.cursorIndex - COMMAND_WINDOW : 0;
}

}  // namespace

void FollowCursor(LoopState& loop) {
    if (loop.cursorIndex < loop.displayOffset) {
        loop.displayOffset = loop.cursorIndex;
    } else if (loop.cursorIndex - loop.displayOffset >= COMMAND_WINDOW) {
        loop.displayOffset = loop.cursorIndex - COMMAND_WINDOW;
    }
}

void BlankCommandLine(LoopState& loop) {
    std::memset(Line(), ' ', COMMAND_SIZE);
    loop.cursorIndex = 0;
    loop.displayOffset = 0;
}

void TypeCharacter(LoopState& loop, uint8_t ch) {
    int length = CommandLength();
    if (keyboard.insertMode && loop.cursorIndex <= length) {
        if (length == COMMAND_SIZE) {
            Beep();
            return;
        }
        std::memmove(Line() + loop.cursorIndex + 1, Line() + loop.cursorIndex,
                     static_cast<size_t>(length - loop.cursorIndex));
    }
    if (loop.cursorIndex == COMMAND_SIZE) {
        Beep();
        return;
    }
    Line()[loop.cursorIndex++] = static_cast<char>(ch);
    FollowCursor(loop);
}

// Moves back one place; each repeat removes the character under the cursor
// while it is inside the text as it stood before.
void Backspace(LoopState& loop, int repeat) {
    if (loop.cursorIndex == 0) {
        Beep();
        return;
    }
    int length = CommandLength();
    --loop.cursorIndex;
    for (int i = 0; i < repeat; ++i) {
        if (loop.cursorIndex < length) RemoveAt(loop.cursorIndex, length);
    }
    FollowCursor(loop);
}

void DeleteCharacters(LoopState& loop, int repeat) {
    int length = CommandLength();
    int available = length - loop.cursorIndex;
    if (available <= 0) {
        Beep();
        return;
    }
    int count = std::min(available, repeat);
    for (int i = 0; i < count; ++i) RemoveAt(loop.cursorIndex, length);
}

void CursorLeft(LoopState& loop, int repeat) {
    if (loop.cursorIndex == 0) {
        Beep();
        return;
    }
    loop.cursorIndex -= std::min(loop.cursorIndex, repeat);
    FollowCursor(loop);
}

void CursorRight(LoopState& loop, int repeat) {
    if (loop.cursorIndex == COMMAND_SIZE) {
        Beep();
        return;
    }
    loop.cursorIndex += std::min(COMMAND_SIZE - loop.cursorIndex, repeat);
    FollowCursor(loop);
}

void CursorHome(LoopState& loop, int) {
    loop.cursorIndex = 0;
    loop.displayOffset = 0;
}

void CursorEnd(LoopState& loop, int) { PutCursorAtEnd(loop); }

void ToggleInsert(LoopState&, int) {
    keyboard.insertMode ^= 1;
    fullconsole()->setCursorInfo(keyboard.insertMode ? INSERT_CURSOR_SIZE : OVERTYPE_CURSOR_SIZE, true);
}

// Enter: run the line, then act on the command's bits.
void RunCommandLine(LoopState& loop) {
    loop.bits = ExecuteCommand();
    if (loop.bits & CMD_REDRAW) loop.done = true;
    if (loop.bits & (CMD_END | CMD_ENDLEAVE)) {
        loop.done = true;
        loop.result = (loop.bits & CMD_END) ? KEY_END : KEY_ENDLEAVE;
    }
    if (loop.bits & CMD_REPEAT) {
        std::memcpy(Line(), commands.lastCommand, sizeof commands.lastCommand);
        loop.bits = ExecuteCommand();
        if (loop.bits & CMD_REDRAW) loop.done = true;
        BlankCommandLine(loop);
        return;
    }
    if (loop.bits & CMD_FIND) {
        // A find that misses must not cancel a redraw or an end already asked for.
        if (RunFind()) loop.done = true;
        if (CurrentEntry().findFlags & FIND_FAILED) loop.bits |= CMD_KEEPMSG;
    }
    if (loop.bits & CMD_KEEPLINE) {
        PutCursorAtEnd(loop);
        return;
    }
    std::memcpy(commands.lastCommand, Line(), COMMAND_SIZE);
    BlankCommandLine(loop);
}

// F6: the last command again; only a redraw and its message count.
void RepeatLastCommand(LoopState& loop, int) {
    std::memcpy(Line(), commands.lastCommand, sizeof commands.lastCommand);
    loop.bits = ExecuteCommand();
    if (loop.bits & CMD_REDRAW) loop.done = true;
    BlankCommandLine(loop);
}

}  // namespace pk
