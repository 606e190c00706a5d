// The help screen on the in-memory console: the box's frame bytes and colours
// while the help waits, and every cell (attributes too) and the cursor put
// back exactly afterwards. Its text and keys are proved end to end.
#include "interact/help.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_screen.h"

namespace {

// Keeps a copy of the grid as it is when the help first reads a key.
struct HelpConsole : pk::MemoryConsole {
    using MemoryConsole::MemoryConsole;
    bool readInput(pk::InputRecord& record) override {
        if (shown.empty()) shown.assign(cells().begin(), cells().end());
        return MemoryConsole::readInput(record);
    }
    std::vector<pk::Cell> shown;
};

TEST(Help, BoxShowsFramedTextInItsColoursAndPutsEveryCellBack) {
    HelpConsole console(80, 25);
    pktest::TestScreen s;
    pk::fullconsole(&console);
    std::vector<pk::Cell> before(80 * 25);
    for (size_t i = 0; i < before.size(); ++i)  // every cell different
        before[i] = pk::Cell{uint8_t('!' + i % 90), 0, uint16_t(i % 251)};
    console.writeCells(before.data(), pk::Coord{80, 25}, pk::Rect{0, 0, 79, 24});
    console.setCursorPosition(pk::Coord{33, 2});
    console.later();  // the key arrives while the help waits
    console.key(pk::SCAN_RETURN, 13);
    pk::ShowHelp();
    ASSERT_FALSE(console.shown.empty());
    const struct { int x, y; std::string text; int attr; } cells[] = {
        {0, 0, "\xC9\xCD", 0x07}, {79, 0, "\xBB", 0x07}, {24, 1, "Help for Linux Peekra 1.3.3.0    ", 0x0F},
        {0, 2, "\xCC\xCD", 0x07}, {1, 6, "  Tabs on | off     :Expand/don't expand tabs (initial value is off)  ", 0x07},
        {1, 20, "  End/Quit/Z        :End File View and return to the shell  ", 0x07},
        {1, 21, "  Only the first character of most commands is required. Unrecognized  ", 0x07},
        {1, 22, "  commands are run by your shell in a window of their own.  ", 0x07},
        {49, 23, "<Press any key to end help>", 0x0F}, {78, 24, "\xCD\xBC", 0x07},
    };
    for (const auto& c : cells) {
        for (size_t i = 0; i < c.text.size(); ++i) {
            const pk::Cell& cell = console.shown[size_t(c.y * 80 + c.x) + i];
            EXPECT_EQ(cell.ch, uint8_t(c.text[i])) << c.x + int(i) << "," << c.y;
            EXPECT_EQ(cell.attr, c.attr) << c.x + int(i) << "," << c.y;
        }
    }
    const std::span<const pk::Cell> after = console.cells();
    for (size_t i = 0; i < before.size(); ++i) {  // attributes too, which a terminal's text cannot show
        ASSERT_EQ(after[i].ch, before[i].ch) << i;
        ASSERT_EQ(after[i].attr, before[i].attr) << i;
    }
    EXPECT_EQ(console.cursor.x * 100 + console.cursor.y, 3302);
}

}  // namespace
