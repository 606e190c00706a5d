// The panel library drawn and edited through the real terminal console
// ("panel_demo panel"), and hostile bytes in a field ("panel_demo bytes").
#include <gtest/gtest.h>

#include "harness/pty_term.h"

namespace {

using pktest::PtyTerm;

bool StartPanel(PtyTerm& t) {
    return t.start({PK_PANEL_DEMO, "panel"}) && t.waitFor("PANEL DEMO", 5000, 0) && t.waitFor("F1=Help", 3000, 24);
}

TEST(PanelDemo, FieldsInTheirColoursAndAnEditingError) {
    PtyTerm t;
    ASSERT_TRUE(StartPanel(t)) << t.screenText();
    EXPECT_EQ(t.rowText(2).substr(0, 12), "Name:    abc");
    EXPECT_EQ(t.rowText(4).substr(0, 9), "Code:    ");
    EXPECT_EQ(t.rowText(24).substr(0, 31), "F1=Help  Enter=Done  Esc=Cancel");
    // fg, bg: palette index, -1 for the terminal's default
    struct Case { int row, col; int fg, bg; bool reverse; };
    const Case cases[] = {
        {0, 0, 15, 4, false},   // 0x1F title, also past its text (width 30)
        {0, 29, 15, 4, false},
        {0, 30, -1, -1, false}, // cleared with entry 0 (0x07): terminal default
        {2, 0, 11, 0, false},   // 0x0E label
        {2, 9, -1, -1, true},   // 0x70 input field: default colours reversed
        {4, 9, 15, 1, false},   // 0x4F
        {6, 0, 0, 0, false},    // 0x00 black on black
        {24, 0, 10, 0, false},  // 0x0A on the last line
        {24, 79, 10, 0, false},
    };
    for (const Case& c : cases) {
        PtyTerm::CellInfo got = t.cell(c.row, c.col);
        EXPECT_EQ(std::tuple(got.fgDefault ? -1 : got.fg, got.bgDefault ? -1 : got.bg, got.reverse),
                  std::tuple(c.fg, c.bg, c.reverse))
            << c.row << "," << c.col;
    }
    EXPECT_EQ(t.cursorRow, 2);
    EXPECT_EQ(t.cursorCol, 9);
    t.send("\x7f");  // Backspace at the start of the field: an error, the tone as a bell
    ASSERT_TRUE(t.waitUntil([&] { return t.bells == 1; })) << t.screenText();
    t.send("k");
    EXPECT_TRUE(t.waitFor("Name:    kbc", 3000, 2));
    EXPECT_TRUE(t.waitUntil([&] { return t.cursorCol == 10 && t.cursorRow == 2; }));
    t.send("\r");
    EXPECT_EQ(t.exitCode(5000), 0);
    EXPECT_TRUE(t.waitFor("result=13", 2000));
    EXPECT_TRUE(t.waitFor("name=[kbc ", 100));
}

TEST(PanelDemo, TypingEditingAndEndingKeys) {
    const std::vector<std::string> cases[] = {
        // keys, then what the demo prints at its end
        {"XY\r", "result=13", "name=[XYc                 ]", "code=[        ]"},  // overwrite, Enter
        {"\t12\033", "result=27", "name=[abc", "code=[12      ]"},             // next field, Esc
        {"Q\n", "result=10", "name=[Qbc"},                                       // Ctrl+J
        {"\033[2~Z\033OQ", "result=60", "name=[Zabc"},                           // Insert, F2
        {"\033[3~\033[6~", "result=81", "name=[bc "},                            // Delete, PgDn
    };
    for (const auto& c : cases) {
        PtyTerm t;
        ASSERT_TRUE(StartPanel(t)) << c[0];
        t.send(c[0]);
        EXPECT_EQ(t.exitCode(5000), 0) << c[0];
        for (size_t i = 1; i < c.size(); ++i) EXPECT_TRUE(t.waitFor(c[i], 2000)) << c[i] << "\n" << t.screenText();
        EXPECT_FALSE(t.altScreen);
    }
}

// Also without a locale (none set, C, POSIX): the demo then draws in UTF-8.
TEST(PanelDemo, ControlBytesInAFieldAreGlyphsAndChangeNothing) {
    const std::vector<std::string> envs[] = {{}, {"LANG"}, {"LANG", "LC_ALL=C"}, {"LANG=POSIX"}};
    for (const auto& env : envs) {
        PtyTerm t;
        ASSERT_TRUE(t.start({PK_PANEL_DEMO, "bytes"}, env));
        ASSERT_TRUE(t.waitFor("BYTES SHOWN", 5000, 0)) << t.screenText();
        // ESC shows as an arrow, BEL as a bullet, 0x9B (CSI in 8 bits) as a cent.
        ASSERT_TRUE(t.waitFor("A\u2190]0;pwned\u2022B\u2190[?1049lC\u2190[31mD\u2022E\u00a22JF\u2190cG", 3000, 2))
            << t.screenText();
        EXPECT_EQ(t.title, "");
        EXPECT_EQ(t.bells, 0);
        EXPECT_TRUE(t.altScreen && t.decMode(2004));
        EXPECT_EQ(t.mouseMode, VTERM_PROP_MOUSE_CLICK);
        for (int col = 0; col < 40; ++col) EXPECT_TRUE(t.cell(2, col).fgDefault && t.cell(2, col).bgDefault) << col;
        EXPECT_EQ(t.rowText(0).substr(0, 11), "BYTES SHOWN");  // no "2J" cleared it
        t.send("x");
        EXPECT_EQ(t.exitCode(5000), 0);
        EXPECT_FALSE(t.altScreen);
    }
}

}  // namespace
