// The keyboard loop on a TestScreen with a blank command line. The
// command-line cursor lives for one call of KeyboardLoop: queue keys, then
// run() one loop; it ends on a redraw (KEY_REDRAW) or when the queue runs dry
// (KEY_READFAIL).
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "interact/command_state.h"
#include "interact/keyboard.h"
#include "interact/keyboard_state.h"
#include "test_screen.h"

namespace pktest {

constexpr uint16_t SC_HOME = 0x47, SC_LEFT = 0x4B, SC_RIGHT = 0x4D, SC_END = 0x4F, SC_DOWN = 0x50,
                   SC_INSERT = 0x52, SC_DELETE = 0x53, SC_V = 0x2F, SC_BACKSPACE = 0x0E,
                   SC_ENTER = 0x1C;

struct KeyboardScreen : TestScreen {
    KeyboardScreen() {
        pk::commands = pk::CommandState{};
        pk::ResetKeyboard();
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        load("one\ntwo\nthree\n");
    }
    ~KeyboardScreen() { pk::ResetKeyboard(); }

    KeyboardScreen& key(uint16_t scan, uint16_t repeat = 1, uint8_t ch = 0, uint32_t state = 0) {
        console.key(scan, ch, state, 0, repeat);
        return *this;
    }
    int run() { return pk::KeyboardLoop(); }
    std::string line() const { return std::string(pk::commands.commandLine, size_t(pk::CommandLength())); }
};

}  // namespace pktest
