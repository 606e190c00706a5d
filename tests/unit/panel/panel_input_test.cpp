// The panel library's key reader, the wait on a panel without input fields,
// fullpush and PNL_RESET.
#include "panel_fixture.h"

namespace pk {
namespace {

using PanelInput = PanelTest;

struct KeyRead {
    int32_t ch, scan, repeat;
    bool operator==(const KeyRead&) const = default;
};
std::ostream& operator<<(std::ostream& o, const KeyRead& k) { return o << k.ch << "/" << k.scan << "/" << k.repeat; }

KeyRead ReadKey() {
    KeyRead k{-99, -99, -99};
    fullkey(k.ch, k.scan, k.repeat);
    return k;
}

TEST_F(PanelInput, KeyReaderMapsAndDropsEvents) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    con.keyUp(0x1E, 'a', 'A');                      // dropped: a release, a mouse event, a paste,
    con.mouse(1, 1, FROM_LEFT_1ST_BUTTON_PRESSED);  // lone Shift, Ctrl and Alt
    con.paste("xyz");
    Script(con, {Key(0x2A, 0, SHIFT_PRESSED, 0x10), Key(0x1D, 0, LEFT_CTRL_PRESSED, 0x11), Key(0x38, 0, LEFT_ALT_PRESSED, 0x12)});
    // Insert and Caps Lock are taken by the reader: they flip the modes.
    Script(con, {INS, CAPS, INS, CAPS, INS});
    const std::pair<Step, KeyRead> cases[] = {
        {Key(0x1E, 'a', 0, 'A', 4), {'a', 0x1E, 4}},
        {Key(0x4B, 0, LEFT_CTRL_PRESSED, 0x25), {0, 115, 1}},   // Ctrl+Left, Right, End, Home: BIOS codes
        {Key(0x4D, 0, RIGHT_CTRL_PRESSED, 0x27), {0, 116, 1}},
        {Key(0x4F, 0, LEFT_CTRL_PRESSED, 0x23), {0, 117, 1}},
        {Key(0x47, 0, LEFT_CTRL_PRESSED, 0x24), {0, 119, 1}},
        {Key(0x48, 0, LEFT_CTRL_PRESSED, 0x26), {0, 0x48, 1}},  // Ctrl+Up: none, stays
        {Key(0x0F, 9, SHIFT_PRESSED, 0x09), {0, 15, 1}},         // Shift+Tab
        {Key(0x0F, 9, 0, 0x09), {9, 0x0F, 1}},
        {Key(0, 0xE9), {-23, 0, 1}},                              // a byte from 128 up
    };
    for (const auto& [step, want] : cases) step(con);
    for (const auto& [step, want] : cases) EXPECT_EQ(ReadKey(), want);
    EXPECT_EQ(std::pair(st->insertMode, st->capsFlag), std::pair(1u, 0u));
    EXPECT_EQ(con.cursorSizes, (std::vector<int>{60, 10, 60}));
    // A failed read gives 0 and 0 and keeps the console's error code.
    con.failCode = EIO;
    KeyRead end = ReadKey();
    EXPECT_EQ(end.ch + end.scan, 0);
    EXPECT_EQ(st->lastError, uint32_t(EIO));
}

TEST_F(PanelInput, WaitEndsOnlyOnItsKeys) {
    PanelField labels[] = {Field(FLD_PROTECTED, 1, 1, 5, "Help "), Field(FLD_PROTECTED | FLD_LAST, 2, 1, 5, "text ")};
    struct Case { uint32_t flags; std::string ignored; uint16_t scan; uint8_t ch; uint32_t result; };
    const Case cases[] = {  // keys typed before the ending one are ignored
        {PNL_INPUT, "ab 1", 0x3B, 0, 59},                // F1
        {PNL_INPUT, "x", 0x58, 0, 88},                   // F12
        {PNL_INPUT, "q", 0x1C, 13, 0},                   // Enter
        {PNL_INPUT | PNL_ESCEND, "", 0x01, 27, 27},      // Esc ends
        {PNL_INPUT | PNL_DISPLAY, "\x1b", 0x51, 0, 81},  // Esc ignored, PgDn ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        con.input.clear();
        con.key(0x3B);  // pressed before the wait: flushed
        con.later();
        con.text(c.ignored);
        con.paste("p1");  // pasted during the wait: handed back, in order
        con.paste("p2");
        con.key(c.scan, c.ch);
        con.key(0x3C);  // must still be there afterwards
        EXPECT_EQ(fullpanel(c.flags, labels), c.result);
        ASSERT_EQ(con.input.size(), 3u);
        EXPECT_EQ(con.input[0].text + con.input[1].text, "p1p2");
        EXPECT_EQ(con.input[2].scanCode, 0x3C);
    }
    EXPECT_TRUE(con.cursorSizes.empty());  // the cursor is never placed or resized
    EXPECT_EQ(con.cursor.x, 0);

    // Insert and Caps Lock during the wait flip their modes without ending it.
    con.input.clear();
    con.later();
    Script(con, {INS, CAPS, T("\r")});
    EXPECT_EQ(fullpanel(PNL_INPUT, labels), 0u);
    EXPECT_EQ(std::pair(fullinit()->insertMode, fullinit()->capsFlag), std::pair(1u, 1u));
    EXPECT_EQ(fullpanel(PNL_INPUT | PNL_ESCEND, labels), 0u);  // a failed read ends it with 0
}

TEST_F(PanelInput, PushAndResetHandTheConsoleBack) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(fullpush(), 0);  // insert mode off: nothing pushed
    EXPECT_TRUE(con.input.empty());

    Script(con, {INS, F1});
    ReadKey();
    st->initialAttribute = 0x1E;
    con.key(0x10, 'q', 0, 'Q');
    PanelField f = Field(FLD_PROTECTED | FLD_LAST, 1, 1, 4, "text");
    EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_RESET, &f), uint32_t(PNL_DISPLAY | PNL_RESET));
    ASSERT_EQ(con.input.size(), 2u);
    const InputRecord& r = con.input.front();  // an Insert release, in front of the queue
    EXPECT_EQ(std::tuple(r.eventType, r.keyDown, r.virtualKey, r.scanCode, r.ch),
              std::tuple(KEY_EVENT, false, uint16_t(0x2D), uint16_t(0x52), uint8_t(0)));
    EXPECT_EQ(con.cursorSize, 10);
    EXPECT_EQ(st->insertMode, 1u);  // the mode itself stays
    EXPECT_EQ(con.rowText(0), std::string(80, ' '));
    EXPECT_EQ(con.attrAt(40, 12), 0x1E);
    EXPECT_EQ(ReadKey().scan, 0x10);  // the pushed release is no key for the reader
}

}  // namespace
}  // namespace pk
