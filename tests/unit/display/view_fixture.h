// A main screen on an in-memory console for the display tests: the program
// geometry, the panel library on the console, and file data put straight
// into slot 0 of the file table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/file_table.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace pktest {

class TestScreen {
public:
    explicit TestScreen(int cols = 80, int rows = 25)
        : console(cols, rows), cells(size_t(cols) * size_t(rows)) {
        pk::display = pk::DisplayState{};
        pk::settings = pk::Settings{};
        pk::program = pk::ProgramState{};
        pk::program.screenWidth = uint16_t(cols);
        pk::program.screenHeight = uint16_t(rows);
        pk::program.dataRows = uint16_t(rows - 4);
        pk::program.hexPageBytes = uint16_t((rows - 4) * 16);
        pk::program.viewCells = cells.data();
        pk::program.console = &console;
        pk::fullreset();
        pk::fullconsole(&console);
        pk::fullinit();
        for (int i = 0; i < pk::KEYS_FIELD_COUNT; ++i) pk::KeysPanel[i].row = uint16_t(rows);
    }
    ~TestScreen() {
        pk::fileTable[0] = pk::FileEntry{};
        pk::program = pk::ProgramState{};
        pk::fullreset();
    }

    // Puts bytes into slot 0 as loading would: scanned, at the top.
    pk::FileEntry& load(std::string_view bytes, const char* name = "/tmp/data.txt") {
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
        snprintf(e.name, sizeof e.name, "%s", name);
        pk::program.currentEntry = 0;
        return e;
    }

    // Marks a find hit as shown.
    void hit(uint32_t line, uint32_t column, uint32_t offset, uint32_t length) {
        pk::FileEntry& e = pk::fileTable[0];
        e.found = {line, column, offset};
        e.findFlags |= pk::FOUND_SHOWN;
        pk::display.foundLength = length;
    }

    // Row y (0-based) of the console as its bytes.
    std::string row(int y) const { return console.rowText(y); }
    // Data-area row r (0-based).
    std::string dataRow(int r) const { return console.rowText(3 + r); }
    // Columns (0-based) of row y drawn bright.
    std::vector<int> brightColumns(int y) const {
        std::vector<int> out;
        for (int x = 0; x < console.cols; ++x)
            if (console.attrAt(x, y) == pk::ATTR_FOUND) out.push_back(x);
        return out;
    }

    pk::MemoryConsole console;
    std::vector<pk::Cell> cells;
    std::string data;
};

inline std::vector<int> Range(int from, int to) {
    std::vector<int> out;
    for (int x = from; x <= to; ++x) out.push_back(x);
    return out;
}

inline std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace pktest
