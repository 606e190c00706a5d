// The key table: every key without a character, by scan code, with its Ctrl
// and Alt forms, and the view keys that move by rules of their own (Top,
// page left and right, Bottom, column left and right).
#include <algorithm>
#include <cstdint>

#include "display/display_state.h"
#include "display/find.h"
#include "display/screen.h"
#include "files/file_table.h"
#include "files/state.h"
#include "interact/command_state.h"
#include "interact/help.h"
#include "interact/keyboard_state.h"
#include "interact/movement.h"

namespace pk {

namespace {

using KeyHandler = void (*)(LoopState&, int repeat);

bool InHexView() { return display.hexView != 0; }

// A movement that moved keeps the find's start with the view and ends the loop.
void Moved(LoopState& loop, int moved) {
    if (!moved) return;
    SyncFindStart();
    loop.done = true;
}

// Sets the text view's first column, or beeps when it would not change.
void SetColumn(LoopState& loop, uint32_t column) {
    FilePosition& view = CurrentEntry().view;
    if (column == view.column) {
        Beep();
        return;
    }
    view.column = column;
    Moved(loop, 1);
}

// Columns of a page left or right: the screen's width or half of it.
uint64_t PageColumns(int repeat) {
    uint64_t page = display.scrollPage ? program.screenWidth : program.screenWidth / 2u;
    return page * static_cast<uint64_t>(repeat);
}

void ColumnLeft(LoopState& loop, uint64_t amount) {
    uint32_t column = CurrentEntry().view.column;
    SetColumn(loop, column > amount ? static_cast<uint32_t>(column - amount) : 1);
}

void ColumnRight(LoopState& loop, uint64_t amount) {
    uint32_t widest = WidestLine(CurrentEntry());
    if (widest <= program.screenWidth) {
        Beep();
        return;
    }
    uint64_t limit = widest - program.screenWidth + 1u;
    SetColumn(loop, static_cast<uint32_t>(std::min(CurrentEntry().view.column + amount, limit)));
}

void Help(LoopState& loop, int) {
    ShowHelp();
    loop.done = true;
}

void SwitchScrollAmount(LoopState&, int) {
    display.scrollPage ^= 1;
    ShowScrollAmount();
}

void CloseFile(LoopState& loop, int) {
    if (CloseCurrentEntry() == 0) {
        program.console->setCursorInfo(OVERTYPE_CURSOR_SIZE, true);
        loop.result = KEY_END;
    }
    loop.done = true;
}

void Top(LoopState& loop, int) {
    FilePosition& view = CurrentEntry().view;
    bool atTop = InHexView() ? view.offset == 0 : (view.line == 1 && view.column == 1);
    if (atTop) {
        Beep();
        return;
    }
    view.line = 1;
    view.column = 1;
    view.offset = 0;
    Moved(loop, 1);
}

void RepeatFind(LoopState& loop, int) {
    if (RunFind()) loop.done = true;
    if (CurrentEntry().findFlags & FIND_FAILED) loop.bits |= CMD_KEEPMSG;
}

void PageLeft(LoopState& loop, int repeat) {
    if (InHexView()) return Beep();
    ColumnLeft(loop, PageColumns(repeat));
}

void PageRight(LoopState& loop, int repeat) {
    if (InHexView()) return Beep();
    ColumnRight(loop, PageColumns(repeat));
}

// Bottom by the key's own rule: the hex view ends exactly at the last byte,
// the text view shows the last page from column 1.
void Bottom(LoopState& loop, int) {
    FileEntry& entry = CurrentEntry();
    if (InHexView()) {
        uint32_t offset = entry.size > program.hexPageBytes ? entry.size - program.hexPageBytes : 0;
        if (offset == entry.view.offset) return Beep();
        entry.view.offset = offset;
    } else {
        uint32_t line = entry.lineCount <= program.dataRows ? 1 : entry.lineCount - program.dataRows + 1;
        if (entry.view.line == line && entry.view.column == 1) return Beep();
        entry.view.line = line;
        entry.view.column = 1;
    }
    loop.done = true;
}

void NextFile(LoopState& loop, int) {
    if (NextLoadedEntry()) {
        loop.done = true;
    } else {
        Beep();
    }
}

void ColumnLeftKey(LoopState& loop, int repeat) {
    if (InHexView()) return Beep();
    ColumnLeft(loop, static_cast<uint64_t>(repeat));
}

void ColumnRightKey(LoopState& loop, int repeat) {
    if (InHexView()) return Beep();
    ColumnRight(loop, static_cast<uint64_t>(repeat));
}

void LineUp(LoopState& loop, int) { Moved(loop, ScrollUp(InHexView() ? 16 : 1)); }
void LineDown(LoopState& loop, int) { Moved(loop, ScrollDown(InHexView() ? 16 : 1)); }

uint32_t PageAmount() {
    uint32_t page = InHexView() ? program.hexPageBytes : program.dataRows;
    return display.scrollPage ? page : page / 2;
}

void PageUp(LoopState& loop, int) { Moved(loop, ScrollUp(PageAmount())); }
void PageDown(LoopState& loop, int) { Moved(loop, ScrollDown(PageAmount())); }

// Ctrl+Home: first line and offset 0, the column kept, never a beep.
void FirstLine(LoopState& loop, int) {
    FilePosition& view = CurrentEntry().view;
    view.line = 1;
    view.offset = 0;
    Moved(loop, 1);
}

void LastPage(LoopState& loop, int) { Moved(loop, GoBottom()); }
void ViewLeft(LoopState& loop, int) { Moved(loop, ScrollLeft(1)); }
void ViewRight(LoopState& loop, int) { Moved(loop, ScrollRight(1)); }
void Nothing(LoopState&, int) {}

struct KeyBinding {
    uint16_t scanCode;
    KeyHandler plain;
    KeyHandler ctrl;  // none: Ctrl is ignored for this key
    KeyHandler alt;   // none: Alt is ignored for this key
};

constexpr KeyBinding KEY_TABLE[] = {
    {0x3B, Help, nullptr, nullptr},
    {0x3C, SwitchScrollAmount, nullptr, nullptr},
    {0x3D, CloseFile, nullptr, nullptr},
    {0x3E, Top, nullptr, nullptr},
    {0x3F, RepeatFind, nullptr, nullptr},
    {0x40, RepeatLastCommand, nullptr, nullptr},
    {0x41, PageLeft, nullptr, nullptr},
    {0x42, PageRight, nullptr, nullptr},
    {0x43, Bottom, nullptr, nullptr},
    {0x44, NextFile, nullptr, nullptr},
    {0x57, ColumnLeftKey, nullptr, nullptr},
    {0x58, ColumnRightKey, nullptr, nullptr},
    {0x48, LineUp, nullptr, nullptr},
    {0x50, LineDown, nullptr, nullptr},
    {0x49, PageUp, nullptr, nullptr},
    {0x51, PageDown, nullptr, nullptr},
    {0x47, CursorHome, FirstLine, nullptr},
    {0x4F, CursorEnd, LastPage, nullptr},
    {0x4B, CursorLeft, Nothing, ViewLeft},
    {0x4D, CursorRight, Nothing, ViewRight},
    {0x52, ToggleInsert, nullptr, nullptr},
    {0x53, DeleteCharacters, nullptr, nullptr},
};

// Scan codes of the 24 key-label fields, two per key, F1 to F12.
constexpr uint16_t LABEL_SCAN_CODES[KEYS_FIELD_COUNT] = {
    0x3B, 0x3B, 0x3C, 0x3C, 0x3D, 0x3D, 0x3E, 0x3E, 0x3F, 0x3F, 0x40, 0x40,
    0x41, 0x41, 0x42, 0x42, 0x43, 0x43, 0x44, 0x44, 0x57, 0x57, 0x58, 0x58,
};

// Ctrl is tested before Alt, so Ctrl+Alt+Left does what Ctrl+Left does.
KeyHandler Choose(const KeyBinding& binding, uint32_t controlState) {
    bool ctrl = controlState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED);
    bool alt = controlState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
    if (ctrl && binding.ctrl) return binding.ctrl;
    if (alt && binding.alt) return binding.alt;
    return binding.plain;
}

}  // namespace

void DispatchScanCode(LoopState& loop, uint16_t scanCode, uint32_t controlState, int repeat) {
    for (const KeyBinding& binding : KEY_TABLE) {
        if (binding.scanCode == scanCode) {
            Choose(binding, controlState)(loop, repeat);
            return;
        }
    }
}

uint16_t KeyLabelScanCode(int field) {
    return field >= 0 && field < KEYS_FIELD_COUNT ? LABEL_SCAN_CODES[field] : 0;
}

}  // namespace pk
