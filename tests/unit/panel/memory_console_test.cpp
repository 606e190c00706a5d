// The in-memory console's input queue, whose rules the unit tests of every
// subsystem rely on: flushes keep pastes and keys scripted for later.
#include "panel/memory_console.h"

#include <gtest/gtest.h>

namespace pk {
namespace {

TEST(MemoryConsole, InputQueueFlushPushAndEnd) {
    MemoryConsole con;
    con.text("aZ\r");
    con.paste("kept");
    con.mouse(3, 4, FROM_LEFT_1ST_BUTTON_PRESSED);
    InputRecord r;
    ASSERT_TRUE(con.readInput(r));
    EXPECT_TRUE(r.eventType == KEY_EVENT && r.keyDown && r.ch == 'a' && r.scanCode == 0x1E && r.virtualKey == 'A');
    ASSERT_TRUE(con.readInput(r));
    EXPECT_EQ(r.controlState, SHIFT_PRESSED);

    con.flushInput();  // drops Enter and the mouse event, keeps the paste
    con.later();
    con.text("x");  // after a later(): survives a flush, comes after the rest
    con.flushInput();
    InputRecord ins;
    ins.virtualKey = 0x2D;
    con.pushInput(ins);  // in front
    for (int vk : {0x2D, 0, int('X')}) {
        ASSERT_TRUE(con.readInput(r));
        EXPECT_EQ(r.virtualKey, vk);
    }
    EXPECT_EQ(r.eventType, KEY_EVENT);
    EXPECT_FALSE(con.readInput(r));  // queue empty: the read fails

    con.key(0x3B);
    con.setEndRequested();
    EXPECT_FALSE(con.readInput(r));
    EXPECT_TRUE(con.endRequested());
}

}  // namespace
}  // namespace pk
