// The in-memory console that the unit tests of every subsystem stand on:
// clipping of writes, fills and block transfers, the input queue, failures.
#include "panel/memory_console.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(MemoryConsole, WritesAreClippedToTheGrid) {
    MemoryConsole con(10, 3);
    const uint8_t text[] = "abcdefgh";
    EXPECT_TRUE(con.writeChars({6, 1}, text, 8));
    EXPECT_EQ(con.rowText(1), std::string("\0\0\0\0\0\0abcd", 10));
    EXPECT_EQ(con.rowText(2), std::string(10, '\0'));  // nothing wrapped
    EXPECT_FALSE(con.writeChars({10, 0}, text, 1));     // start off the grid
    EXPECT_FALSE(con.writeChars({0, 3}, text, 1));

    const uint16_t attrs[] = {0x70, 0x70, 0x70};
    EXPECT_TRUE(con.writeAttrs({8, 0}, attrs, 3));
    EXPECT_EQ(con.attrAt(8, 0), 0x70);
    EXPECT_EQ(con.attrAt(9, 0), 0x70);
    EXPECT_EQ(con.attrAt(0, 1), 0);

    EXPECT_TRUE(con.fillChars(' ', 12));  // row 0 and two cells of row 1
    EXPECT_TRUE(con.fillAttrs(0x1F, 1000));
    EXPECT_EQ(con.rowText(0), std::string(10, ' '));
    EXPECT_EQ(con.rowText(1).substr(0, 3), std::string("  \0", 3));
    EXPECT_EQ(con.attrAt(9, 2), 0x1F);
}

TEST(MemoryConsole, CellBlocksGoToTheTargetRectangle) {
    MemoryConsole con(6, 4);
    Cell block[3 * 2];
    for (int i = 0; i < 6; ++i) block[i] = Cell{uint8_t('A' + i), 0, uint16_t(i)};
    // Target runs past the right edge: the part off the grid is dropped.
    EXPECT_TRUE(con.writeCells(block, {3, 2}, Rect{4, 1, 6, 2}));
    EXPECT_EQ(con.rowText(1), std::string("\0\0\0\0AB", 6));
    EXPECT_EQ(con.rowText(2), std::string("\0\0\0\0DE", 6));
    EXPECT_EQ(con.attrAt(5, 2), 4);

    Cell back[2 * 2] = {};
    EXPECT_TRUE(con.readCells(back, {2, 2}, Rect{4, 1, 5, 2}));
    EXPECT_EQ(back[0].ch, 'A');
    EXPECT_EQ(back[3].ch, 'E');
}

TEST(MemoryConsole, InputQueueFlushPushAndEnd) {
    MemoryConsole con;
    con.text("aZ\r");
    con.paste("kept");
    con.mouse(3, 4, FROM_LEFT_1ST_BUTTON_PRESSED);
    InputRecord r;
    ASSERT_TRUE(con.readInput(r));
    EXPECT_EQ(r.eventType, KEY_EVENT);
    EXPECT_TRUE(r.keyDown);
    EXPECT_EQ(r.ch, 'a');
    EXPECT_EQ(r.scanCode, 0x1E);
    EXPECT_EQ(r.virtualKey, 'A');
    ASSERT_TRUE(con.readInput(r));
    EXPECT_EQ(r.controlState, SHIFT_PRESSED);
    EXPECT_EQ(r.scanCode, 0x2C);

    con.flushInput();  // drops Enter and the mouse event, keeps the paste
    InputRecord ins;
    ins.eventType = KEY_EVENT;
    ins.virtualKey = 0x2D;
    con.pushInput(ins);
    ASSERT_TRUE(con.readInput(r));
    EXPECT_EQ(r.virtualKey, 0x2D);
    ASSERT_TRUE(con.readInput(r));
    EXPECT_EQ(r.eventType, PASTE_EVENT);
    EXPECT_EQ(r.text, "kept");
    EXPECT_FALSE(con.readInput(r));  // queue empty: the read fails

    con.key(0x3B);
    con.setEndRequested();
    EXPECT_FALSE(con.readInput(r));
    EXPECT_TRUE(con.endRequested());
}

TEST(MemoryConsole, ScanCodesOfTypedBytes) {
    struct Case {
        uint8_t ch;
        uint16_t scan;
        uint16_t vk;
    };
    const Case cases[] = {{'1', 0x02, '1'}, {'!', 0x02, 0},  {'q', 0x10, 'Q'}, {'M', 0x32, 'M'},
                          {' ', 0x39, ' '}, {'\r', 0x1C, 13}, {27, 0x01, 27},   {'\b', 0x0E, 8},
                          {'\t', 0x0F, 9},  {22, 0x2F, 0},    {0xE9, 0, 0},     {'/', 0x35, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(UsScanCode(c.ch), c.scan) << int(c.ch);
        EXPECT_EQ(VirtualKeyOf(c.ch), c.vk) << int(c.ch);
    }
}

TEST(MemoryConsole, FailuresAndWindowRequests) {
    MemoryConsole con(79, 20);
    EXPECT_TRUE(con.setWindow(Rect{0, 0, 79, 23}));  // accepted: the grid grows
    EXPECT_EQ(con.cols, 80);
    EXPECT_EQ(con.rows, 24);
    ScreenInfo info;
    ASSERT_TRUE(con.queryScreen(info));
    EXPECT_EQ(info.bufferSize.x, 80);
    EXPECT_EQ(info.window.bottom, 23);

    con.refuseWindow = true;
    con.failCode = ERANGE;
    EXPECT_FALSE(con.setWindow(Rect{0, 0, 99, 29}));
    EXPECT_EQ(con.lastError(), ERANGE);

    con.failOpen = ENXIO;
    EXPECT_EQ(con.open(), ENXIO);
    EXPECT_EQ(con.lastError(), ENXIO);

    con.failWrites = true;
    const uint8_t b = 'x';
    EXPECT_FALSE(con.writeChars({0, 0}, &b, 1));
    EXPECT_EQ(con.cell(0, 0).ch, 0);

    std::string clip;
    EXPECT_FALSE(con.readClipboard(clip));
    con.clipboard = "text";
    EXPECT_TRUE(con.readClipboard(clip));
    EXPECT_EQ(clip, "text");
    EXPECT_EQ(con.clipboardReads, 2);
}

}  // namespace
}  // namespace pk
