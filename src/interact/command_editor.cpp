// The command-line editor of the keyboard loop: typing in insert and
// overtype mode, Backspace, Delete, the cursor keys, Insert, and running the
// line with Enter or the last command with F6. The line holds bytes; while
// text is shown as UTF-8 the editor steps over, removes and replaces whole
// characters, and the window counts cells.
#include <algorithm>
#include <cstring>

#include "display/display_state.h"
#include "display/screen.h"
#include "interact/command_state.h"
#include "interact/commands.h"
#include "interact/keyboard_state.h"
#include "panel/cell_text.h"
#include "panel/panel.h"
#include "panel/utf8.h"

namespace pk {

namespace {

char* Line() { return commands.commandLine; }
const uint8_t* LineBytes() { return reinterpret_cast<const uint8_t*>(commands.commandLine); }

// The character at index: its bytes and cells (one of each as bytes).
TextUnit UnitAt(int index) {
    if (!ShowingUtf8() || index >= COMMAND_SIZE) return TextUnit{1, 1, true};
    return NextUnit(LineBytes(), COMMAND_SIZE, uint32_t(index));
}

int UnitBefore(int index) {
    return ShowingUtf8() ? int(PrevUnitStart(LineBytes(), COMMAND_SIZE, uint32_t(index))) : index - 1;
}

// Removes count bytes at index from a text of length bytes: the rest moves
// left and blanks fill the last places of the text.
void RemoveAt(int index, int length, int count = 1) {
    if (index >= length) return;
    count = std::min(count, length - index);
    std::memmove(Line() + index, Line() + index + count, static_cast<size_t>(length - index - count));
    std::memset(Line() + length - count, ' ', static_cast<size_t>(count));
}

// The window follows the cursor so that it stays in view: at most
// COMMAND_WINDOW cells from its start to the cursor.
void FollowCursor(LineCursor& line) {
    if (line.cursorIndex < line.displayOffset) {
        line.displayOffset = line.cursorIndex;
        return;
    }
    for (int cells = CursorColumn(line); cells > COMMAND_WINDOW;) {
        TextUnit unit = UnitAt(line.displayOffset);
        cells -= int(unit.width);
        line.displayOffset += int(unit.length);
    }
}

void PutCursorAtEnd(LineCursor& line) {
    line.cursorIndex = CommandLength();
    line.displayOffset = 0;
    FollowCursor(line);
}

bool IsContinuation(uint8_t ch) { return (ch & 0xC0) == 0x80; }

// A byte typed while text is shown as UTF-8. The first byte of a character
// (in overtype mode, replacing the whole character under the cursor) is
// accepted only when all of the character fits; the bytes after it are
// inserted behind it, or skipped when it was refused.
uint32_t TypeUtf8Byte(LineCursor& line, uint8_t ch) {
    if (IsContinuation(ch) && line.skipping > 0) {
        --line.skipping;
        return 0;
    }
    line.skipping = 0;
    const bool continues = IsContinuation(ch) && line.continuing > 0;
    const int need = continues ? 1 : int(Utf8LeadLength(ch));
    int length = CommandLength();
    const bool replace = !continues && !keyboard.insertMode && line.cursorIndex < length;
    const int replaced = replace ? int(UnitAt(line.cursorIndex).length) : 0;
    const int room = line.cursorIndex <= length ? COMMAND_SIZE - length + replaced : COMMAND_SIZE - line.cursorIndex;
    if (room < need) {
        line.continuing = 0;
        line.skipping = int8_t(need - 1);
        return Refuse();
    }
    line.continuing = int8_t(continues ? line.continuing - 1 : need - 1);
    if (replace) RemoveAt(line.cursorIndex, length, replaced);
    length = CommandLength();
    if (line.cursorIndex < length)
        std::memmove(Line() + line.cursorIndex + 1, Line() + line.cursorIndex,
                     static_cast<size_t>(length - line.cursorIndex));
    Line()[line.cursorIndex++] = static_cast<char>(ch);
    FollowCursor(line);
    return 0;
}

}  // namespace

int CursorColumn(const LineCursor& line) {
    int from = line.displayOffset, to = line.cursorIndex;
    if (!ShowingUtf8() || to <= from) return to - from;
    return int(MeasureCells(LineBytes() + from, uint32_t(to - from)).raw);
}

void ShowCommandWindow(const LineCursor& line) {
    Console* console = fullconsole();
    const ScreenLayout layout = CurrentLayout();
    const int16_t row = layout.commandRow, column = layout.commandColumn;
    console->setCursorPosition(Coord{int16_t(column + CursorColumn(line)), row});
    if (!ShowingUtf8()) {
        const uint8_t* shown = LineBytes() + line.displayOffset;
        console->writeChars(Coord{column, row}, shown, COMMAND_WINDOW);
        return;
    }
    // The cells keep their colours; only what they show changes.
    Cell cells[COMMAND_WINDOW];
    Coord size{COMMAND_WINDOW, 1};
    Rect window{column, row, int16_t(column + COMMAND_WINDOW - 1), row};
    console->readCells(cells, size, window);
    for (Cell& cell : cells) {
        cell.ch = ' ';
        cell.kind = CELL_GLYPH;
    }
    Utf8Cells(LineBytes() + line.displayOffset, uint32_t(COMMAND_SIZE - line.displayOffset), 0, false, cells,
              COMMAND_WINDOW);
    console->writeCells(cells, size, window);
}

void BlankCommandLine(LineCursor& line) {
    std::memset(Line(), ' ', COMMAND_SIZE);
    line = LineCursor{};
}

uint32_t TypeCharacter(LineCursor& line, uint8_t ch) {
    if (ShowingUtf8()) return TypeUtf8Byte(line, ch);
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

// Moves back one character; each repeat removes the character under the
// cursor while it is inside the text as it stood before.
uint32_t Backspace(LineCursor& line, int repeat) {
    if (line.cursorIndex == 0) return Refuse();
    int length = CommandLength();
    line.cursorIndex = UnitBefore(line.cursorIndex);
    for (int i = 0; i < repeat; ++i) {
        if (line.cursorIndex < length) RemoveAt(line.cursorIndex, length, int(UnitAt(line.cursorIndex).length));
    }
    FollowCursor(line);
    return 0;
}

uint32_t DeleteCharacters(LineCursor& line, int repeat) {
    int length = CommandLength();
    if (length <= line.cursorIndex) return Refuse();
    for (int i = 0, left = length - line.cursorIndex; i < repeat && left > 0; ++i) {
        int count = int(UnitAt(line.cursorIndex).length);
        RemoveAt(line.cursorIndex, length, count);
        left -= count;
    }
    return 0;
}

uint32_t CursorLeft(LineCursor& line, int repeat) {
    if (line.cursorIndex == 0) return Refuse();
    for (int i = 0; i < repeat && line.cursorIndex > 0; ++i) line.cursorIndex = UnitBefore(line.cursorIndex);
    FollowCursor(line);
    return 0;
}

uint32_t CursorRight(LineCursor& line, int repeat) {
    if (line.cursorIndex == COMMAND_SIZE) return Refuse();
    for (int i = 0; i < repeat && line.cursorIndex < COMMAND_SIZE; ++i)
        line.cursorIndex = std::min(COMMAND_SIZE, line.cursorIndex + int(UnitAt(line.cursorIndex).length));
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
