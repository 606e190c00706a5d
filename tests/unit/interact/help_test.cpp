// The help screen on the in-memory console: every cell (attributes too,
// which a terminal's text cannot show) and the cursor put back exactly
// afterwards. The box, its colours and its keys are proved end to end.
#include "interact/help.h"

#include <gtest/gtest.h>

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

TEST(Help, PutsEveryCellAndTheCursorBack) {
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
    EXPECT_EQ(console.shown[0].ch, 0xC9);  // the box was drawn over it
    const std::span<const pk::Cell> after = console.cells();
    for (size_t i = 0; i < before.size(); ++i) {
        ASSERT_EQ(after[i].ch, before[i].ch) << i;
        ASSERT_EQ(after[i].attr, before[i].attr) << i;
    }
    EXPECT_EQ(console.cursor.x * 100 + console.cursor.y, 3302);
}

}  // namespace
