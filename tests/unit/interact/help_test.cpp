// The help screen on the in-memory console: the box's frame bytes and colours
// as they show while the help waits, and every cell and the cursor put back
// exactly afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/state.h"
#include "interact/help.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace {

// Keeps a copy of the grid as it is when the help first reads a key.
struct HelpConsole : pk::MemoryConsole {
    using MemoryConsole::MemoryConsole;
    bool readInput(pk::InputRecord& record) override {
        if (shown.empty()) shown = cells;
        return MemoryConsole::readInput(record);
    }
    std::string shownText(int x, int y, size_t n) const {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += char(shown[size_t(y * cols + x) + i].ch);
        return s;
    }
    std::vector<pk::Cell> shown;
};

struct HelpScreen {
    HelpScreen() : console(80, 25) {
        pk::program = pk::ProgramState{};
        pk::program.screenWidth = 80;
        pk::program.screenHeight = 25;
        pk::program.console = &console;
        pk::fullreset();
        pk::fullconsole(&console);
        pk::fullinit();
        for (size_t i = 0; i < console.cells.size(); ++i)  // every cell different
            console.cells[i] = pk::Cell{uint8_t('!' + i % 90), 0, uint16_t(i % 251)};
        before = console.cells;
        console.setCursorPosition(pk::Coord{33, 2});
        console.later();  // keys scripted from here on arrive while the help waits
    }
    ~HelpScreen() {
        pk::program = pk::ProgramState{};
        pk::fullreset();
    }
    bool putBack() const {
        for (size_t i = 0; i < before.size(); ++i)
            if (console.cells[i].ch != before[i].ch || console.cells[i].attr != before[i].attr) return false;
        return console.cursor.x == 33 && console.cursor.y == 2;
    }
    HelpConsole console;
    std::vector<pk::Cell> before;
};

TEST(Help, BoxShowsFramedTextInItsColours) {
    HelpScreen h;
    h.console.key(0x1C, 13);
    pk::ShowHelp();
    const std::string bar(78, char(0xCD));
    const struct { int x, y; std::string text; int attr; } cells[] = {
        {0, 0, "\xC9", 0x07}, {22, 0, "\xCD ", -1}, {55, 0, " \xCD", -1}, {79, 0, "\xBB", -1},
        {0, 1, "\xBA", 0x07}, {24, 1, "Help for Windows Peekra 1.3.3.0  ", 0x0F}, {79, 1, "\xBA", -1},
        {0, 2, "\xCC" + bar + "\xB9", -1},
        {0, 3, "\xBA  F sss....         :Find first occurrance of string sss....", -1},
        {1, 14, "  nnnn              :Scroll vertically to line number nnnn or hex offset nnnn \xBA", -1},
        {1, 22, "  commands will be shelled to Windows.      ", 0x07},
        {0, 23, "\xBA", -1}, {49, 23, "<Press any key to end help>", 0x0F}, {79, 23, "\xBA", -1},
        {0, 24, "\xC8" + bar + "\xBC", -1},
    };
    ASSERT_FALSE(h.console.shown.empty());
    for (const auto& c : cells) {
        EXPECT_EQ(h.console.shownText(c.x, c.y, c.text.size()), c.text) << c.x << "," << c.y;
        if (c.attr >= 0) {
            EXPECT_EQ(h.console.shown[size_t(c.y * 80 + c.x)].attr, c.attr) << c.x << "," << c.y;
        }
    }
    EXPECT_TRUE(h.putBack());
}

}  // namespace
