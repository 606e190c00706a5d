// Keys, mouse and paste as a real terminal sends them, through the terminal
// console, checked as the records "panel_demo keys" shows.
#include <gtest/gtest.h>

#include "harness/keys_demo.h"

namespace {

using pktest::KeysDemo;

struct KeyCase {
    const char* name;
    std::string bytes;
    std::string record;
};

std::string Key(int vk, int sc, int ch, int st) {
    char buf[64];
    snprintf(buf, sizeof buf, "KEY vk=%02X sc=%02X ch=%02X st=%04X", vk, sc, ch, st);
    return buf;
}

// F1-F12 in plain, Shift, Ctrl, Alt and combined forms, as xterm sends them.
std::vector<KeyCase> FunctionKeys() {
    const char* plain[12] = {"\033OP", "\033OQ", "\033OR", "\033OS", "\033[15~", "\033[17~",
                             "\033[18~", "\033[19~", "\033[20~", "\033[21~", "\033[23~", "\033[24~"};
    const int scans[12] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x57, 0x58};
    struct Mod { int param; int state; };
    const Mod mods[] = {{2, 0x10}, {5, 0x08}, {3, 0x02}, {6, 0x18}, {7, 0x0A}, {4, 0x12}};
    std::vector<KeyCase> cases;
    for (int f = 0; f < 12; ++f) {
        // F10 plain and modified end or suspend the demo; they are tested there.
        if (f != 9) cases.push_back({"F plain", plain[f], Key(0x70 + f, scans[f], 0, 0)});
        for (const Mod& m : mods) {
            if (f == 9 && (m.state == 0x10 || m.state == 0x08 || m.state == 0x02)) continue;
            std::string s = f < 4 ? "\033[1;" + std::to_string(m.param) + std::string(1, plain[f][2])
                                  : std::string(plain[f]).insert(std::string(plain[f]).size() - 1,
                                                                 ";" + std::to_string(m.param));
            cases.push_back({"F modified", s, Key(0x70 + f, scans[f], 0, m.state)});
        }
    }
    return cases;
}

std::vector<KeyCase> NavigationKeys() {
    struct Nav { const char* csiFinal; const char* tilde; int vk; int sc; const char* app; };
    const Nav keys[] = {{"H", nullptr, 0x24, 0x47, "\033OH"}, {"A", nullptr, 0x26, 0x48, "\033OA"},
                        {nullptr, "5", 0x21, 0x49, nullptr},  {"D", nullptr, 0x25, 0x4B, "\033OD"},
                        {"C", nullptr, 0x27, 0x4D, "\033OC"}, {"F", nullptr, 0x23, 0x4F, "\033OF"},
                        {"B", nullptr, 0x28, 0x50, "\033OB"}, {nullptr, "6", 0x22, 0x51, nullptr},
                        {nullptr, "2", 0x2D, 0x52, nullptr},  {nullptr, "3", 0x2E, 0x53, nullptr}};
    struct Mod { int param; int state; };
    const Mod mods[] = {{2, 0x10}, {5, 0x08}, {3, 0x02}, {6, 0x18}};
    std::vector<KeyCase> cases;
    for (const Nav& k : keys) {
        if (k.app) {
            cases.push_back({"nav application", k.app, Key(k.vk, k.sc, 0, 0)});
            cases.push_back({"nav normal", std::string("\033[") + k.csiFinal, Key(k.vk, k.sc, 0, 0)});
        } else if (k.vk != 0x2D) {  // plain Insert switches the demo's cursor; tested there
            cases.push_back({"nav tilde", std::string("\033[") + k.tilde + "~", Key(k.vk, k.sc, 0, 0)});
        }
        for (const Mod& m : mods) {
            std::string p = std::to_string(m.param);
            std::string s = k.csiFinal ? "\033[1;" + p + k.csiFinal : "\033[" + std::string(k.tilde) + ";" + p + "~";
            cases.push_back({"nav modified", s, Key(k.vk, k.sc, 0, m.state)});
        }
    }
    cases.push_back({"Home as tmux sends it", "\033[1~", Key(0x24, 0x47, 0, 0)});
    cases.push_back({"End as tmux sends it", "\033[4~", Key(0x23, 0x4F, 0, 0)});
    return cases;
}

std::vector<KeyCase> CharacterKeys() {
    return {
        {"Enter", "\r", Key(0x0D, 0x1C, 13, 0)},
        {"Ctrl+Enter (CSI u)", "\033[13;5u", Key(0x0D, 0x1C, 10, 0x08)},
        {"Ctrl+Enter (modifyOtherKeys)", "\033[27;5;13~", Key(0x0D, 0x1C, 10, 0x08)},
        {"Ctrl+J", "\n", Key(0x4A, 0x24, 10, 0x08)},
        {"Backspace DEL", "\x7f", Key(0x08, 0x0E, 8, 0)},
        {"Backspace ^H", "\x08", Key(0x08, 0x0E, 8, 0)},
        {"Tab", "\t", Key(0x09, 0x0F, 9, 0)},
        {"Shift+Tab", "\033[Z", Key(0x09, 0x0F, 9, 0x10)},
        {"Ctrl+V", "\x16", Key(0x56, 0x2F, 0x16, 0x08)},
        {"Ctrl+C", "\x03", Key(0x43, 0x2E, 0x03, 0x08)},
        {"Ctrl+Z", "\x1a", Key(0x5A, 0x2C, 0x1A, 0x08)},
        {"Ctrl+\\", "\x1c", Key(0, 0, 0x1C, 0x08)},
        {"Ctrl+Space", std::string(1, '\0'), Key(0, 0, 0, 0x08)},
        {"letter", "a", Key(0x41, 0x1E, 0x61, 0)},
        {"capital", "Z", Key(0x5A, 0x2C, 0x5A, 0)},
        {"digit", "7", Key(0x37, 0x08, 0x37, 0)},
        {"punctuation", "/", Key(0, 0x35, 0x2F, 0)},
        {"space", " ", Key(0, 0x39, 0x20, 0)},
        {"Alt+v", "\033v", Key(0x56, 0x2F, 0x76, 0x02)},
        {"Alt+Up (Esc prefix)", "\033\033OA", Key(0x26, 0x48, 0, 0x02)},
    };
}

TEST(TerminalKeys, EveryKeyArrivesWithItsScanCodeCharAndState) {
    KeysDemo d;
    ASSERT_TRUE(d.start()) << d.term.screenText();
    for (auto group : {FunctionKeys(), NavigationKeys(), CharacterKeys()})
        for (const KeyCase& c : group)
            ASSERT_TRUE(d.expect(c.bytes, {c.record})) << c.name << " " << c.record << "\n"
                                                        << d.term.screenText();
}

TEST(TerminalKeys, EscUtf8AndUnknownSequences) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    EXPECT_TRUE(d.expect("\033", {Key(0x1B, 0x01, 27, 0)})) << "Esc alone";
    // A non-ASCII letter arrives as its UTF-8 bytes, one record each.
    EXPECT_TRUE(d.expect("\xc3\xa9", {Key(0, 0, 0xC3, 0), Key(0, 0, 0xA9, 0)}));
    // An unknown sequence is dropped whole: the next record is the 'q'.
    EXPECT_TRUE(d.expect("\033[99;5X", {}));
    EXPECT_TRUE(d.expect("q", {Key(0x51, 0x10, 0x71, 0)})) << d.term.screenText();
    // Keys sent by libvterm follow the cursor-key mode the console asked for.
    d.term.key(VTERM_KEY_DOWN);
    EXPECT_TRUE(d.shows({Key(0x28, 0x50, 0, 0)}));
    d.term.key(static_cast<VTermKey>(VTERM_KEY_FUNCTION(5)), VTERM_MOD_SHIFT);
    EXPECT_TRUE(d.shows({Key(0x74, 0x3F, 0, 0x10)}));
    d.term.unichar('x', VTERM_MOD_ALT);
    EXPECT_TRUE(d.shows({Key(0x58, 0x2D, 0x78, 0x02)}));
}

TEST(TerminalKeys, MouseClicksWheelAndDoubleClicks) {
    KeysDemo d(25, 300);
    ASSERT_TRUE(d.start());
    EXPECT_EQ(d.term.mouseMode, VTERM_PROP_MOUSE_CLICK);
    EXPECT_TRUE(d.term.decMode(1006));
    d.term.click(24, 10);  // the bottom line, where pk's key labels are
    EXPECT_TRUE(d.shows({"MOUSE x=10 y=24 b=00000001 f=0 st=0000", "MOUSE x=10 y=24 b=00000000 f=0 st=0000"}))
        << d.term.screenText();
    d.term.click(3, 250, 3);  // right button, beyond column 223
    EXPECT_TRUE(d.shows({"MOUSE x=250 y=3 b=00000002 f=0 st=0000", "MOUSE x=250 y=3 b=00000000 f=0 st=0000"}));
    EXPECT_TRUE(d.expect("\033[<64;5;6M", {"MOUSE x=4 y=5 b=00780000 f=4 st=0000"}));
    EXPECT_TRUE(d.expect("\033[<65;5;6M", {"MOUSE x=4 y=5 b=FF880000 f=4 st=0000"}));
    EXPECT_TRUE(d.expect("\033[<16;2;2M", {"MOUSE x=1 y=1 b=00000001 f=0 st=0008"}));
    // Second press in the same cell at once: a double click; a third press
    // starts over; a press elsewhere is a single click.
    EXPECT_TRUE(d.expect("\033[<0;9;9M\033[<0;9;9m\033[<0;9;9M\033[<0;9;9m\033[<0;9;9M\033[<0;7;9M",
                         {"MOUSE x=8 y=8 b=00000001 f=0", "MOUSE x=8 y=8 b=00000000 f=0",
                          "MOUSE x=8 y=8 b=00000001 f=2", "MOUSE x=8 y=8 b=00000000 f=0",
                          "MOUSE x=8 y=8 b=00000001 f=0", "MOUSE x=6 y=8 b=00000001 f=0"}))
        << d.term.screenText();
}

TEST(TerminalKeys, PasteIsOneEventOfRawBytesAndSurvivesFlush) {
    KeysDemo d;
    ASSERT_TRUE(d.start());
    EXPECT_TRUE(d.term.decMode(2004));
    d.term.paste("ab\033OP\r\n\xc3\xa9");  // a pasted key sequence stays text; é is two CP437 glyphs
    EXPECT_TRUE(d.shows({"PASTE 9 [ab<27>OP<13><10>\u251c\u2310]"})) << d.term.screenText();
    d.term.paste(std::string(3000, 'x'));
    EXPECT_TRUE(d.shows({"PASTE 3000 [xxxx"}));
    // F9 makes the demo discard pending input: typed keys go, the paste stays.
    EXPECT_TRUE(d.expect("\033[20~xyz\033[200~kept\033[201~\033OQ",
                         {Key(0x78, 0x43, 0, 0), "PASTE 4 [kept]"}))
        << d.term.screenText();
    EXPECT_TRUE(d.expect("w", {Key(0x57, 0x11, 0x77, 0)}));
}

}  // namespace
