// Key codes as key records carry them: one enumeration of virtual-key codes,
// one of scan codes (US keyboard, set 1) and one of control-key state bits.
// Every layer names keys through these; the names carry a prefix of their own
// so that none can collide with curses macros such as KEY_END.
#pragma once

#include <cstdint>

namespace pk {

// Virtual-key codes of the keys pk reads.
enum VirtualKey : uint16_t {
    VKEY_BACK = 0x08,
    VKEY_TAB = 0x09,
    VKEY_RETURN = 0x0D,
    VKEY_SHIFT = 0x10,
    VKEY_CONTROL = 0x11,
    VKEY_ALT = 0x12,
    VKEY_CAPS_LOCK = 0x14,
    VKEY_ESCAPE = 0x1B,
    VKEY_SPACE = 0x20,
    VKEY_PGUP = 0x21,
    VKEY_PGDN = 0x22,
    VKEY_END = 0x23,
    VKEY_HOME = 0x24,
    VKEY_LEFT = 0x25,
    VKEY_UP = 0x26,
    VKEY_RIGHT = 0x27,
    VKEY_DOWN = 0x28,
    VKEY_INSERT = 0x2D,
    VKEY_DELETE = 0x2E,
    VKEY_F1 = 0x70,
    VKEY_F2 = 0x71,
    VKEY_F3 = 0x72,
    VKEY_F4 = 0x73,
    VKEY_F5 = 0x74,
    VKEY_F6 = 0x75,
    VKEY_F7 = 0x76,
    VKEY_F8 = 0x77,
    VKEY_F9 = 0x78,
    VKEY_F10 = 0x79,
    VKEY_F11 = 0x7A,
    VKEY_F12 = 0x7B,
};

// Scan codes (set 1, US layout) of the keys pk reads. The letter and digit
// keys run in rows from the first of each: 1-0 - = from SCAN_1, Q-P [ ] from
// SCAN_Q, A-L ; ' ` from SCAN_A, Z-M , . / from SCAN_Z.
enum ScanCode : uint16_t {
    SCAN_ESCAPE = 0x01,
    SCAN_1 = 0x02,
    SCAN_BACK = 0x0E,
    SCAN_TAB = 0x0F,
    SCAN_Q = 0x10,
    SCAN_W = 0x11,
    SCAN_RETURN = 0x1C,
    SCAN_CONTROL = 0x1D,
    SCAN_A = 0x1E,
    SCAN_G = 0x22,
    SCAN_J = 0x24,
    SCAN_K = 0x25,
    SCAN_SHIFT = 0x2A,
    SCAN_BACKSLASH = 0x2B,
    SCAN_Z = 0x2C,
    SCAN_X = 0x2D,
    SCAN_C = 0x2E,
    SCAN_V = 0x2F,
    SCAN_SLASH = 0x35,
    SCAN_ALT = 0x38,
    SCAN_SPACE = 0x39,
    SCAN_CAPS_LOCK = 0x3A,
    SCAN_F1 = 0x3B,
    SCAN_F2 = 0x3C,
    SCAN_F3 = 0x3D,
    SCAN_F4 = 0x3E,
    SCAN_F5 = 0x3F,
    SCAN_F6 = 0x40,
    SCAN_F7 = 0x41,
    SCAN_F8 = 0x42,
    SCAN_F9 = 0x43,
    SCAN_F10 = 0x44,
    SCAN_HOME = 0x47,
    SCAN_UP = 0x48,
    SCAN_PGUP = 0x49,
    SCAN_LEFT = 0x4B,
    SCAN_RIGHT = 0x4D,
    SCAN_END = 0x4F,
    SCAN_DOWN = 0x50,
    SCAN_PGDN = 0x51,
    SCAN_INSERT = 0x52,
    SCAN_DELETE = 0x53,
    SCAN_F11 = 0x57,
    SCAN_F12 = 0x58,
    // What a PC BIOS reports for Ctrl with these keys; the panel editor's
    // key reader hands them on in this form.
    SCAN_CTRL_LEFT = 0x73,
    SCAN_CTRL_RIGHT = 0x74,
    SCAN_CTRL_END = 0x75,
    SCAN_CTRL_HOME = 0x77,
};

// Control-key state bits of key and mouse records.
enum ControlState : uint32_t {
    RIGHT_ALT_PRESSED = 0x0001,
    LEFT_ALT_PRESSED = 0x0002,
    RIGHT_CTRL_PRESSED = 0x0004,
    LEFT_CTRL_PRESSED = 0x0008,
    SHIFT_PRESSED = 0x0010,
    NUMLOCK_ON = 0x0020,
    CAPSLOCK_ON = 0x0080,
    ENHANCED_KEY = 0x0100,
    ALT_PRESSED = RIGHT_ALT_PRESSED | LEFT_ALT_PRESSED,
    CTRL_PRESSED = RIGHT_CTRL_PRESSED | LEFT_CTRL_PRESSED,
};

// The character Ctrl with a letter types: CtrlChar('C') is 3.
constexpr uint8_t CtrlChar(char letter) { return uint8_t(letter & 0x1F); }

}  // namespace pk
