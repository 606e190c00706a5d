// The panel library drawn and edited through the real terminal console
// ("panel_demo panel"), and hostile bytes in a field ("panel_demo bytes").
#include <gtest/gtest.h>

#include "harness/pty_term.h"

namespace {

using pktest::PtyTerm;

struct Colours {
    int fg;  // palette index, -1 for the terminal's default
    int bg;
    bool reverse;
};

Colours ColoursAt(const PtyTerm& t, int row, int col) {
    PtyTerm::CellInfo c = t.cell(row, col);
    return {c.fgDefault ? -1 : c.fg, c.bgDefault ? -1 : c.bg, c.reverse};
}

bool StartPanel(PtyTerm& t) {
    return t.start({PK_PANEL_DEMO, "panel"}) && t.waitFor("PANEL DEMO", 5000, 0) &&
           t.waitFor("F1=Help", 3000, 24);
}

TEST(PanelDemo, FieldsAppearInTheirColoursAtTheirRows) {
    PtyTerm t;
    ASSERT_TRUE(StartPanel(t)) << t.screenText();
    EXPECT_EQ(t.rowText(2).substr(0, 12), "Name:    abc");
    EXPECT_EQ(t.rowText(4).substr(0, 9), "Code:    ");
    EXPECT_EQ(t.rowText(24).substr(0, 31), "F1=Help  Enter=Done  Esc=Cancel");
    struct Case {
        int row, col;
        Colours want;
    };
    const Case cases[] = {
        {0, 0, {15, 4, false}},   // 0x1F title, also past its text (width 30)
        {0, 29, {15, 4, false}},
        {0, 30, {-1, -1, false}}, // cleared with entry 0 (0x07): terminal default
        {2, 0, {11, 0, false}},   // 0x0E label
        {2, 9, {-1, -1, true}},   // 0x70 input field: default colours reversed
        {4, 9, {15, 1, false}},   // 0x4F
        {6, 0, {0, 0, false}},    // 0x00 black on black
        {24, 0, {10, 0, false}},  // 0x0A on the last line
        {24, 79, {10, 0, false}},
    };
    for (const Case& c : cases) {
        Colours got = ColoursAt(t, c.row, c.col);
        EXPECT_EQ(got.fg, c.want.fg) << c.row << "," << c.col;
        EXPECT_EQ(got.bg, c.want.bg) << c.row << "," << c.col;
        EXPECT_EQ(got.reverse, c.want.reverse) << c.row << "," << c.col;
    }
    EXPECT_EQ(t.cursorRow, 2);
    EXPECT_EQ(t.cursorCol, 9);
    t.send("\r");
    EXPECT_EQ(t.exitCode(5000), 0);
    EXPECT_TRUE(t.waitFor("result=13", 2000));
}

TEST(PanelDemo, TypingEditingAndEndingKeys) {
    struct Case {
        const char* name;
        std::string keys;
        std::string result;
        std::string name_;
        std::string code;
    };
    const Case cases[] = {
        {"overwrite then Enter", "XY\r", "result=13", "name=[XYc                 ]", "code=[        ]"},
        {"tab to next field, Esc", "\t12\033", "result=27", "name=[abc", "code=[12      ]"},
        {"Ctrl+J ends with 10", "Q\n", "result=10", "name=[Qbc", ""},
        {"Insert, typing, F2", "\033[2~Z\033OQ", "result=60", "name=[Zabc", ""},
        {"Delete at cursor, PgDn", "\033[3~\033[6~", "result=81", "name=[bc ", ""},
    };
    for (const Case& c : cases) {
        PtyTerm t;
        ASSERT_TRUE(StartPanel(t)) << c.name;
        t.send(c.keys);
        EXPECT_EQ(t.exitCode(5000), 0) << c.name;
        EXPECT_TRUE(t.waitFor(c.result, 2000)) << c.name << "\n" << t.screenText();
        EXPECT_TRUE(t.waitFor(c.name_, 100)) << c.name << "\n" << t.screenText();
        if (!c.code.empty()) {
            EXPECT_TRUE(t.waitFor(c.code, 100)) << c.name << "\n" << t.screenText();
        }
        EXPECT_FALSE(t.altScreen);
    }
}

TEST(PanelDemo, EditingErrorSoundsTheBellAndTypingIsShown) {
    PtyTerm t;
    ASSERT_TRUE(StartPanel(t));
    t.send("\x7f");  // Backspace at the start of the field: an error, the tone
    ASSERT_TRUE(t.waitUntil([&] { return t.bells == 1; })) << t.screenText();
    t.send("k");
    EXPECT_TRUE(t.waitFor("Name:    kbc", 3000, 2));
    EXPECT_TRUE(t.waitUntil([&] { return t.cursorCol == 10 && t.cursorRow == 2; }));
    t.send("\033");
    EXPECT_EQ(t.exitCode(5000), 0);
    EXPECT_TRUE(t.waitFor("result=27", 2000));
}

// Also without a locale (none set, C, POSIX): pk then draws in UTF-8.
TEST(PanelDemo, ControlBytesInAFieldAreGlyphsAndChangeNothing) {
    const std::vector<std::vector<std::string>> envs = {{}, {"LANG"}, {"LANG", "LC_ALL=C"}, {"LANG=POSIX"}};
    for (const auto& env : envs) {
        PtyTerm t;
        ASSERT_TRUE(t.start({PK_PANEL_DEMO, "bytes"}, env));
        ASSERT_TRUE(t.waitFor("BYTES SHOWN", 5000, 0)) << t.screenText();
        // ESC shows as an arrow, BEL as a bullet, 0x9B (CSI in 8 bits) as a cent.
        const std::string shown =
            "A\u2190]0;pwned\u2022B\u2190[?1049lC\u2190[31mD\u2022E\u00a22JF\u2190cG";
        ASSERT_TRUE(t.waitFor(shown, 3000, 2)) << t.screenText();
        EXPECT_EQ(t.title, "");
        EXPECT_EQ(t.bells, 0);
        EXPECT_TRUE(t.altScreen);
        EXPECT_EQ(t.mouseMode, VTERM_PROP_MOUSE_CLICK);
        EXPECT_TRUE(t.decMode(2004));
        for (int col = 0; col < 40; ++col) {
            PtyTerm::CellInfo c = t.cell(2, col);
            EXPECT_TRUE(c.fgDefault && c.bgDefault) << col;
        }
        EXPECT_EQ(t.rowText(0).substr(0, 11), "BYTES SHOWN");  // no "2J" cleared it
        t.send("x");
        EXPECT_EQ(t.exitCode(5000), 0);
        EXPECT_FALSE(t.altScreen);
    }
}

}  // namespace
