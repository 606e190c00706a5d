// Every binding of the key table on the real terminal, in text and hex view:
// scrolling limits and beeps, the page amount that follows the F2 label, the
// column keys with tabs expanded and not, F5 after a miss, F6, F10 and F3.
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

std::string Lines(int count, int needleAt = 0) {
    std::string s;
    for (int i = 1; i <= count; ++i) s += (i == needleAt ? "the needle " : "line ") + std::to_string(i) + "\n";
    return s;
}

TEST(PkKeys, ShortFileBeepsGoingDown) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("short.txt", "one\ntwo\nthree\n")}));
    EXPECT_TRUE(pk.beepsKey(VTERM_KEY_DOWN));
    EXPECT_TRUE(pk.beepsKey(VTERM_KEY_PAGEDOWN));
    EXPECT_TRUE(pk.beepsKey(Fn(9)));
    EXPECT_TRUE(pk.beepsKey(Fn(4)));
    EXPECT_TRUE(pk.beepsKey(VTERM_KEY_UP));
    EXPECT_TRUE(pk.beepsKey(Fn(10)));  // one file: no next
    EXPECT_TRUE(pk.beepsKey(Fn(6)));   // no command yet: the empty line beeps
    EXPECT_TRUE(pk.settle());
    EXPECT_EQ(pk.window(), std::string(67, ' '));
    EXPECT_EQ(pk.t.bells, 7);
}

TEST(PkKeys, VerticalKeysAndThePageAmount) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("lines.txt", Lines(100))}));
    pk.t.key(VTERM_KEY_PAGEDOWN);  // half of 21 rows
    EXPECT_TRUE(pk.waitStatus("Line 11 of 100"));
    pk.t.key(Fn(2));
    EXPECT_TRUE(pk.t.waitFor("2Page", kWait, 24));
    pk.t.key(VTERM_KEY_PAGEDOWN);
    EXPECT_TRUE(pk.waitStatus("Line 32 of 100"));
    pk.t.key(VTERM_KEY_PAGEUP);
    EXPECT_TRUE(pk.waitStatus("Line 11 of 100"));
    pk.t.key(Fn(2));
    EXPECT_TRUE(pk.t.waitFor("2Half", kWait, 24));
    pk.t.key(VTERM_KEY_PAGEUP);
    EXPECT_TRUE(pk.waitStatus("Line 1 of 100"));
    pk.t.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(pk.waitStatus("Line 2 of 100"));
    pk.t.key(Fn(9));
    EXPECT_TRUE(pk.waitStatus("Line 80 of 100"));
    EXPECT_TRUE(pk.beepsKey(Fn(9)));
    pk.t.key(VTERM_KEY_UP);
    EXPECT_TRUE(pk.waitStatus("Line 79 of 100"));
    pk.t.key(Fn(4));
    EXPECT_TRUE(pk.waitStatus("Line 1 of 100"));
    pk.t.key(VTERM_KEY_END, VTERM_MOD_CTRL);
    EXPECT_TRUE(pk.waitStatus("Line 80 of 100"));
    EXPECT_TRUE(pk.t.waitFor("line 100", kWait, 23));
    EXPECT_EQ(pk.t.bells, 1);
}

TEST(PkKeys, ColumnKeysFollowTheTabSetting) {
    Pk pk;
    // 60 bytes, 200 columns with tabs expanded, then 29 short lines.
    std::string text = std::string(20, '\t') + std::string(40, 'x') + "\n";
    for (int i = 0; i < 29; ++i) text += "a\n";
    ASSERT_TRUE(pk.start({pk.dir.write("tabs.txt", text)}));
    ASSERT_TRUE(pk.waitStatus("Column 1 of 60"));
    EXPECT_TRUE(pk.beepsKey(Fn(12)));
    EXPECT_TRUE(pk.beepsKey(Fn(8)));
    EXPECT_TRUE(pk.beepsKey(Fn(11)));
    EXPECT_TRUE(pk.beepsKey(Fn(7)));

    pk.command("tabs");
    ASSERT_TRUE(pk.waitStatus("Column 1 of 200"));
    struct Step { VTermKey key; int mods; const char* status; };
    const Step steps[] = {
        {Fn(12), 0, "Column 2 of 200"},   {Fn(8), 0, "Column 42 of 200"},
        {Fn(8), 0, "Column 82 of 200"},   {Fn(8), 0, "Column 121 of 200"},
        {Fn(11), 0, "Column 120 of 200"}, {Fn(7), 0, "Column 80 of 200"},
        {VTERM_KEY_RIGHT, VTERM_MOD_ALT, "Column 81 of 200"},
        {VTERM_KEY_LEFT, VTERM_MOD_ALT, "Column 80 of 200"},
        {Fn(7), 0, "Column 40 of 200"},   {Fn(7), 0, "Column 1 of 200"},
    };
    for (const Step& s : steps) {
        pk.t.key(s.key, Mods(s.mods));
        EXPECT_TRUE(pk.waitStatus(s.status)) << s.status << "\n" << pk.t.screenText();
    }
    EXPECT_TRUE(pk.beepsKey(Fn(7)));
    EXPECT_TRUE(pk.beepsKey(Fn(11)));
    pk.t.key(Fn(2));
    EXPECT_TRUE(pk.t.waitFor("2Page", kWait, 24));
    pk.t.key(Fn(8));  // a whole page
    EXPECT_TRUE(pk.waitStatus("Column 81 of 200"));
    pk.t.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(pk.waitStatus("Line 2 of 30, Column 81 of 200"));
    pk.t.key(VTERM_KEY_HOME, VTERM_MOD_CTRL);  // the column stays, no beep
    EXPECT_TRUE(pk.waitStatus("Line 1 of 30, Column 81 of 200"));
    pk.t.key(VTERM_KEY_RIGHT, VTERM_MOD_CTRL);  // Ctrl+Left and Ctrl+Right do nothing
    pk.t.key(VTERM_KEY_LEFT, VTERM_MOD_CTRL);
    EXPECT_TRUE(pk.settle());
    EXPECT_TRUE(pk.waitStatus("Column 81 of 200"));
    EXPECT_EQ(pk.t.bells, 6);
}

TEST(PkKeys, HexViewKeys) {
    Pk pk(24, 80);  // 20 data rows, 320 bytes a page
    ASSERT_TRUE(pk.start({pk.dir.write("data.bin", std::string(1000, 'h'))}));
    pk.command("view");
    ASSERT_TRUE(pk.waitStatus("File size is 1000 bytes"));
    ASSERT_TRUE(pk.waitHexOffset("00000000"));
    pk.t.key(Fn(9));
    EXPECT_TRUE(pk.waitHexOffset("000002A8")) << pk.t.screenText();  // 680
    pk.t.key(VTERM_KEY_END, VTERM_MOD_CTRL);
    EXPECT_TRUE(pk.waitHexOffset("000002B0"));  // 688
    pk.t.key(Fn(4));
    EXPECT_TRUE(pk.waitHexOffset("00000000"));
    pk.t.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(pk.waitHexOffset("00000010"));
    pk.t.key(VTERM_KEY_PAGEDOWN);
    EXPECT_TRUE(pk.waitHexOffset("000000B0"));
    pk.t.key(VTERM_KEY_UP);
    EXPECT_TRUE(pk.waitHexOffset("000000A0"));
    for (int f : {7, 8, 11, 12}) EXPECT_TRUE(pk.beepsKey(Fn(f))) << "F" << f;
    pk.t.key(VTERM_KEY_HOME, VTERM_MOD_CTRL);
    EXPECT_TRUE(pk.waitHexOffset("00000000"));
    EXPECT_TRUE(pk.beepsKey(VTERM_KEY_PAGEUP));
    EXPECT_EQ(pk.t.bells, 5);
}

TEST(PkKeys, RepeatFindStartsAgainAfterAMiss) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("find.txt", Lines(100, 50))}));
    pk.command("f needle");
    ASSERT_TRUE(pk.t.waitFor("the needle 50", kWait)) << pk.t.screenText();
    std::string found = pk.status();
    pk.t.key(Fn(5));
    EXPECT_TRUE(pk.t.waitFor("Not found", kWait, 1));
    EXPECT_TRUE(pk.settle());  // the message stays until the next key
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.status().find("Not found") == std::string::npos; }, kWait));
    pk.t.key(Fn(4));
    ASSERT_TRUE(pk.waitStatus("Line 1 of 100"));
    pk.t.key(Fn(5), VTERM_MOD_SHIFT);  // Shift+F5 is F5, from the top again
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.status() == found; }, kWait)) << pk.t.screenText();

    pk.command("down 3");  // F6 repeats the last command
    ASSERT_TRUE(pk.t.waitUntil([&] { return pk.status() != found; }, kWait));
    std::string line = pk.status();
    pk.t.key(Fn(6));
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.status() != line; }, kWait));
    EXPECT_EQ(pk.window(), std::string(67, ' '));
}

TEST(PkKeys, NextAndCloseWithTwoFiles) {
    Pk pk;
    std::string a = pk.dir.write("a.txt", "alpha\n");
    std::string b = pk.dir.write("b.txt", "bravo\n");
    ASSERT_TRUE(pk.start({a, b}));
    ASSERT_TRUE(pk.t.waitFor("bravo", kWait, 3));
    pk.t.key(Fn(10));
    EXPECT_TRUE(pk.t.waitFor("alpha", kWait, 3));
    EXPECT_TRUE(pk.t.waitFor(a, kWait, 0));
    pk.t.key(Fn(10));
    EXPECT_TRUE(pk.t.waitFor("bravo", kWait, 3));
    pk.t.key(Fn(3));  // closes b, shows a
    EXPECT_TRUE(pk.t.waitFor("alpha", kWait, 3));
    EXPECT_TRUE(pk.t.waitFor(a, kWait, 0));
    EXPECT_TRUE(pk.beepsKey(Fn(10)));
    pk.t.key(Fn(3));  // the last file: the end
    EXPECT_EQ(pk.t.exitCode(kWait), 0);
    EXPECT_FALSE(pk.t.altScreen);
}

}  // namespace
