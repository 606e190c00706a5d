// The command interpreter on any line, as Enter runs it, followed by the
// find it asks for: the view stays inside the file, a find gives the
// reference's hit and shows it, and the data area draws as the rules say.
// Shell commands find no shell; "pe" loads from an empty folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>

#include "display/find.h"
#include "find_reference.h"
#include "interact/command_state.h"
#include "interact/keyboard_state.h"
#include "screen_reference.h"
#include "test_screen.h"

namespace {

using pkfuzz::Check;

// The view and the line cache point into the file.
void CheckView(const pk::FileEntry& e) {
    Check(e.view.line >= 1 && e.view.line <= e.lineCount && e.view.column >= 1, "view line and column");
    Check(e.view.offset < e.size, "view offset");
    if (e.cache.start == nullptr) return;
    Check(e.cache.offset < e.size && e.cache.start == e.data + e.cache.offset, "cache points at its offset");
    Check(e.cache.offset == 0 || e.data[e.cache.offset - 1] == '\n', "cache at a line start");
    Check(e.cache.line == 1 + uint64_t(std::count(e.data, e.data + e.cache.offset, '\n')), "cache line number");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static pktest::TempDir dir;
    return pkfuzz::Isolate(dir);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    pktest::TestScreen screen(in.ConsumeIntegralInRange(80, 140), in.ConsumeIntegralInRange(24, 40));
    std::string file = in.ConsumeRandomLengthString(4000);
    screen.load(file.empty() ? "\n" : file);
    pk::settings.tabsOn = in.ConsumeBool();
    pk::display.hexView = in.ConsumeBool();
    pk::display.ebcdicOn = in.ConsumeBool();
    pk::display.exactCase = in.ConsumeBool();
    pk::LineCursor cursor;
    while (in.remaining_bytes() > 0) {
        std::string line = in.ConsumeRandomLengthString(pk::COMMAND_SIZE);
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        std::memcpy(pk::commands.commandLine, line.data(), line.size());
        uint32_t bits = pk::RunCommandLine(cursor);
        pk::FileEntry& now = pk::CurrentEntry();
        if (bits & pk::CMD_FIND && pk::settings.findLength != 0) {
            std::string needle(reinterpret_cast<const char*>(pk::settings.findString), pk::settings.findLength);
            pk::FilePosition want;
            bool hit = pktest::ReferenceFind(now, needle, pk::display.hexView, !pk::display.exactCase, now.findStart, want);
            Check(pk::RunFind() == hit, "a find hits where the reference does");
            const bool same = pk::display.hexView ? now.found.offset == want.offset
                                                  : now.found.line == want.line && now.found.column == want.column;
            Check(!hit || same, "the hit's offset, or its line and column");
        }
        CheckView(now);
        pk::display.hexView ? pk::DrawHexView() : pk::DrawTextView();
        pkfuzz::CheckDataArea(screen.console);
        if (bits & pk::CMD_FIND && now.findFlags & pk::FOUND_SHOWN) {
            auto cells = screen.console.cells();
            Check(std::any_of(cells.begin(), cells.end(), [](pk::Cell c) { return c.attr == pk::ATTR_FOUND; }),
                  "a hit is on the screen");
        }
    }
    return 0;
}
