// The panel library's keyboard side: the key reader fullkey, fullwait for a
// panel without input fields, fullpush and the input step of fullpanel.
#include "panel/panel_internal.h"

namespace pk {

using namespace panel_detail;

namespace {

constexpr uint16_t VK_SHIFT_KEY = 0x10;
constexpr uint16_t VK_CONTROL_KEY = 0x11;
constexpr uint16_t VK_ALT_KEY = 0x12;
constexpr uint16_t VK_CAPS_LOCK = 0x14;
constexpr uint16_t SCAN_SHIFT_TAB = 15;

// Ctrl with a cursor key reaches the editor as a PC BIOS does: its own scan
// code and no character.
struct CtrlScan {
    uint16_t plain;
    uint16_t withCtrl;
};
constexpr CtrlScan kCtrlScans[] = {
    {0x4B, 115},  // Ctrl+Left
    {0x4D, 116},  // Ctrl+Right
    {0x4F, 117},  // Ctrl+End
    {0x47, 119},  // Ctrl+Home
};

void ToggleInsert() {
    ConsoleState& st = State();
    st.insertMode ^= 1;
    fullcursor(st.insertMode ? 2 : 1);
}

// Keys the reader keeps for itself; true when the event was one of them.
bool TakeStateKey(uint16_t vk) {
    if (vk == VK_CAPS_LOCK) {
        State().capsFlag ^= 1;
        return true;
    }
    if (vk == VKEY_INSERT) {
        ToggleInsert();
        return true;
    }
    return vk == VK_SHIFT_KEY || vk == VK_CONTROL_KEY || vk == VK_ALT_KEY;
}

// Turn the terminal's modified keys into the scan codes the editor knows.
void MapModifiedKey(InputRecord& r) {
    if (r.ch == 9 && (r.controlState & SHIFT_PRESSED)) {
        r.ch = 0;
        r.scanCode = SCAN_SHIFT_TAB;
        return;
    }
    if (r.ch != 0 || (r.controlState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) == 0) return;
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
        if (ch == 0) return uint32_t(scan);
        if (ch == 13) return 0;
        if (ch == 27 && (flags & PNL_ESCEND)) return 27;
    }
}

int fullpush() {
    if (State().insertMode == 0) return 0;
    InputRecord r;
    r.eventType = KEY_EVENT;
    r.keyDown = false;
    r.repeatCount = 0;
    r.virtualKey = VKEY_INSERT;
    r.scanCode = SCAN_INSERT;
    if (!Con().pushInput(r)) return Failed(0);
    return 1;
}

namespace panel_detail {

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
