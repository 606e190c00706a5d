// View movement: every limit beeps and changes nothing, the hex view moves by
// whole rows, and huge counts clamp instead of wrapping.
#include "interact/movement.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "interact/loaded_file.h"

using pktest::LoadedFile;

namespace {

std::string Lines(int count, int width = 3) {
    std::string out;
    for (int i = 0; i < count; ++i) out += std::string(size_t(width), 'x') + "\n";
    return out;
}

// One move from a start position: the expected result, position and beeps.
struct HexCase {
    uint32_t size;
    uint32_t from;
    std::function<int()> move;
    int result;
    uint32_t to;
};

TEST(Movement, HexViewMovesWholeRowsAndStopsAtTheEnds) {
    // 80 x 24: 20 data rows, 320 bytes a page.
    const HexCase cases[] = {
        {1000, 0, [] { return pk::ScrollDown(15); }, 0, 0},
        {1000, 0, [] { return pk::ScrollDown(16); }, 1, 16},
        {1000, 0, [] { return pk::ScrollDown(160); }, 1, 160},
        {1000, 64, [] { return pk::ScrollUp(31); }, 1, 48},
        {1000, 0, [] { return pk::ScrollUp(16); }, 0, 0},
        {1000, 32, [] { return pk::ScrollUp(4294967295u); }, 1, 0},
        {1000, 0, [] { return pk::ScrollDown(4294967295u); }, 1, 688},
        {1000, 688, [] { return pk::ScrollDown(16); }, 0, 688},
        {320, 0, [] { return pk::ScrollDown(16); }, 0, 0},
        {336, 0, [] { return pk::ScrollDown(16); }, 1, 16},
        {336, 16, [] { return pk::ScrollDown(16); }, 0, 16},
        {320, 0, [] { return pk::GoBottom(); }, 0, 0},
        {1000, 0, [] { return pk::GoBottom(); }, 1, 688},
        {1000, 688, [] { return pk::GoBottom(); }, 0, 688},
        {1024, 0, [] { return pk::GoBottom(); }, 1, 704},
        {1000, 0, [] { return pk::ScrollLeft(16); }, 0, 0},
        {1000, 0, [] { return pk::ScrollRight(16); }, 0, 0},
        {1000, 0, [] { return pk::GoToOffset(1000); }, 1, 992},
        {1000, 0, [] { return pk::GoToOffset(4294967295u); }, 1, 992},
        {1000, 0, [] { return pk::GoToOffset(0x1F); }, 1, 16},
        {1024, 0, [] { return pk::GoToOffset(0x400); }, 1, 1008},
        {4294967295u, 16, [] { return pk::ScrollDown(4294967295u); }, 1, 4294966976u},
        {4294967295u / 2, (4294967295u / 2) & ~15u, [] { return pk::ScrollDown(4294967295u); }, 0, (4294967295u / 2) & ~15u},
    };
    int index = 0;
    for (const HexCase& c : cases) {
        // Only the size matters to the hex moves; a huge file is never read.
        LoadedFile f("x");
        f.entry().size = c.size;
        pk::display.hexView = 1;
        f.entry().view.offset = c.from;
        EXPECT_EQ(c.move(), c.result) << "case " << index;
        EXPECT_EQ(f.entry().view.offset, c.to) << "case " << index;
        EXPECT_EQ(f.console.beeps, c.result ? 0 : 1) << "case " << index;
        EXPECT_EQ(f.entry().view.line, 1u) << "case " << index;
        ++index;
    }
}

struct TextCase {
    int lines;
    uint32_t fromLine;
    uint32_t fromColumn;
    std::function<int()> move;
    int result;
    uint32_t toLine;
    uint32_t toColumn;
};

TEST(Movement, TextViewMovesLinesAndColumnsWithinTheFile) {
    const TextCase cases[] = {
        {5, 1, 1, [] { return pk::ScrollDown(1); }, 0, 1, 1},
        {5, 1, 1, [] { return pk::GoBottom(); }, 0, 1, 1},
        {100, 1, 1, [] { return pk::ScrollDown(1000); }, 1, 81, 1},
        {100, 81, 1, [] { return pk::ScrollDown(1); }, 0, 81, 1},
        {100, 90, 1, [] { return pk::ScrollDown(1); }, 0, 90, 1},
        {100, 1, 4, [] { return pk::GoBottom(); }, 1, 81, 4},
        {100, 1, 1, [] { return pk::ScrollDown(0); }, 0, 1, 1},
        {100, 50, 1, [] { return pk::ScrollUp(4294967295u); }, 1, 1, 1},
        {100, 50, 1, [] { return pk::ScrollUp(10); }, 1, 40, 1},
        {100, 1, 1, [] { return pk::ScrollUp(1); }, 0, 1, 1},
        {100, 1, 30, [] { return pk::GoTop(); }, 0, 1, 30},
        {100, 7, 30, [] { return pk::GoTop(); }, 1, 1, 30},
        {100, 7, 30, [] { return pk::ScrollLeft(4294967295u); }, 1, 7, 1},
        {100, 7, 1, [] { return pk::ScrollLeft(1); }, 0, 7, 1},
        {100, 7, 5, [] { return pk::ScrollLeft(0); }, 0, 7, 5},
        {100, 7, 5, [] { return pk::GoToLine(0); }, 1, 1, 5},
        {100, 7, 5, [] { return pk::GoToLine(4294967295u); }, 1, 100, 5},
        {100, 7, 5, [] { return pk::GoToLine(60); }, 1, 60, 5},
    };
    int index = 0;
    for (const TextCase& c : cases) {
        LoadedFile f(Lines(c.lines));
        f.entry().view = {c.fromLine, c.fromColumn, 0};
        EXPECT_EQ(c.move(), c.result) << "case " << index;
        EXPECT_EQ(f.entry().view.line, c.toLine) << "case " << index;
        EXPECT_EQ(f.entry().view.column, c.toColumn) << "case " << index;
        EXPECT_EQ(f.console.beeps, c.result ? 0 : 1) << "case " << index;
        ++index;
    }
}

TEST(Movement, SidewaysFollowsTheWidestLineAsShown) {
    LoadedFile f(std::string(100, 'w') + "\n\t\t" + std::string(110, 't') + "\n");
    // Raw width 112, expanded 126.
    EXPECT_EQ(pk::ScrollRight(50), 1);
    EXPECT_EQ(f.entry().view.column, 33u);
    EXPECT_EQ(pk::ScrollRight(1), 0);
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::ScrollRight(4294967295u), 1);
    EXPECT_EQ(f.entry().view.column, 47u);
    pk::settings.tabsOn = 0;  // narrower again: right beeps, left still moves
    EXPECT_EQ(pk::ScrollRight(1), 0);
    EXPECT_EQ(pk::ScrollLeft(10), 1);
    EXPECT_EQ(f.entry().view.column, 37u);
    EXPECT_EQ(f.console.beeps, 2);

    LoadedFile narrow(std::string(80, 'n') + "\n");
    EXPECT_EQ(pk::ScrollRight(1), 0);
}

TEST(Movement, FindStartFollowsTheViewOnlyWithAFindString) {
    LoadedFile f(Lines(100));
    f.entry().findStart = {3, 4, 5};
    f.entry().view = {10, 2, 32};
    pk::SyncFindStart();
    EXPECT_EQ(f.entry().findStart.line, 3u);
    pktest::SetFindString("x");
    pk::SyncFindStart();
    EXPECT_EQ(f.entry().findStart.line, 10u);
    EXPECT_EQ(f.entry().findStart.column, 2u);
    EXPECT_EQ(f.entry().findStart.offset, 32u);
}

}  // namespace
