// A main screen on an in-memory console for unit tests: the program's
// layout and cell block, the panel library on the console, and file data
// put straight into slot 0 as loading would.
// Every global the tests touch starts and ends cleared.
#pragma once

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "display/display_state.h"
#include "display/screen.h"
#include "display/views.h"
#include "files/file_table.h"
#include "files/program_state.h"
#include "line_reference.h"
#include "panel/memory_console.h"
#include "panel/panel.h"
#include "text/line_scan.h"
#include "panel/utf8.h"

namespace pktest {

class TestScreen {
public:
    explicit TestScreen(int cols = 80, int rows = 25) : console(cols, rows) {
        Clear();
        pk::SetScreenLayout(cols, rows);
        pk::program.viewCells = static_cast<pk::Cell*>(std::calloc(size_t(cols) * size_t(rows), sizeof(pk::Cell)));
        pk::fullconsole(&console);
        pk::fullinit();
    }
    ~TestScreen() {
        // Slot 0's bytes belong to the fixture; anything a test loaded is freed.
        if (pk::fileTable[0].data == reinterpret_cast<uint8_t*>(data.data())) pk::fileTable[0].data = nullptr;
        pk::ReleaseAllEntries();
        std::free(pk::program.viewCells);  // a resize may have replaced it
        Clear();
    }
    TestScreen(const TestScreen&) = delete;
    TestScreen& operator=(const TestScreen&) = delete;

    // Puts bytes into slot 0 as the current file: measured as loading
    // does (with the line index), at the top.
    pk::FileEntry& load(std::string_view bytes, const char* name = "/tmp/data.txt") {
        data = std::string(bytes);
        pk::FileEntry& e = pk::fileTable[0] = pk::FileEntry{};
        std::vector<uint64_t> index(pk::LineIndexSize(data.size()));
        const pk::ScanResult scan = pk::ScanLines(B(data), index);
        pk::StoreLoaded(e, reinterpret_cast<uint8_t*>(data.data()), data.size(), scan, index);
        std::snprintf(e.name, sizeof e.name, "%s", name);
        pk::program.currentEntry = 0;
        return e;
    }

    // Marks a find hit of `length` bytes as shown.
    void found(uint32_t line, uint32_t column, uint32_t offset, uint32_t length) {
        entry().found = {line, column, offset};
        entry().findFlags |= pk::FOUND_SHOWN;
        pk::display.foundLength = length;
    }
    // The columns of row y drawn as found text, as "a-b c-d" (0-based).
    std::string lit(int y) const {
        std::string out;
        for (int x = 0; x < console.cols(); ++x) {
            if (console.attrAt(x, y) != pk::ATTR_FOUND) continue;
            int end = x;
            while (end + 1 < console.cols() && console.attrAt(end + 1, y) == pk::ATTR_FOUND) ++end;
            out.append(out.empty() ? "" : " ").append(std::to_string(x)).append("-").append(std::to_string(end));
            x = end;
        }
        return out;
    }

    pk::FileEntry& entry() { return pk::fileTable[0]; }
    std::string message() const { return pk::display.messageText; }
    // Row y (0-based) of the console as its bytes; data-area row r.
    std::string row(int y) const { return console.rowText(y); }
    std::string dataRow(int r) const { return console.rowText(3 + r); }

    pk::MemoryConsole console;
    std::string data;

private:
    static void Clear() {
        pk::ResetFileTable();
        pk::ResetDisplay();
        pk::ResetProgramState();
        pk::fullreset();
    }
};

// Text widths as in a UTF-8 locale (C.UTF-8), as pk reads them at start.
inline bool UseUtf8Locale() {
    if (setlocale(LC_CTYPE, "C.UTF-8") == nullptr) return false;
    pk::ReadCharacterWidths();
    return true;
}

// The stored find string.
inline std::string FindString() {
    return std::string(reinterpret_cast<const char*>(pk::settings.findString), pk::settings.findLength);
}

// Stores a find string directly, as the settings file would.
inline void SetFindString(std::string_view s) {
    pk::settings.findLength = uint16_t(s.size());
    std::fill(std::begin(pk::settings.findString), std::end(pk::settings.findString), 0);
    std::copy(s.begin(), s.end(), pk::settings.findString);
}

}  // namespace pktest
