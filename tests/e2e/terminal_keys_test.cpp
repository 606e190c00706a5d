// Keys, mouse and paste as a real terminal sends them, through the terminal
// console, checked as the records "panel_demo keys" shows.
#include <gtest/gtest.h>

#include "harness/keys_demo.h"
#include "key_cases.h"

namespace {

using namespace pk;
using pktest::KeysDemo;
using pktest::KeyText;

TEST(TerminalKeys, EveryKeyArrivesWithItsScanCodeCharAndState) {
    KeysDemo d;
    ASSERT_TRUE(d.start()) << d.term.screenText();
    for (const pktest::KeyCase& c : pktest::KeyCases()) {
        if (KeysDemo::endsOn(c.records[0].vk, c.records[0].state)) continue;
        std::vector<std::string> shown;
        for (const pktest::KeyRecord& r : c.records) shown.push_back(KeyText(r.vk, r.scan, r.ch, r.state));
        ASSERT_TRUE(d.expect(c.bytes, shown)) << c.bytes.substr(1) << " " << shown[0] << "\n" << d.term.screenText();
    }
    // Keys sent by libvterm follow the cursor-key mode the console asked for.
    d.term.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(d.shows({KeyText(VKEY_DOWN, SCAN_DOWN, 0, 0)}));
    d.term.key(static_cast<VTermKey>(VTERM_KEY_FUNCTION(5)), VTERM_MOD_SHIFT);
    EXPECT_TRUE(d.shows({KeyText(VKEY_F5, SCAN_F5, 0, SHIFT_PRESSED)}));
    d.term.unichar('x', VTERM_MOD_ALT);
    EXPECT_TRUE(d.shows({KeyText('X', SCAN_X, 'x', LEFT_ALT_PRESSED)}));
}

TEST(TerminalKeys, MouseAndPaste) {
    KeysDemo d(25, 300);
    ASSERT_TRUE(d.start());
    EXPECT_EQ(d.term.mouseMode, VTERM_PROP_MOUSE_CLICK);
    EXPECT_TRUE(d.term.decMode(1006) && d.term.decMode(2004));
    d.term.click(24, 10);  // the bottom line, where pk's key labels are
    EXPECT_TRUE(d.shows({"MOUSE x=10 y=24 b=00000001 f=0 st=0000", "MOUSE x=10 y=24 b=00000000 f=0 st=0000"}))
        << d.term.screenText();
    d.term.click(3, 250, 3);  // right button, beyond column 223
    EXPECT_TRUE(d.shows({"MOUSE x=250 y=3 b=00000002 f=0 st=0000", "MOUSE x=250 y=3 b=00000000 f=0 st=0000"}));
    EXPECT_TRUE(d.expect("\033[<64;5;6M", {"MOUSE x=4 y=5 b=00780000 f=4 st=0000"}));  // wheel up, down
    EXPECT_TRUE(d.expect("\033[<65;5;6M", {"MOUSE x=4 y=5 b=FF880000 f=4 st=0000"}));
    EXPECT_TRUE(d.expect("\033[<16;2;2M", {"MOUSE x=1 y=1 b=00000001 f=0 st=0008"}));  // with Ctrl
    // A second press in the same cell is a double click; a third starts over.
    EXPECT_TRUE(d.expect("\033[<0;9;9M\033[<0;9;9m\033[<0;9;9M\033[<0;9;9m\033[<0;9;9M\033[<0;7;9M",
                         {"MOUSE x=8 y=8 b=00000001 f=0", "MOUSE x=8 y=8 b=00000000 f=0", "MOUSE x=8 y=8 b=00000001 f=2",
                          "MOUSE x=8 y=8 b=00000000 f=0", "MOUSE x=8 y=8 b=00000001 f=0", "MOUSE x=6 y=8 b=00000001 f=0"}))
        << d.term.screenText();

    // A paste is one event of raw bytes: a key sequence in it stays text.
    d.term.paste("ab\033OP\r\n\xc3\xa9");
    EXPECT_TRUE(d.shows({"PASTE 9 [ab<27>OP<13><10>\u251c\u2310]"})) << d.term.screenText();
    d.term.paste(std::string(3000, 'x'));
    EXPECT_TRUE(d.shows({"PASTE 3000 [xxxx"}));
    // F9 makes the demo discard pending input: typed keys go, the paste stays.
    EXPECT_TRUE(d.expect("\033[20~xyz\033[200~kept\033[201~\033OQ", {KeyText(VKEY_F9, SCAN_F9, 0, 0), "PASTE 4 [kept]"}))
        << d.term.screenText();
    EXPECT_TRUE(d.expect("w", {KeyText('W', SCAN_W, 'w', 0)}));
}

}  // namespace
