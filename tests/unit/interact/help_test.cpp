// The help screen: the box as it shows while the help waits, the keys that
// end it, and the screen and cursor put back exactly afterwards.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "files/state.h"
#include "interact/help.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace {

// The in-memory console, with keys that arrive only once the help waits
// (the help discards what was typed before) and a copy of the grid taken at
// the first read.
class WaitingConsole : public pk::MemoryConsole {
public:
    using MemoryConsole::MemoryConsole;
    bool readInput(pk::InputRecord& record) override {
        if (shown.empty()) shown = cells;
        if (later.empty()) return false;
        record = later.front();
        later.pop_front();
        return true;
    }
    void later_key(uint16_t scan, uint8_t ch) {
        pk::InputRecord r;
        r.eventType = pk::KEY_EVENT;
        r.keyDown = true;
        r.repeatCount = 1;
        r.scanCode = scan;
        r.ch = ch;
        r.virtualKey = ch == 13 ? 0x0D : ch == 27 ? 0x1B : 0;
        later.push_back(r);
    }
    std::string shownRow(int y) const {
        std::string s;
        for (int x = 0; x < cols; ++x) s += char(shown[size_t(y) * size_t(cols) + size_t(x)].ch);
        return s;
    }
    uint16_t shownAttr(int x, int y) const { return shown[size_t(y) * size_t(cols) + size_t(x)].attr; }

    std::vector<pk::Cell> shown;
    std::deque<pk::InputRecord> later;
};

struct HelpScreen {
    explicit HelpScreen(int cols = 80, int rows = 25) : console(cols, rows) {
        pk::program = pk::ProgramState{};
        pk::program.screenWidth = uint16_t(cols);
        pk::program.screenHeight = uint16_t(rows);
        pk::program.console = &console;
        pk::fullreset();
        pk::fullconsole(&console);
        pk::fullinit();
        // A screen to put back: every cell different, the cursor somewhere.
        for (size_t i = 0; i < console.cells.size(); ++i)
            console.cells[i] = pk::Cell{uint8_t('!' + i % 90), 0, uint16_t(i % 251)};
        before = console.cells;
        console.setCursorPosition(pk::Coord{33, 2});
    }
    ~HelpScreen() {
        pk::program = pk::ProgramState{};
        pk::fullreset();
    }
    WaitingConsole console;
    std::vector<pk::Cell> before;
};

bool SameCells(const std::vector<pk::Cell>& a, const std::vector<pk::Cell>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].ch != b[i].ch || a[i].attr != b[i].attr) return false;
    return true;
}

TEST(Help, BoxShowsFramedTextInItsColours) {
    HelpScreen h;
    h.console.later_key(0x1C, 13);
    pk::ShowHelp();
    ASSERT_FALSE(h.console.shown.empty());
    const std::string top = h.console.shownRow(0);
    EXPECT_EQ(uint8_t(top[0]), 0xC9);
    EXPECT_EQ(uint8_t(top[22]), 0xCD);
    EXPECT_EQ(top[23], ' ');  // the gaps belong to no field
    EXPECT_EQ(top[55], ' ');
    EXPECT_EQ(uint8_t(top[56]), 0xCD);
    EXPECT_EQ(uint8_t(top[79]), 0xBB);

    const std::string title = h.console.shownRow(1);
    EXPECT_EQ(title.substr(24, 33), "Help for Windows Peekra 1.3.3.0  ");
    EXPECT_EQ(uint8_t(title[0]), 0xBA);
    EXPECT_EQ(uint8_t(title[79]), 0xBA);
    EXPECT_EQ(h.console.shownAttr(24, 1), 0x0F);
    EXPECT_EQ(h.console.shownAttr(0, 1), 0x07);

    const std::string divider = h.console.shownRow(2);
    EXPECT_EQ(uint8_t(divider[0]), 0xCC);
    EXPECT_EQ(uint8_t(divider[79]), 0xB9);
    EXPECT_EQ(divider.substr(1, 78), std::string(78, char(0xCD)));

    EXPECT_EQ(h.console.shownRow(3).substr(1, 78),
              "  F sss....         :Find first occurrance of string sss....                  ");
    EXPECT_EQ(h.console.shownRow(14).substr(1, 78),
              "  nnnn              :Scroll vertically to line number nnnn or hex offset nnnn ");
    EXPECT_EQ(h.console.shownRow(22).substr(1, 78),
              "  commands will be shelled to Windows.                                        ");
    EXPECT_EQ(h.console.shownAttr(40, 10), 0x07);

    const std::string prompt = h.console.shownRow(23);
    EXPECT_EQ(prompt.substr(49, 27), "<Press any key to end help>");
    EXPECT_EQ(h.console.shownAttr(49, 23), 0x0F);
    EXPECT_EQ(uint8_t(prompt[79]), 0xBA);
    const std::string bottom = h.console.shownRow(24);
    EXPECT_EQ(uint8_t(bottom[0]), 0xC8);
    EXPECT_EQ(uint8_t(bottom[79]), 0xBC);
}

TEST(Help, OnlyEnterEscAndKeysWithoutCharacterEndIt) {
    struct Case { uint16_t scan; uint8_t ch; };
    const Case enders[] = {{0x1C, 13}, {0x01, 27}, {0x3D, 0}, {0x48, 0}};
    for (const Case& c : enders) {
        HelpScreen h;
        h.console.later_key(0x1E, 'a');  // letters, digits and Space are ignored
        h.console.later_key(0x02, '1');
        h.console.later_key(0x39, ' ');
        h.console.later_key(c.scan, c.ch);
        h.console.later_key(0x1F, 's');  // left for whoever reads next
        pk::ShowHelp();
        EXPECT_EQ(h.console.later.size(), 1u) << c.scan;
        EXPECT_TRUE(SameCells(h.console.cells, h.before)) << c.scan;
        EXPECT_EQ(h.console.cursor.x, 33);
        EXPECT_EQ(h.console.cursor.y, 2);
    }
}

TEST(Help, LargerScreenIsBlankAroundTheBoxAndComesBack) {
    HelpScreen h(132, 43);
    h.console.later_key(0x01, 27);
    pk::ShowHelp();
    EXPECT_EQ(h.console.shownRow(30), std::string(132, ' '));
    EXPECT_EQ(h.console.shownRow(5).substr(80), std::string(52, ' '));
    EXPECT_EQ(uint8_t(h.console.shownRow(24)[79]), 0xBC);
    EXPECT_TRUE(SameCells(h.console.cells, h.before));
    EXPECT_EQ(h.console.cursor.x, 33);
}

}  // namespace
