// The panel library's keyboard side: the key reader fullkey, fullwait for a
// panel without input fields, fullpush and the input step of fullpanel.
#include "panel/key_decode.h"
#include "panel/panel_internal.h"

namespace pk {

using namespace panel_detail;

namespace {

constexpr uint8_t kEsc = 0x1B;

// Ctrl with a cursor key reaches the editor as a PC BIOS does: its own scan
// code and no character.
struct CtrlScan {
    uint16_t plain;
    uint16_t withCtrl;
};
constexpr CtrlScan kCtrlScans[] = {
    {SCAN_LEFT, SCAN_CTRL_LEFT},
    {SCAN_RIGHT, SCAN_CTRL_RIGHT},
    {SCAN_END, SCAN_CTRL_END},
    {SCAN_HOME, SCAN_CTRL_HOME},
};

void ToggleInsert() {
    ConsoleState& st = State();
    st.insertMode ^= 1;
    fullcursor(st.insertMode ? 2 : 1);
}

// Keys the reader keeps for itself; true when the event was one of them.
bool TakeStateKey(uint16_t vk) {
    if (vk == VKEY_CAPS_LOCK) {
        State().capsFlag ^= 1;
        return true;
    }
    if (vk == VKEY_INSERT) {
        ToggleInsert();
        return true;
    }
    return vk == VKEY_SHIFT || vk == VKEY_CONTROL || vk == VKEY_ALT;
}

// Turn the terminal's modified keys into the scan codes the editor knows:
// Shift+Tab is the Tab key's scan code without a character.
void MapModifiedKey(InputRecord& r) {
    if (r.ch == '\t' && (r.controlState & SHIFT_PRESSED)) {
        r.ch = 0;
        r.scanCode = SCAN_TAB;
        return;
    }
    if (r.ch != 0 || (r.controlState & CTRL_PRESSED) == 0) return;
    for (const CtrlScan& c : kCtrlScans) {
        if (r.scanCode == c.plain) {
            r.scanCode = c.withCtrl;
            return;
        }
    }
}

}  // namespace

void fullkey(int32_t& ch, int32_t& scanCode, int32_t& repeat) {
    ch = 0;
    scanCode = 0;
    InputRecord r;
    for (;;) {
        if (!Con().readInput(r)) return StoreError();
        if (r.eventType == PASTE_EVENT) Library().heldPastes.push_back(std::move(r));
        if (r.eventType == RESIZE_EVENT) {
            Library().resized = true;
            return;
        }
        if (r.eventType != KEY_EVENT || !r.keyDown) continue;
        if (TakeStateKey(r.virtualKey)) continue;
        MapModifiedKey(r);
        ch = int8_t(r.ch);
        scanCode = r.scanCode;
        repeat = r.repeatCount;
        return;
    }
}

uint32_t fullwait(uint32_t flags) {
    Con().flushInput();
    for (;;) {
        int32_t ch = 0, scan = 0, repeat = 0;
        fullkey(ch, scan, repeat);
        if (ch == 0) return scan != 0 ? uint32_t(scan) : TakeResized();
        if (ch == '\r') return 0;
        if (ch == kEsc && (flags & PNL_ESCEND)) return kEsc;
        if (flags & PNL_ANYKEYEND) return uint8_t(ch);
    }
}

int fullpush() {
    if (State().insertMode == 0) return 0;
    // An Insert key-up record, as a console queues when the key is released.
    InputRecord r = MakeKey(VKEY_INSERT, SCAN_INSERT, 0, 0);
    r.keyDown = false;
    r.repeatCount = 0;
    if (!Con().pushInput(r)) return Failed(0);
    return 1;
}

namespace panel_detail {

uint32_t TakeResized() {
    bool resized = Library().resized;
    Library().resized = false;
    return resized ? PNL_RESIZED : 0;
}

uint32_t InputStep(uint32_t flags, int count, PanelField* panel) {
    bool editor = false;
    for (int i = 0; i < count; ++i) editor = editor || IsInputField(panel[i]);
    uint32_t result = editor ? fulledit(flags, count, panel) : fullwait(flags);
    // Pasted text goes back to the front of the input, in its order.
    std::vector<InputRecord>& held = Library().heldPastes;
    for (auto it = held.rbegin(); it != held.rend(); ++it) Con().pushInput(*it);
    held.clear();
    return result;
}

}  // namespace panel_detail

}  // namespace pk
