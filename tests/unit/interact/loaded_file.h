// Test helper: puts a byte string into file slot 0 as the current file, on a
// screen of the given size with an in-memory console, and clears the
// program's global state again afterwards.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "display/display_state.h"
#include "files/file_table.h"
#include "files/state.h"
#include "panel/memory_console.h"

namespace pktest {

struct LoadedFile {
    std::string bytes;
    pk::MemoryConsole console;

    explicit LoadedFile(std::string data, int cols = 80, int rows = 24) : bytes(std::move(data)), console(cols, rows) {
        Reset();
        pk::program.console = &console;
        pk::program.screenWidth = uint16_t(cols);
        pk::program.screenHeight = uint16_t(rows);
        pk::program.dataRows = uint16_t(rows - 4);
        pk::program.hexPageBytes = uint16_t((rows - 4) * 16);
        pk::program.currentEntry = 0;
        pk::FileEntry& e = pk::fileTable[0];
        e.data = reinterpret_cast<uint8_t*>(bytes.data());
        e.size = uint32_t(bytes.size());
        pk::ScanResult scan = pk::ScanLines(e.bytes());
        e.lineCount = scan.lineCount;
        e.longestRaw = scan.longestRaw;
        e.longestExpanded = scan.longestExpanded;
        e.view = {1, 1, 0};
        e.findStart = {1, 1, 0};
    }
    // Files loaded by the test itself are released; slot 0's bytes are ours.
    ~LoadedFile() {
        if (pk::fileTable[0].data == reinterpret_cast<uint8_t*>(bytes.data())) pk::fileTable[0].data = nullptr;
        pk::ReleaseAllEntries();
        Reset();
    }
    LoadedFile(const LoadedFile&) = delete;
    LoadedFile& operator=(const LoadedFile&) = delete;

    pk::FileEntry& entry() { return pk::fileTable[0]; }
    std::string message() const { return pk::display.messageText; }

    static void Reset() {
        for (pk::FileEntry& e : pk::fileTable) e = pk::FileEntry{};
        pk::display = pk::DisplayState{};
        pk::settings = pk::Settings{};
        pk::program.console = nullptr;
        pk::program.currentEntry = 0;
    }
};

// Stores a find string directly, as the settings file would.
inline void SetFindString(std::string_view s) {
    pk::settings.findLength = uint16_t(s.size());
    std::fill(std::begin(pk::settings.findString), std::end(pk::settings.findString), 0);
    std::copy(s.begin(), s.end(), pk::settings.findString);
}

}  // namespace pktest
