// The keyboard loop: reads one event at a time, turns a click on a key label
// into that key, dispatches keys to the editor and the key table, and after
// each event shows the message, the status and the command window.
#include "interact/keyboard.h"

#include "display/display_state.h"
#include "display/screen.h"
#include "interact/command_state.h"
#include "interact/keyboard_state.h"
#include "panel/panel.h"

namespace pk {

namespace {

constexpr uint8_t CH_BACKSPACE = 8;
constexpr uint8_t CH_ENTER = 13;
constexpr uint8_t CH_ESC = 27;

// Ctrl+V is one Ctrl key and nothing else: no Shift, Alt or lock key.
bool IsPasteKey(const InputRecord& record) {
    return record.scanCode == SCAN_V &&
           (record.controlState == LEFT_CTRL_PRESSED || record.controlState == RIGHT_CTRL_PRESSED);
}

// A left-button press on a key label becomes that function key; false for
// every other event that is no key press.
bool AsKeyPress(InputRecord& record) {
    if (record.eventType == MOUSE_EVENT) {
        if (record.eventFlags != 0 || record.buttonState != FROM_LEFT_1ST_BUTTON_PRESSED) return false;
        int scanCode = MouseToKey(record.position);
        if (scanCode == 0) return false;
        record = InputRecord{};
        record.eventType = KEY_EVENT;
        record.keyDown = true;
        record.repeatCount = 1;
        record.scanCode = static_cast<uint16_t>(scanCode);
        return true;
    }
    return record.eventType == KEY_EVENT && record.keyDown;
}

void Dispatch(LoopState& loop, const InputRecord& record) {
    int repeat = record.repeatCount;
    switch (record.ch) {
        case 0: DispatchScanCode(loop, record.scanCode, record.controlState, repeat); break;
        case CH_BACKSPACE: Backspace(loop, repeat); break;
        case CH_ENTER: RunCommandLine(loop); break;
        case CH_ESC: BlankCommandLine(loop); break;
        default: TypeCharacter(loop, record.ch); break;
    }
}

// After every handled event: the message (unless the event kept it), the
// status line, the cursor and the 67 characters of the command window.
void ShowEventTail(const LoopState& loop) {
    if (!(loop.bits & CMD_KEEPMSG)) ClearMessage();
    ShowStatus();
    Console* console = fullconsole();
    int16_t column = static_cast<int16_t>(COMMAND_COLUMN + loop.cursorIndex - loop.displayOffset);
    console->setCursorPosition(Coord{column, COMMAND_ROW});
    const uint8_t* shown = reinterpret_cast<const uint8_t*>(commands.commandLine + loop.displayOffset);
    console->writeChars(Coord{COMMAND_COLUMN, COMMAND_ROW}, shown, COMMAND_WINDOW);
}

}  // namespace

int KeyboardLoop() {
    ClearMessage();
    LoopState loop;
    loop.result = KEY_REDRAW;
    fullconsole()->setCursorPosition(Coord{COMMAND_COLUMN, COMMAND_ROW});
    while (!loop.done) {
        InputRecord record;
        if (!ReadKeyEvent(record)) {
            // An ending signal ends the run as End does; a dead input as Z.
            loop.result = fullconsole()->endRequested() ? KEY_END : KEY_READFAIL;
            break;
        }
        if (!AsKeyPress(record)) continue;
        loop.bits = 0;
        if (IsPasteKey(record)) {
            StartPaste();
            continue;
        }
        Dispatch(loop, record);
        ShowEventTail(loop);
    }
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
    for (int i = 0; i < KEYS_FIELD_COUNT; ++i) {
        const PanelField& field = KeysPanel[i];
        int first = field.column - 1;
        int last = first + field.width - 1;
        if (position.x >= first && position.x <= last) return KeyLabelScanCode(i);
    }
    return 0;
}

}  // namespace pk
