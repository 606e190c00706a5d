// The panel library's key reader, the wait on a panel without input fields,
// fullpush and PNL_RESET.
#include "panel_fixture.h"

namespace pk {
namespace {

using PanelInput = PanelTest;

struct KeyRead { int32_t ch, scan, repeat; bool operator==(const KeyRead&) const = default; };
std::ostream& operator<<(std::ostream& o, const KeyRead& k) { return o << k.ch << "/" << k.scan << "/" << k.repeat; }

KeyRead ReadKey() {
    KeyRead k{-99, -99, -99};
    fullkey(k.ch, k.scan, k.repeat);
    return k;
}

TEST_F(PanelInput, KeyReaderMapsAndDropsEvents) {
    ConsoleState* st = fullinit();
    ASSERT_NE(st, nullptr);
    con.keyUp(SCAN_A, 'a', 'A');                    // dropped: a release, a mouse event, a paste,
    con.mouse(1, 1, FROM_LEFT_1ST_BUTTON_PRESSED);  // lone Shift, Ctrl and Alt
    con.paste("xyz");
    Script(con, {Key(SCAN_SHIFT, 0, SHIFT_PRESSED, VKEY_SHIFT), Key(SCAN_CONTROL, 0, LEFT_CTRL_PRESSED, VKEY_CONTROL),
                 Key(SCAN_ALT, 0, LEFT_ALT_PRESSED, VKEY_ALT)});
    // Insert and Caps Lock are taken by the reader: they flip the modes.
    Script(con, {INS, CAPS, INS, CAPS, INS});
    const std::pair<Step, KeyRead> cases[] = {
        {Held('a', 4), {'a', SCAN_A, 4}},
        {CLEFT, {0, SCAN_CTRL_LEFT, 1}},  // Ctrl+Left, Right, End, Home: BIOS codes
        {Key(SCAN_RIGHT, 0, RIGHT_CTRL_PRESSED, VKEY_RIGHT), {0, SCAN_CTRL_RIGHT, 1}},
        {CEND, {0, SCAN_CTRL_END, 1}},
        {T("\033[1;5H"), {0, SCAN_CTRL_HOME, 1}},
        {T("\033[1;5A"), {0, SCAN_UP, 1}},  // Ctrl+Up: none, stays
        {BTAB, {0, SCAN_TAB, 1}},           // Shift+Tab
        {T("\t"), {'\t', SCAN_TAB, 1}},
        {T("\xe9"), {-23, 0, 1}},  // a byte from 128 up
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
        {PNL_INPUT, "ab 1", SCAN_F1, 0, SCAN_F1},
        {PNL_INPUT, "x", SCAN_F12, 0, SCAN_F12},
        {PNL_INPUT, "q", SCAN_RETURN, '\r', 0},                  // Enter
        {PNL_INPUT | PNL_ESCEND, "", SCAN_ESCAPE, 0x1B, 0x1B},      // Esc ends
        {PNL_INPUT | PNL_DISPLAY, "\x1b", SCAN_PGDN, 0, SCAN_PGDN},  // Esc ignored, PgDn ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        con.input.clear();
        con.key(SCAN_F1);  // pressed before the wait: flushed
        con.later();
        con.text(c.ignored);
        con.paste("p1");  // pasted during the wait: handed back, in order
        con.paste("p2");
        con.key(c.scan, c.ch);
        con.key(SCAN_F2);  // must still be there afterwards
        EXPECT_EQ(fullpanel(c.flags, labels), c.result);
        ASSERT_EQ(con.input.size(), 3u);
        EXPECT_EQ(con.input[0].text + con.input[1].text, "p1p2");
        EXPECT_EQ(con.input[2].scanCode, SCAN_F2);
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
    con.text("q");
    PanelField f = Field(FLD_PROTECTED | FLD_LAST, 1, 1, 4, "text");
    EXPECT_EQ(fullpanel(PNL_DISPLAY | PNL_RESET, &f), uint32_t(PNL_DISPLAY | PNL_RESET));
    ASSERT_EQ(con.input.size(), 2u);
    const InputRecord& r = con.input.front();  // an Insert release, in front of the queue
    EXPECT_EQ(std::tuple(r.eventType, r.keyDown, r.virtualKey, r.scanCode, r.ch),
              std::tuple(KEY_EVENT, false, uint16_t(VKEY_INSERT), uint16_t(SCAN_INSERT), uint8_t(0)));
    EXPECT_EQ(con.cursorSize, 10);
    EXPECT_EQ(st->insertMode, 1u);  // the mode itself stays
    EXPECT_EQ(con.rowText(0), std::string(80, ' '));
    EXPECT_EQ(con.attrAt(40, 12), 0x1E);
    EXPECT_EQ(ReadKey().scan, SCAN_Q);  // the pushed release is no key for the reader
}

}  // namespace
}  // namespace pk
