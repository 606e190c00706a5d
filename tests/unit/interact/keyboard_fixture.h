// The keyboard loop on an in-memory console: program geometry, the panel
// library, a blank command line and file data put straight into slot 0.
// The command-line cursor lives for one call of KeyboardLoop, so editing
// tests queue their keys (key, text) and then run() one loop. press() queues
// one key and runs a loop, whose result tells whether the key ended it
// (KEY_REDRAW) or not (the queue ran dry: KEY_READFAIL).
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "display/display_state.h"
#include "display/screen.h"
#include "files/file_table.h"
#include "interact/command_state.h"
#include "interact/keyboard.h"
#include "interact/keyboard_state.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace pktest {

constexpr uint16_t SC_F1 = 0x3B, SC_F2 = 0x3C, SC_F4 = 0x3E, SC_F5 = 0x3F, SC_F6 = 0x40,
                   SC_F7 = 0x41, SC_F8 = 0x42, SC_F9 = 0x43, SC_F10 = 0x44, SC_F11 = 0x57,
                   SC_F12 = 0x58, SC_HOME = 0x47, SC_UP = 0x48, SC_PGUP = 0x49, SC_LEFT = 0x4B,
                   SC_RIGHT = 0x4D, SC_END = 0x4F, SC_DOWN = 0x50, SC_PGDN = 0x51, SC_INSERT = 0x52,
                   SC_DELETE = 0x53, SC_SHIFT = 0x2A, SC_V = 0x2F, SC_ESC = 0x01, SC_ENTER = 0x1C,
                   SC_BACKSPACE = 0x0E;

class KeyboardScreen {
public:
    explicit KeyboardScreen(int cols = 80, int rows = 25) : console(cols, rows) {
        pk::display = pk::DisplayState{};
        pk::settings = pk::Settings{};
        pk::commands = pk::CommandState{};
        pk::program = pk::ProgramState{};
        pk::ResetKeyboard();
        pk::program.screenWidth = uint16_t(cols);
        pk::program.screenHeight = uint16_t(rows);
        pk::program.dataRows = uint16_t(rows - 4);
        pk::program.hexPageBytes = uint16_t((rows - 4) * 16);
        pk::program.console = &console;
        pk::fullreset();
        pk::fullconsole(&console);
        pk::fullinit();
        for (int i = 0; i < pk::KEYS_FIELD_COUNT; ++i) pk::KeysPanel[i].row = uint16_t(rows);
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        load("one\ntwo\nthree\n");
    }
    ~KeyboardScreen() {
        for (pk::FileEntry& e : pk::fileTable) e = pk::FileEntry{};
        pk::program = pk::ProgramState{};
        pk::ResetKeyboard();
        pk::fullreset();
    }

    // Bytes into slot 0 as loading would put them: scanned, at the top.
    pk::FileEntry& load(std::string_view bytes) {
        data.assign(bytes.begin(), bytes.end());
        pk::FileEntry& e = pk::fileTable[0];
        e = pk::FileEntry{};
        e.data = reinterpret_cast<uint8_t*>(data.data());
        e.size = uint32_t(data.size());
        pk::ScanResult scan = pk::ScanLines(e.bytes());
        e.lineCount = scan.lineCount;
        e.longestRaw = scan.longestRaw;
        e.longestExpanded = scan.longestExpanded;
        e.view = {1, 1, 0};
        e.findStart = {1, 1, 0};
        std::snprintf(e.name, sizeof e.name, "%s", "/tmp/data.txt");
        pk::program.currentEntry = 0;
        return e;
    }

    KeyboardScreen& key(uint16_t scan, uint32_t state = 0, uint16_t repeat = 1, uint8_t ch = 0) {
        console.key(scan, ch, state, 0, repeat);
        return *this;
    }
    KeyboardScreen& text(std::string_view bytes) {
        console.text(bytes);
        return *this;
    }
    int run() { return pk::KeyboardLoop(); }
    int press(uint16_t scan, uint32_t state = 0, uint16_t repeat = 1, uint8_t ch = 0) {
        return key(scan, state, repeat, ch).run();
    }
    // The 67 characters of the command window as shown.
    std::string window() const { return console.rowText(2).substr(12, 67); }
    std::string line() const { return std::string(pk::commands.commandLine, size_t(pk::CommandLength())); }
    pk::FilePosition& view() { return pk::fileTable[0].view; }

    pk::MemoryConsole console;
    std::string data;
};

}  // namespace pktest
