// View movement on an 80x24 screen (20 data rows, 320 bytes a hex page):
// every limit beeps and changes nothing, the hex view moves by whole rows,
// and huge counts clamp instead of wrapping.
#include "interact/movement.h"

#include <gtest/gtest.h>

#include <string>

#include "test_screen.h"

namespace {

using Op = int (*)(uint32_t);
int Top(uint32_t) { return pk::GoTop(); }
int Bottom(uint32_t) { return pk::GoBottom(); }
const Op Down = pk::ScrollDown, Up = pk::ScrollUp, Left = pk::ScrollLeft, Right = pk::ScrollRight, Line = pk::GoToLine,
         Offset = pk::GoToOffset;

constexpr uint32_t kMax = 4294967295u;

// One move from a start position; a refused move (result 0) beeps once.
// size is bytes (hex view) or lines of "xxx" (text view).
struct Case { uint32_t size, from, fromColumn; Op op; uint32_t n; int result; uint32_t to, toColumn = 0; };

void Check(bool hex, const Case& c) {
    pktest::TestScreen s(80, 24);
    std::string lines;
    for (uint32_t i = 0; !hex && i < c.size; ++i) lines += "xxx\n";
    pk::FileEntry& e = s.load(hex ? "x" : lines);
    pk::display.hexView = hex;
    if (hex) e.size = c.size;  // only the size matters; a huge file is never read
    e.view = hex ? pk::FilePosition{1, 1, c.from} : pk::FilePosition{c.from, c.fromColumn, 0};
    SCOPED_TRACE(::testing::Message() << (hex ? "hex" : "text") << " size " << c.size << " from " << c.from << " n " << c.n);
    EXPECT_EQ(c.op(c.n), c.result);
    EXPECT_EQ(hex ? e.view.offset : e.view.line, c.to);
    EXPECT_EQ(hex ? e.view.line : e.view.column, hex ? 1u : c.toColumn);
    EXPECT_EQ(s.console.beeps, c.result ? 0 : 1);
}

TEST(Movement, HexViewMovesWholeRowsAndStopsAtTheEnds) {
    const uint32_t half = (kMax / 2) & ~15u;
    const Case cases[] = {
        {1000, 0, 0, Down, 15, 0, 0},  {1000, 0, 0, Down, 16, 1, 16},  {1000, 64, 0, Up, 31, 1, 48},
        {1000, 0, 0, Up, 16, 0, 0},  {1000, 32, 0, Up, kMax, 1, 0},  {1000, 0, 0, Down, kMax, 1, 688},
        {1000, 688, 0, Down, 16, 0, 688},  {320, 0, 0, Down, 16, 0, 0},  {336, 16, 0, Down, 16, 0, 16},
        {1000, 0, 0, Bottom, 0, 1, 688},  {1000, 688, 0, Bottom, 0, 0, 688},  {1024, 0, 0, Bottom, 0, 1, 704},
        {320, 0, 0, Bottom, 0, 0, 0},  {1000, 0, 0, Right, 16, 0, 0},  {1000, 0, 0, Offset, 1000, 1, 992},
        {1000, 0, 0, Offset, kMax, 1, 992},  {1000, 0, 0, Offset, 0x1F, 1, 16},  {1024, 0, 0, Offset, 0x400, 1, 1008},
        {kMax, 16, 0, Down, kMax, 1, 4294966976u},
        {kMax / 2, half, 0, Down, kMax, 0, half},
    };
    for (const Case& c : cases) Check(true, c);
}

TEST(Movement, TextViewMovesLinesAndColumnsWithinTheFile) {
    const Case cases[] = {
        {5, 1, 1, Down, 1, 0, 1, 1},        {5, 1, 1, Bottom, 0, 0, 1, 1},      {100, 1, 1, Down, 1000, 1, 81, 1},
        {100, 81, 1, Down, 1, 0, 81, 1},    {100, 90, 1, Down, 1, 0, 90, 1},    {100, 1, 4, Bottom, 0, 1, 81, 4},
        {100, 1, 1, Down, 0, 0, 1, 1},      {100, 50, 1, Up, kMax, 1, 1, 1},    {100, 1, 1, Up, 1, 0, 1, 1},
        {100, 1, 30, Top, 0, 0, 1, 30},     {100, 7, 30, Top, 0, 1, 1, 30},     {100, 7, 30, Left, kMax, 1, 7, 1},
        {100, 7, 1, Left, 1, 0, 7, 1},      {100, 7, 5, Line, 0, 1, 1, 5},      {100, 7, 5, Line, kMax, 1, 100, 5},
    };
    for (const Case& c : cases) Check(false, c);
}

// In UTF-8 the widths are cells, and the find starts at the byte of the
// character in the first cell.
TEST(Movement, SidewaysFollowsTheWidestLineAsShownAndFindStartFollowsTheView) {
    ASSERT_TRUE(pktest::UseUtf8Locale());
    pktest::TestScreen s(80, 24);
    std::string accents;
    for (int i = 0; i < 110; ++i) accents += "\xC3\xA9";
    pk::FileEntry& e = s.load(std::string(100, 'w') + "\n\t\t" + accents + "\n");
    pk::settings.utf8On = 1;
    // Raw width 112 cells, expanded 126 (222 and 236 bytes).
    EXPECT_EQ(pk::ScrollRight(50), 1);
    EXPECT_EQ(e.view.column, 33u);
    EXPECT_EQ(pk::ScrollRight(1), 0);
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::ScrollRight(kMax), 1);
    EXPECT_EQ(e.view.column, 47u);
    pk::settings.tabsOn = 0;  // narrower again: right beeps
    EXPECT_EQ(pk::ScrollRight(1), 0);
    EXPECT_EQ(s.console.beeps, 2);
    pk::settings.utf8On = 0;  // as bytes it is wider
    EXPECT_EQ(pk::ScrollRight(kMax), 1);
    EXPECT_EQ(e.view.column, 143u);

    pk::settings.utf8On = 1;
    pk::settings.tabsOn = 1;
    e.view = {2, 47, 0};
    e.findStart = {3, 4, 5};
    pk::SyncFindStart();  // no find string: the start stays
    EXPECT_EQ(e.findStart.line, 3u);
    pktest::SetFindString("x");
    pk::SyncFindStart();
    EXPECT_EQ(e.findStart.line, 2u);
    EXPECT_EQ(e.findStart.column, 63u);  // the 31st é, in cell 47
    EXPECT_EQ(e.findStart.offset, 0u);
}

}  // namespace
