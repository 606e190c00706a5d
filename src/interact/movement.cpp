// View movement of the current file: scrolling by lines, bytes and columns,
// top and bottom, going to a line or an offset, and keeping the find's start
// in step with the view. A move that cannot be made beeps and changes
// nothing. Sums are taken in 64 bits and clamped, so huge typed counts never
// wrap around.
#include "interact/movement.h"

#include <algorithm>

#include "display/display_state.h"
#include "display/find.h"
#include "files/file_change.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "interact/command_state.h"
#include "panel/panel.h"

namespace pk {

namespace {

int Refuse(bool quiet) {
    if (!quiet) Beep();
    return 0;
}

// The data's end in whole rows of 16 bytes.
uint64_t RowEnd(const FileEntry& e) { return (uint64_t(e.size) + 15) & ~uint64_t(15); }

}  // namespace

uint64_t LastTopLine(const FileEntry& e) {
    if (e.lineCount <= program.dataRows) return 1;
    return e.lineCount - program.dataRows + 1;
}

uint64_t LastPageOffset(const FileEntry& e, bool byteExact) {
    uint64_t page = program.hexPageBytes;
    uint64_t end = byteExact ? uint64_t(e.size) : RowEnd(e);
    return e.size > page ? end - page : 0;
}

namespace {

int HexScrollDown(FileEntry& e, uint64_t n, bool quiet) {
    uint64_t step = n & ~uint64_t(15);
    uint64_t page = program.hexPageBytes;
    if (step == 0 || e.size <= page) return Refuse(quiet);
    if (e.size <= uint64_t(e.view.offset) + page - 1) return Refuse(quiet);
    uint64_t target = std::min(SaturatingAdd(e.view.offset, step), RowEnd(e) - page);
    if (target == e.view.offset) return Refuse(quiet);
    e.view.offset = uint64_t(target);
    return 1;
}

int TextScrollDown(FileEntry& e, uint64_t n, bool quiet) {
    uint64_t last = LastTopLine(e);
    if (n == 0 || e.view.line >= last) return Refuse(quiet);
    e.view.line = std::min(SaturatingAdd(e.view.line, n), last);
    return 1;
}

int ScrollDownBy(uint64_t n, bool quiet) {
    FileEntry& e = CurrentEntry();
    return display.hexView ? HexScrollDown(e, n, quiet) : TextScrollDown(e, n, quiet);
}

int ScrollUpBy(uint64_t n, bool quiet) {
    FileEntry& e = CurrentEntry();
    if (display.hexView) {
        uint64_t step = n & ~uint64_t(15);
        if (e.view.offset == 0 || step == 0) return Refuse(quiet);
        e.view.offset = e.view.offset > step ? e.view.offset - step : 0;
        return 1;
    }
    if (n == 0 || e.view.line <= 1) return Refuse(quiet);
    e.view.line = e.view.line > n ? e.view.line - n : 1;
    return 1;
}

int ScrollLeftBy(uint64_t n, bool quiet) {
    FileEntry& e = CurrentEntry();
    if (display.hexView || n == 0 || e.view.column <= 1) return Refuse(quiet);
    e.view.column -= std::min(n, e.view.column - 1);
    return 1;
}

int ScrollRightBy(uint64_t n, bool quiet) {
    FileEntry& e = CurrentEntry();
    uint64_t width = WidestLine(e, ShowingUtf8());
    uint64_t screen = program.screenWidth;
    if (display.hexView || n == 0 || width <= screen) return Refuse(quiet);
    uint64_t lastShown = uint64_t(e.view.column) + screen - 1;
    if (width <= lastShown) return Refuse(quiet);
    e.view.column += uint64_t(std::min<uint64_t>(n, width - lastShown));
    return 1;
}

}  // namespace

int ScrollDown(uint64_t n) { return ScrollDownBy(n, false); }
int ScrollUp(uint64_t n) { return ScrollUpBy(n, false); }
int ScrollLeft(uint64_t n) { return ScrollLeftBy(n, false); }
int ScrollRight(uint64_t n) { return ScrollRightBy(n, false); }

int ScrollQuietly(Direction direction, uint64_t n) {
    switch (direction) {
        case Direction::Down: return ScrollDownBy(n, true);
        case Direction::Up: return ScrollUpBy(n, true);
        case Direction::Left: return ScrollLeftBy(n, true);
        case Direction::Right: return ScrollRightBy(n, true);
    }
    return 0;
}

int GoTop() {
    FileEntry& e = CurrentEntry();
    if (e.view.line == 1 && e.view.offset == 0) return Refuse(false);
    e.view.line = 1;
    e.view.offset = 0;
    return 1;
}

int GoBottom() {
    FileEntry& e = CurrentEntry();
    if (display.hexView) {
        if (e.size <= program.hexPageBytes) return Refuse(false);
        uint64_t target = LastPageOffset(e, false);
        if (target == e.view.offset) return Refuse(false);
        e.view.offset = target;
        return 1;
    }
    if (!AwaitCounted(e, WholeCount(e))) return 0;
    uint64_t target = LastTopLine(e);
    if (target == e.view.line) return Refuse(false);
    e.view.line = target;
    return 1;
}

int GoToLine(uint64_t n) {
    FileEntry& e = CurrentEntry();
    if (!AwaitCounted(e, CountNeed{0, n})) return 0;
    n = std::min(n, e.lineCount);
    e.view.line = std::max<uint64_t>(n, 1);
    return 1;
}

int GoToOffset(uint64_t v) {
    FileEntry& e = CurrentEntry();
    if (e.size == 0) v = 0;
    else if (v >= e.size) v = e.size - 1;
    e.view.offset = v & ~uint64_t(15);
    return 1;
}

void SyncFindStart() {
    if (settings.findLength != 0) StartFindAtView();
}

bool ShowsLastPage(const FileEntry& e) {
    if (display.hexView) {
        uint64_t page = program.hexPageBytes, end = uint64_t(e.view.offset) + page;
        return e.size > page && end >= e.size && end - 16 < e.size;
    }
    return e.lineCount > program.dataRows && e.view.line == LastTopLine(e);
}

void KeepLastPage(FileEntry& e) {
    if (!display.hexView) {
        e.view.line = LastTopLine(e);
        return;
    }
    // The row holding the last byte, on the view's own row boundaries, goes
    // to the last row; a file that now fits starts at the first boundary.
    uint64_t phase = e.view.offset % 16;
    if (e.size <= phase) return;
    uint64_t lastRow = phase + (uint64_t(e.size) - 1 - phase) / 16 * 16;
    uint64_t above = uint64_t(program.dataRows - 1) * 16;
    e.view.offset = uint64_t(lastRow >= above + phase ? lastRow - above : phase);
}

uint32_t AfterMove(int moved) {
    if (!moved) return 0;
    SyncFindStart();
    return CMD_REDRAW;
}

}  // namespace pk
