// The key table: every key without a character, by scan code, with its Ctrl
// and Alt forms, and the view keys that move by rules of their own (Top,
// page left and right, Bottom, column left and right); and the mouse wheel.
// Each handler returns CMD_* bits; a refused key beeps and returns 0.
#include <algorithm>
#include <cstdint>
#include <iterator>

#include "display/display_state.h"
#include "display/key_labels.h"
#include "display/screen.h"
#include "files/file_change.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "interact/command_state.h"
#include "interact/help.h"
#include "interact/keyboard.h"
#include "interact/keyboard_state.h"
#include "interact/movement.h"
#include "panel/panel.h"

namespace pk {

namespace {

bool InHexView() { return display.hexView != 0; }

// Sets the text view's first column, or beeps when it would not change.
uint32_t SetColumn(uint64_t column) {
    FilePosition& view = CurrentEntry().view;
    if (column == view.column) return Refuse();
    view.column = column;
    return AfterMove(1);
}

// Columns of a page left or right: the screen's width or half of it.
uint64_t PageColumns(int repeat) {
    uint64_t page = display.scrollPage ? program.screenWidth : program.screenWidth / 2u;
    return page * static_cast<uint64_t>(repeat);
}

uint32_t ColumnLeft(uint64_t amount) {
    if (InHexView()) return Refuse();
    uint64_t column = CurrentEntry().view.column;
    return SetColumn(column > amount ? column - amount : 1);
}

uint32_t ColumnRight(uint64_t amount) {
    uint64_t widest = WidestLine(CurrentEntry(), ShowingUtf8());
    if (InHexView() || widest <= program.screenWidth) return Refuse();
    uint64_t limit = widest - program.screenWidth + 1u;
    return SetColumn(std::min(SaturatingAdd(CurrentEntry().view.column, amount), limit));
}

uint32_t Help(LineCursor&, int) {
    ShowHelp();
    return CMD_REDRAW;
}

uint32_t SwitchScrollAmount(LineCursor&, int) {
    display.scrollPage ^= 1;
    ShowScrollAmount();
    return 0;
}

// The last file's F3 ends pk, with the cursor back in its start-up shape.
uint32_t CloseFile(LineCursor&, int) {
    if (CloseCurrentEntry()) return CMD_REDRAW;
    keyboard.insertMode = 0;
    return CMD_END | CMD_CURSOR;
}

uint32_t Top(LineCursor&, int) {
    FilePosition& view = CurrentEntry().view;
    bool atTop = InHexView() ? view.offset == 0 : (view.line == 1 && view.column == 1);
    if (atTop) return Refuse();
    view = FilePosition{1, 1, 0};
    return AfterMove(1);
}

uint32_t RepeatFind(LineCursor&, int) { return CMD_FIND; }
uint32_t PageLeft(LineCursor&, int repeat) { return ColumnLeft(PageColumns(repeat)); }
uint32_t PageRight(LineCursor&, int repeat) { return ColumnRight(PageColumns(repeat)); }

// F9, Bottom: the hex view ends exactly at the last byte (not on a row
// boundary, unlike "bottom"), the text view shows the last page from column
// 1. The find's start stays.
uint32_t Bottom(LineCursor&, int) {
    FileEntry& entry = CurrentEntry();
    if (InHexView()) {
        uint64_t offset = LastPageOffset(entry, true);
        if (offset == entry.view.offset) return Refuse();
        entry.view.offset = offset;
    } else {
        if (!AwaitCounted(entry, WholeCount(entry))) return 0;
        uint64_t line = LastTopLine(entry);
        if (entry.view.line == line && entry.view.column == 1) return Refuse();
        entry.view.line = line;
        entry.view.column = 1;
    }
    return CMD_REDRAW;
}

uint32_t NextFile(LineCursor&, int) { return NextLoadedEntry() ? CMD_REDRAW : Refuse(); }
uint32_t ColumnLeftKey(LineCursor&, int repeat) { return ColumnLeft(static_cast<uint64_t>(repeat)); }
uint32_t ColumnRightKey(LineCursor&, int repeat) { return ColumnRight(static_cast<uint64_t>(repeat)); }
uint32_t LineUp(LineCursor&, int) { return AfterMove(ScrollUp(InHexView() ? 16 : 1)); }
uint32_t LineDown(LineCursor&, int) { return AfterMove(ScrollDown(InHexView() ? 16 : 1)); }

uint64_t PageAmount() {
    uint64_t page = InHexView() ? program.hexPageBytes : program.dataRows;
    return display.scrollPage ? page : page / 2;
}

uint32_t PageUp(LineCursor&, int) { return AfterMove(ScrollUp(PageAmount())); }
uint32_t PageDown(LineCursor&, int) { return AfterMove(ScrollDown(PageAmount())); }

// Ctrl+Home: first line and offset 0, the column kept, never a beep.
uint32_t FirstLine(LineCursor&, int) {
    FilePosition& view = CurrentEntry().view;
    view.line = 1;
    view.offset = 0;
    return AfterMove(1);
}

uint32_t LastPage(LineCursor&, int) { return AfterMove(GoBottom()); }
uint32_t ViewLeft(LineCursor&, int) { return AfterMove(ScrollLeft(1)); }
uint32_t ViewRight(LineCursor&, int) { return AfterMove(ScrollRight(1)); }
uint32_t Nothing(LineCursor&, int) { return 0; }

struct KeyBinding {
    uint16_t scanCode;
    KeyHandler plain;
    KeyHandler ctrl = nullptr;  // none: Ctrl is ignored for this key
    KeyHandler alt = nullptr;   // none: Alt is ignored for this key
};

// A wheel notch moves three lines (rows of 16 bytes in hex view) as Up and
// Down do, and eight columns sideways in the text view.
constexpr uint32_t WHEEL_LINES = 3;
constexpr uint32_t WHEEL_COLUMNS = 8;

constexpr KeyBinding KEY_TABLE[] = {
    {FunctionKeyScan(1), Help},
    {FunctionKeyScan(2), SwitchScrollAmount},
    {FunctionKeyScan(3), CloseFile},
    {FunctionKeyScan(4), Top},
    {FunctionKeyScan(5), RepeatFind},
    {FunctionKeyScan(6), RepeatLastCommand},
    {FunctionKeyScan(7), PageLeft},
    {FunctionKeyScan(8), PageRight},
    {FunctionKeyScan(9), Bottom},
    {FunctionKeyScan(10), NextFile},
    {FunctionKeyScan(11), ColumnLeftKey},
    {FunctionKeyScan(12), ColumnRightKey},
    {SCAN_UP, LineUp},
    {SCAN_DOWN, LineDown},
    {SCAN_PGUP, PageUp},
    {SCAN_PGDN, PageDown},
    {SCAN_HOME, CursorHome, FirstLine},
    {SCAN_END, CursorEnd, LastPage},
    {SCAN_LEFT, CursorLeft, Nothing, ViewLeft},
    {SCAN_RIGHT, CursorRight, Nothing, ViewRight},
    {SCAN_INSERT, ToggleInsert},
    {SCAN_DELETE, DeleteCharacters},
};

// Ctrl is tested before Alt, so Ctrl+Alt+Left does what Ctrl+Left does.
KeyHandler Choose(const KeyBinding& binding, uint32_t controlState) {
    if ((controlState & CTRL_PRESSED) && binding.ctrl) return binding.ctrl;
    if ((controlState & ALT_PRESSED) && binding.alt) return binding.alt;
    return binding.plain;
}

}  // namespace

// Nothing beeps at either end: a wheel keeps turning. Shift turns a
// vertical notch sideways (forward, up, is left), as a tilted wheel is.
uint32_t WheelScroll(const InputRecord& record) {
    const bool forward = int32_t(record.buttonState) > 0;
    if ((record.eventFlags & MOUSE_HWHEELED) || (record.controlState & SHIFT_PRESSED)) {
        if (InHexView()) return 0;
        bool right = (record.eventFlags & MOUSE_HWHEELED) ? forward : !forward;
        return AfterMove(ScrollQuietly(right ? Direction::Right : Direction::Left, WHEEL_COLUMNS));
    }
    uint64_t amount = InHexView() ? WHEEL_LINES * 16 : WHEEL_LINES;
    return AfterMove(ScrollQuietly(forward ? Direction::Up : Direction::Down, amount));
}

uint32_t DispatchScanCode(LineCursor& line, uint16_t scanCode, uint32_t controlState, int repeat) {
    for (const KeyBinding& binding : KEY_TABLE)
        if (binding.scanCode == scanCode) return Choose(binding, controlState)(line, repeat);
    return 0;
}

KeyForms KeyTableRow(int index) {
    if (index < 0 || index >= int(std::size(KEY_TABLE))) return KeyForms{};
    const KeyBinding& binding = KEY_TABLE[index];
    return KeyForms{binding.scanCode, binding.ctrl != nullptr, binding.alt != nullptr};
}

}  // namespace pk
