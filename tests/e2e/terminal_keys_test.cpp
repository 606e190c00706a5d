// Keys, mouse and paste as a real terminal sends them, through the terminal
// console, checked as the records "panel_demo keys" shows.
#include <gtest/gtest.h>

#include <cctype>

#include "harness/keys_demo.h"

namespace {

using pktest::KeysDemo;

std::string Key(int vk, int sc, int ch, int st) {
    char buf[64];
    snprintf(buf, sizeof buf, "KEY vk=%02X sc=%02X ch=%02X st=%04X", vk, sc, ch, st);
    return buf;
}

struct KeyCase {
    std::string bytes;
    std::vector<std::string> records;
};

// xterm's forms of a key: id is the final letter (SS3 or CSI) or the number
// before '~'; modifier 1 is the plain key.
std::string Xterm(const std::string& id, int modifier, bool ss3) {
    std::string m = std::to_string(modifier);
    if (!std::isalpha(static_cast<unsigned char>(id[0])))
        return "\033[" + id + (modifier > 1 ? ";" + m : "") + "~";
    return modifier > 1 ? "\033[1;" + m + id : (ss3 ? "\033O" : "\033[") + id;
}

std::vector<KeyCase> TableKeys() {
    struct Named {
        const char* id;
        int vk, sc;
    };
    const std::pair<int, int> mods[] = {{2, 0x10}, {5, 0x08}, {3, 0x02}, {6, 0x18}, {7, 0x0A}, {4, 0x12}};
    const Named fkeys[] = {{"P", 0x70, 0x3B},  {"Q", 0x71, 0x3C},  {"R", 0x72, 0x3D},  {"S", 0x73, 0x3E},
                          {"15", 0x74, 0x3F}, {"17", 0x75, 0x40}, {"18", 0x76, 0x41}, {"19", 0x77, 0x42},
                          {"20", 0x78, 0x43}, {"21", 0x79, 0x44}, {"23", 0x7A, 0x57}, {"24", 0x7B, 0x58}};
    const Named nav[] = {{"H", 0x24, 0x47}, {"A", 0x26, 0x48}, {"5", 0x21, 0x49}, {"D", 0x25, 0x4B}, {"C", 0x27, 0x4D},
                        {"F", 0x23, 0x4F}, {"B", 0x28, 0x50}, {"6", 0x22, 0x51}, {"2", 0x2D, 0x52}, {"3", 0x2E, 0x53}};
    std::vector<KeyCase> cases;
    for (const Named& k : fkeys) {
        bool f10 = k.vk == 0x79;  // F10 plain, Shift, Ctrl and Alt end or suspend the demo
        if (!f10) cases.push_back({Xterm(k.id, 1, true), {Key(k.vk, k.sc, 0, 0)}});
        for (auto [m, st] : mods)
            if (!f10 || m == 4 || m > 5) cases.push_back({Xterm(k.id, m, true), {Key(k.vk, k.sc, 0, st)}});
    }
    for (const Named& k : nav) {
        if (std::isalpha(static_cast<unsigned char>(k.id[0])))
            cases.push_back({Xterm(k.id, 1, true), {Key(k.vk, k.sc, 0, 0)}});  // application mode
        if (k.vk != 0x2D)  // plain Insert switches the demo's cursor: tested with the session
            cases.push_back({Xterm(k.id, 1, false), {Key(k.vk, k.sc, 0, 0)}});
        for (int i = 0; i < 4; ++i) cases.push_back({Xterm(k.id, mods[i].first, false), {Key(k.vk, k.sc, 0, mods[i].second)}});
    }
    std::vector<KeyCase> chars = {
        {"\033[1~", {Key(0x24, 0x47, 0, 0)}},  // Home and End as tmux sends them
        {"\033[4~", {Key(0x23, 0x4F, 0, 0)}},
        {"\r", {Key(0x0D, 0x1C, 13, 0)}},
        {"\033[13;5u", {Key(0x0D, 0x1C, 10, 0x08)}},  // Ctrl+Enter (CSI u, modifyOtherKeys)
        {"\033[27;5;13~", {Key(0x0D, 0x1C, 10, 0x08)}},
        {"\n", {Key(0x4A, 0x24, 10, 0x08)}},
        {"\x7f", {Key(0x08, 0x0E, 8, 0)}},  // Backspace as DEL and as ^H
        {"\x08", {Key(0x08, 0x0E, 8, 0)}},
        {"\t", {Key(0x09, 0x0F, 9, 0)}},
        {"\033[Z", {Key(0x09, 0x0F, 9, 0x10)}},
        {"\x16", {Key(0x56, 0x2F, 0x16, 0x08)}},  // Ctrl+V, Ctrl+C, Ctrl+Space
        {"\x03", {Key(0x43, 0x2E, 0x03, 0x08)}},
        {std::string(1, '\0'), {Key(0, 0, 0, 0x08)}},
        {"a", {Key(0x41, 0x1E, 0x61, 0)}},
        {"/", {Key(0, 0x35, 0x2F, 0)}},
        {"\033v", {Key(0x56, 0x2F, 0x76, 0x02)}},       // Alt+v
        {"\033\033OA", {Key(0x26, 0x48, 0, 0x02)}},     // Alt+Up with an Esc prefix
        {"\033", {Key(0x1B, 0x01, 27, 0)}},             // Esc alone
        {"\xc3\xa9", {Key(0, 0, 0xC3, 0), Key(0, 0, 0xA9, 0)}},  // UTF-8: one record a byte
        {"\033[99;5Xq", {Key(0x51, 0x10, 0x71, 0)}},    // an unknown sequence is dropped whole
    };
    cases.insert(cases.end(), chars.begin(), chars.end());
    return cases;
}

TEST(TerminalKeys, EveryKeyArrivesWithItsScanCodeCharAndState) {
    KeysDemo d;
    ASSERT_TRUE(d.start()) << d.term.screenText();
    for (const KeyCase& c : TableKeys())
        ASSERT_TRUE(d.expect(c.bytes, c.records)) << c.bytes.substr(1) << " " << c.records[0] << "\n" << d.term.screenText();
    // Keys sent by libvterm follow the cursor-key mode the console asked for.
    d.term.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(d.shows({Key(0x28, 0x50, 0, 0)}));
    d.term.key(static_cast<VTermKey>(VTERM_KEY_FUNCTION(5)), VTERM_MOD_SHIFT);
    EXPECT_TRUE(d.shows({Key(0x74, 0x3F, 0, 0x10)}));
    d.term.unichar('x', VTERM_MOD_ALT);
    EXPECT_TRUE(d.shows({Key(0x58, 0x2D, 0x78, 0x02)}));
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
    EXPECT_TRUE(d.expect("\033[20~xyz\033[200~kept\033[201~\033OQ", {Key(0x78, 0x43, 0, 0), "PASTE 4 [kept]"}))
        << d.term.screenText();
    EXPECT_TRUE(d.expect("w", {Key(0x57, 0x11, 0x77, 0)}));
}

}  // namespace
