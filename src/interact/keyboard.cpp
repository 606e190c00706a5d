// The keyboard loop: reads one event at a time, turns a click on a key label
// into that key, dispatches keys to the editor and the key table and wheel
// notches to the view, follows a new screen size, looks at the files when no
// key comes for a while, acts on the CMD_* bits they return, and after each
// event shows the message, the status and the command window.
#include "interact/keyboard.h"

#include "display/display_state.h"
#include "display/find.h"
#include "display/key_labels.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/file_table.h"
#include "interact/command_state.h"
#include "interact/follow.h"
#include "interact/keyboard_state.h"
#include "interact/screen_size.h"
#include "panel/key_decode.h"
#include "panel/panel.h"

namespace pk {

KeyboardState keyboard;

void ResetKeyboard() { keyboard = KeyboardState{}; }

namespace {

constexpr uint8_t CH_BACKSPACE = 8;
constexpr uint8_t CH_ENTER = 13;
constexpr uint8_t CH_ESC = 27;

// One call of KeyboardLoop.
struct LoopState {
    LineCursor line;
    bool done = false;       // leave after this event
    int result = KEY_REDRAW;
    uint32_t bits = 0;       // CMD_* bits of the current event
};

// Ctrl+V is one Ctrl key and nothing else: no Shift, Alt or lock key.
bool IsPasteKey(const InputRecord& record) {
    return record.scanCode == SCAN_V &&
           (record.controlState == LEFT_CTRL_PRESSED || record.controlState == RIGHT_CTRL_PRESSED);
}

bool IsWheel(const InputRecord& record) {
    return record.eventType == MOUSE_EVENT && (record.eventFlags & (MOUSE_WHEELED | MOUSE_HWHEELED));
}

// A left-button press on a key label becomes that function key; false for
// every other event that is no key press.
bool AsKeyPress(InputRecord& record) {
    if (record.eventType == MOUSE_EVENT) {
        if (record.eventFlags != 0 || record.buttonState != FROM_LEFT_1ST_BUTTON_PRESSED) return false;
        int scanCode = MouseToKey(record.position);
        if (scanCode == 0) return false;
        record = MakeKey(0, static_cast<uint16_t>(scanCode), 0, 0);
        return true;
    }
    return record.eventType == KEY_EVENT && record.keyDown;
}

// Ctrl+C blanks a typed line as Esc does; on an empty line it stops input
// that is still arriving, and otherwise ends the run as the End command
// does. (Pasted bytes carry no Ctrl: they are typed.)
uint32_t Interrupt(LineCursor& line) {
    FileEntry& e = CurrentEntry();
    if (CommandLength() != 0) {
        BlankCommandLine(line);
        return 0;
    }
    if (!e.streaming || e.feed == nullptr) return CMD_END;
    StopStream(*e.feed);
    SetMessage("Input stopped");
    return CMD_KEEPMSG;
}

// Whether a key press ends the watch before it acts: Esc, Ctrl+C and Enter
// (which runs a command). Keys that move the view end it afterwards.
bool EndsWatch(const InputRecord& record) {
    return record.ch == CH_ESC || record.ch == CH_ENTER || record.ch == CtrlChar('C');
}

bool SamePlace(const FilePosition& a, const FilePosition& b) {
    return a.line == b.line && a.column == b.column && a.offset == b.offset;
}

uint32_t Dispatch(LineCursor& line, const InputRecord& record) {
    if (record.eventType == MOUSE_EVENT) return WheelScroll(record);
    int repeat = record.repeatCount;
    if (record.ch == CtrlChar('C') && (record.controlState & CTRL_PRESSED)) return Interrupt(line);
    switch (record.ch) {
        case 0: return DispatchScanCode(line, record.scanCode, record.controlState, repeat);
        case CH_BACKSPACE: return Backspace(line, repeat);
        case CH_ENTER: return RunCommandLine(line);
        case CH_ESC: BlankCommandLine(line); return 0;
        default: return TypeCharacter(line, record.ch);
    }
}

// What an event's bits ask of the loop: the find (whose miss keeps its
// message), the cursor's shape, a redraw or the end. The tail reads the
// message bit.
void ApplyResult(LoopState& loop, uint32_t bits) {
    if (bits & CMD_FIND) {
        // A find that misses must not cancel a redraw or an end already asked for.
        int found = RunFind();
        if (found) bits |= CMD_REDRAW;
        if (found == FIND_HIT_COUNTED || (CurrentEntry().findFlags & FIND_FAILED)) bits |= CMD_KEEPMSG;
    }
    if (bits & CMD_CURSOR)
        fullconsole()->setCursorInfo(keyboard.insertMode ? INSERT_CURSOR_SIZE : OVERTYPE_CURSOR_SIZE, true);
    if (bits & (CMD_REDRAW | CMD_END | CMD_ENDLEAVE)) loop.done = true;
    if (bits & (CMD_END | CMD_ENDLEAVE)) loop.result = (bits & CMD_END) ? KEY_END : KEY_ENDLEAVE;
    loop.bits = bits;
}

// After every handled event: the message (unless the event kept it), the
// status line, the cursor and the 67 characters of the command window.
void ShowEventTail(const LoopState& loop) {
    if (!(loop.bits & CMD_KEEPMSG)) ClearMessage();
    ShowStatus();
    ShowCommandWindow(loop.line);
}

// A key or wheel notch, with the watch ended by what it does.
void HandleKey(LoopState& loop, const InputRecord& record) {
    int entry = program.currentEntry;
    FilePosition view = CurrentEntry().view;
    if (follow.watching && record.eventType == KEY_EVENT && EndsWatch(record)) StopWatching();
    bool watching = follow.watching;
    ApplyResult(loop, Dispatch(loop.line, record));
    if (watching && (entry != program.currentEntry || !SamePlace(view, CurrentEntry().view))) StopWatching();
}

// No key for a tick: what the files brought is taken up; the data area is
// drawn again in place, so the line being typed keeps its cursor.
void Tick(LoopState& loop) {
    bool quiet = display.messageText[0] == '\0';
    if (FollowChanges()) DrawDataView();
    // A message shown before the tick stays unless the tick has one.
    if (quiet && display.messageText[0] == '\0') ShowCounts();
    else ShowStatus();
    ShowCommandWindow(loop.line);
}

}  // namespace

int KeyboardLoop() {
    ClearMessage();
    LoopState loop;
    const ScreenLayout layout = CurrentLayout();
    fullconsole()->setCursorPosition(Coord{layout.commandColumn, layout.commandRow});
    while (!loop.done) {
        InputRecord record;
        fullconsole()->setTick(TickInterval());
        if (!ReadKeyEvent(record)) {
            // An ending signal ends the run as End does; a dead input as Z.
            loop.result = fullconsole()->endRequested() ? KEY_END : KEY_READFAIL;
            break;
        }
        // The first screen is out, and the terminal has had the first tick
        // to show it without counting threads beside it.
        if (CountsHeld()) StartHeldCounts();
        if (record.eventType == RESIZE_EVENT) {
            // The screen at its new size; the line keeps its text, cursor
            // and scroll, the message stays.
            FollowScreenSize();
            DrawMainScreen();
            loop.bits = CMD_KEEPMSG;
            ShowEventTail(loop);
            continue;
        }
        if (record.eventType == TICK_EVENT) {
            Tick(loop);
            continue;
        }
        if (!IsWheel(record)) {
            if (!AsKeyPress(record)) continue;
            if (IsPasteKey(record)) {
                StartPaste();
                continue;
            }
        }
        HandleKey(loop, record);
        ShowEventTail(loop);
    }
    fullconsole()->setTick(0);
    fullconsole()->flushInput();
    return loop.result;
}

// Pasted characters come first; text the terminal pasted itself fills the
// paste buffer and is handed out the same way.
int ReadKeyEvent(InputRecord& record) {
    for (;;) {
        if (TakePastedKey(record)) return 1;
        if (!fullconsole()->readInput(record)) return 0;
        if (record.eventType != PASTE_EVENT) return 1;
        FillPasteBuffer(record.text);
    }
}

int MouseToKey(Coord position) {
    if (position.y != KeysPanel[0].row - 1) return 0;
    return KeyLabelAt(position.x);
}

}  // namespace pk
