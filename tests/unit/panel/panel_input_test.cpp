// The panel library's key reader, the wait on a panel without input fields,
// fullpush and PNL_RESET.
#include "panel_fixture.h"

namespace pk {
namespace {

using PanelInput = PanelTest;

constexpr uint16_t VK_INSERT = 0x2D;
constexpr uint16_t VK_CAPITAL = 0x14;

struct Key {
    int32_t ch, scan, repeat;
};

Key ReadKey() {
    Key k{-99, -99, -99};
    fullkey(k.ch, k.scan, k.repeat);
    return k;
}

TEST_F(PanelInput, KeyReaderMapsAndDropsEvents) {
    ASSERT_NE(fullinit(), nullptr);
    con.keyUp(0x1E, 'a', 'A');                      // release: dropped
    con.mouse(1, 1, FROM_LEFT_1ST_BUTTON_PRESSED);  // mouse: dropped
    con.paste("xyz");                               // paste: dropped
    con.key(0x2A, 0, SHIFT_PRESSED, 0x10);          // lone Shift, Ctrl, Alt
    con.key(0x1D, 0, LEFT_CTRL_PRESSED, 0x11);
    con.key(0x38, 0, LEFT_ALT_PRESSED, 0x12);
    con.key(0x1E, 'a', 0, 'A', 4);
    con.key(0x4B, 0, LEFT_CTRL_PRESSED, 0x25);   // Ctrl+Left
    con.key(0x4D, 0, RIGHT_CTRL_PRESSED, 0x27);  // Ctrl+Right
    con.key(0x4F, 0, LEFT_CTRL_PRESSED, 0x23);   // Ctrl+End
    con.key(0x47, 0, LEFT_CTRL_PRESSED, 0x24);   // Ctrl+Home
    con.key(0x48, 0, LEFT_CTRL_PRESSED, 0x26);   // Ctrl+Up: no BIOS code, stays
    con.key(0x4B, 0, 0, 0x25);                   // plain Left
    con.key(0x0F, 9, SHIFT_PRESSED, 0x09);       // Shift+Tab
    con.key(0x0F, 9, 0, 0x09);                   // Tab
    con.key(0, 0xE9);                            // a byte from 128 up
    const Key expected[] = {{'a', 0x1E, 4}, {0, 115, 1}, {0, 116, 1}, {0, 117, 1},
                            {0, 119, 1},    {0, 0x48, 1}, {0, 0x4B, 1}, {0, 15, 1},
                            {9, 0x0F, 1},   {-23, 0, 1}};
    for (const Key& want : expected) {
        Key got = ReadKey();
        EXPECT_EQ(got.ch, want.ch);
        EXPECT_EQ(got.scan, want.scan);
        EXPECT_EQ(got.repeat, want.repeat);
    }
    // A failed read gives 0 and 0 and keeps the console's error code.
    con.failCode = EIO;
    Key end = ReadKey();
    EXPECT_EQ(end.ch, 0);
    EXPECT_EQ(end.scan, 0);
    EXPECT_EQ(fullinit()->lastError, uint32_t(EIO));
}

TEST_F(PanelInput, InsertAndCapsLockAreTakenByTheReader) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    con.key(0x52, 0, 0, VK_INSERT);
    con.key(0x3A, 0, 0, VK_CAPITAL);
    con.key(0x52, 0, 0, VK_INSERT);
    con.key(0x3A, 0, 0, VK_CAPITAL);
    con.key(0x52, 0, 0, VK_INSERT);
    con.key(0x3B);
    Key k = ReadKey();
    EXPECT_EQ(k.scan, 0x3B);
    EXPECT_EQ(st->insertMode, 1u);
    EXPECT_EQ(st->capsFlag, 0u);
    EXPECT_EQ(con.cursorSizes, (std::vector<int>{60, 10, 60}));
}

TEST_F(PanelInput, WaitEndsOnlyOnItsKeys) {
    PanelField labels[] = {
        Field(FLD_PROTECTED, 1, 1, 5, "Help "),
        Field(FLD_PROTECTED | FLD_LAST, 2, 1, 5, "text "),
    };
    struct Case {
        uint32_t flags;
        std::string typed;  // ignored keys before the ending one
        uint16_t scan;
        uint8_t ch;
        uint32_t result;
    };
    const Case cases[] = {
        {PNL_INPUT, "ab 1", 0x3B, 0, 59},             // F1
        {PNL_INPUT, "x", 0x58, 0, 88},                 // F12
        {PNL_INPUT, "q", 0x1C, 13, 0},                 // Enter
        {PNL_INPUT | PNL_ESCEND, "", 0x01, 27, 27},     // Esc ends
        {PNL_INPUT | PNL_DISPLAY, "\x1b", 0x51, 0, 81},  // Esc ignored, PgDn ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        con.input.clear();
        con.key(0x3B);  // pressed before the wait: flushed
        con.later();
        con.text(c.typed);
        con.key(c.scan, c.ch);
        con.key(0x3C);  // must still be there afterwards
        EXPECT_EQ(fullpanel(c.flags, labels), c.result);
        ASSERT_EQ(con.input.size(), 1u);
        EXPECT_EQ(con.input.front().scanCode, 0x3C);
    }
    EXPECT_EQ(con.cursorSizes.size(), 0u);  // the cursor is never placed or resized
    EXPECT_EQ(con.cursor.x, 0);

    // Insert and Caps Lock during the wait flip their modes without ending it.
    con.input.clear();
    con.later();
    con.key(0x52, 0, 0, VK_INSERT);
    con.key(0x3A, 0, 0, VK_CAPITAL);
    con.text("\r");
    EXPECT_EQ(fullpanel(PNL_INPUT, labels), 0u);
    EXPECT_EQ(fullinit()->insertMode, 1u);
    EXPECT_EQ(fullinit()->capsFlag, 1u);
    EXPECT_EQ(con.cursorSize, 60);

    // A failed read ends the wait with 0.
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_ESCEND, labels), 0u);
}

TEST_F(PanelInput, PushAndResetHandTheConsoleBack) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(fullpush(), 0);  // insert mode off: nothing pushed
    EXPECT_TRUE(con.input.empty());

    con.key(0x52, 0, 0, VK_INSERT);
    con.key(0x3B);
    ReadKey();
    ASSERT_EQ(st->insertMode, 1u);
    st->initialAttribute = 0x1E;
    con.key(0x10, 'q', 0, 'Q');
    PanelField f = Field(FLD_PROTECTED | FLD_LAST, 1, 1, 4, "text");
    EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_RESET, &f), uint32_t(PNL_DISPLAY | PNL_RESET));
    ASSERT_EQ(con.input.size(), 2u);
    const InputRecord& pushed = con.input.front();  // put in front of the queue
    EXPECT_EQ(pushed.eventType, KEY_EVENT);
    EXPECT_FALSE(pushed.keyDown);
    EXPECT_EQ(pushed.virtualKey, VK_INSERT);
    EXPECT_EQ(pushed.scanCode, 0x52);
    EXPECT_EQ(pushed.ch, 0);
    EXPECT_EQ(con.cursorSize, 10);
    EXPECT_EQ(st->insertMode, 1u);  // the mode itself stays
    EXPECT_EQ(con.rowText(0), std::string(80, ' '));
    EXPECT_EQ(con.attrAt(40, 12), 0x1E);
    // The pushed release is no key for the reader.
    EXPECT_EQ(ReadKey().scan, 0x10);
}

}  // namespace
}  // namespace pk
