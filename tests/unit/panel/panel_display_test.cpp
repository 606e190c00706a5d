// The panel library's set-up and display: fullinit and its window request,
// fullattr, fullfind, fullpanel's flags and the rules for drawing a field.
#include <cstring>

#include "panel_fixture.h"

namespace pk {
namespace {

using PanelDisplay = PanelTest;

TEST_F(PanelDisplay, InitialisationAndTheMinimumScreen) {
    struct Case { int cols, rows; bool refuse, ok; int windowRight, windowBottom; };
    const Case cases[] = {
        {80, 24, true, true, 79, 23},   // a terminal's 24 rows are enough: no request made
        {79, 25, false, true, 79, 24},  // too narrow: asks for 80 columns
        {60, 10, false, true, 79, 23},  // asks for 80 x 24
        {79, 25, true, false, 78, 24},  // refused: fullinit fails
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.cols << "x" << c.rows);
        MemoryConsole local(c.cols, c.rows);
        local.refuseWindow = c.refuse;
        local.failCode = ERANGE;
        fullconsole(&local), fullreset();
        ConsoleState* st = fullinit();
        ASSERT_EQ(st != nullptr, c.ok);
        EXPECT_EQ(local.window.right, c.windowRight);
        EXPECT_EQ(local.window.bottom, c.windowBottom);
        if (c.ok) continue;
        EXPECT_EQ(fullpanel(PNL_CLEAR, nullptr), 0u);  // never touches the panel
        // A refusal leaves the library uninitialised: the next call tries
        // again and does not open the console a second time.
        local.refuseWindow = false;
        ASSERT_NE(st = fullinit(), nullptr);
        EXPECT_EQ(st->lastError, uint32_t(ERANGE));
        EXPECT_EQ(local.openCalls, 1);
    }
    fullconsole(&con);
}

TEST_F(PanelDisplay, OpenFailureAndAttributesSetBeforeInit) {
    con.failOpen = ENXIO;
    EXPECT_EQ(fullinit(), nullptr);
    // fullattr first initialises; a failure keeps the table as it was.
    const uint8_t table[ATTRIBUTE_COUNT] = {0x1F, 0x1E, 0x1D, 0x1C, 0x1B, 0x1A, 0x19, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13};
    fullattr(table);
    EXPECT_EQ(fullattributes()[3], 0x70);
    con.failOpen = 0;
    con.cursor = {3, 2};
    const uint16_t under = 0x1E;
    con.writeAttrs({3, 2}, &under, 1);
    fullattr(table);
    ASSERT_NE(fullinit(), nullptr);
    EXPECT_EQ(fullinit()->initialAttribute, 0x1E);  // the attribute under the cursor
    EXPECT_EQ(0, std::memcmp(fullattributes(), table, ATTRIBUTE_COUNT));
}

TEST_F(PanelDisplay, FieldsDrawTextAndAttributes) {
    const uint8_t table[ATTRIBUTE_COUNT] = {0x1F, 0x07, 0x0F, 0x70, 0x8F, 0x87, 0, 7, 7, 7, 0, 0, 0};
    fullattr(table);
    con.fillChars('x', 80 * 25);
    PanelField panel[] = {
        Field(FLD_PROTECTED, 2, 3, 10, "abc", 0, 1, 3),             // short text
        Field(FLD_PROTECTED, 3, 1, 0, "never", 0, 2, 2),            // width 0
        Field(FLD_PROTECTED | FLD_NODISPLAY, 4, 1, 4, "hide", 0, 3, 2),
        Field(FLD_NOECHO, 5, 1, 4, "nope", 0, 4, 2),                // drawn at step 1
        Field(FLD_PROTECTED | FLD_LAST, 6, 78, 3, "end", 0, 5, 2),  // text ends at the edge
    };
    EXPECT_EQ(fullpanel(PNL_DISPLAY, panel), uint32_t(PNL_DISPLAY));
    EXPECT_EQ(con.rowText(1).substr(0, 14), "xxabcxxxxxxxxx");
    for (int x = 1; x < 14; ++x) EXPECT_EQ(con.attrAt(x, 1), x >= 2 && x < 12 ? 0x70 : 0) << x;
    EXPECT_EQ(con.rowText(2).substr(0, 1) + con.rowText(3).substr(0, 4) + con.rowText(4).substr(0, 4), "xxxxxnope");
    EXPECT_EQ(con.attrAt(0, 2), 0);
    EXPECT_EQ(con.rowText(5).substr(77), "end");

    // From the second call on, NOECHO fields are not drawn: one character
    // call and one attribute call per field drawn.
    con.charWrites = con.attrWrites = 0;
    fullpanel(PNL_DISPLAY, panel);
    EXPECT_EQ(std::pair(con.charWrites, con.attrWrites), std::pair(3, 3));

    fullpanel(PNL_CLEAR | PNL_DISPLAY, panel);  // cleared with entry 0 of the table
    EXPECT_EQ(con.attrAt(79, 24), 0x1F);
    EXPECT_EQ(con.rowText(1).substr(0, 6), "  abc ");
}

TEST_F(PanelDisplay, ScrollOffsetsAreResetUnlessKept) {
    PanelField panel[] = {Field(0, 1, 1, 4, "0123456789"), Field(FLD_PROTECTED | FLD_LAST, 2, 1, 4, "abcdefgh")};
    panel[0].scrollOffset = 3;
    panel[1].scrollOffset = 2;
    fullpanel(PNL_KEEPOFFSET | PNL_DISPLAY, panel);
    EXPECT_EQ(con.rowText(0).substr(0, 4) + con.rowText(1).substr(0, 4), "3456cdef");
    EXPECT_EQ(fullpanel(0, panel), 0u);  // even a call with no other flag resets them
    EXPECT_EQ(panel[0].scrollOffset + panel[1].scrollOffset, 0);

    // An offset near or past the end shows only the bytes that exist.
    for (auto [offset, shown] : {std::pair<uint16_t, const char*>{6, "ghxxx"}, {40, "xxxxx"}}) {
        con.fillChars('x', 80 * 25);
        panel[1].scrollOffset = offset;
        fullpanel(PNL_KEEPOFFSET | PNL_DISPLAY, panel);
        EXPECT_EQ(con.rowText(1).substr(0, 5), shown);
        EXPECT_EQ(con.attrAt(3, 1), 0x07);
    }
}

TEST_F(PanelDisplay, BottomRowsAndWindowPosition) {
    PanelField panel[] = {Field(FLD_PROTECTED | FLD_BOTTOM, 0, 1, 4, "last"),
                          Field(FLD_PROTECTED | FLD_BOTTOM | FLD_LAST, 1, 1, 5, "above")};
    con.resize(80, 40);  // the window made taller: the rows follow
    fullpanel(PNL_DISPLAY, panel);
    EXPECT_EQ(fullrow(panel[0]), 40);
    EXPECT_EQ(con.rowText(39).substr(0, 4) + con.rowText(38).substr(0, 5), "lastabove");

    // A window scrolled down the buffer is moved back with its size kept; a
    // failed window check stops fullpanel before anything is reset.
    con.resize(80, 60);
    con.window = Rect{0, 20, 79, 44};
    fullpanel(PNL_DISPLAY, panel);
    EXPECT_EQ(con.window.top, 0);
    EXPECT_EQ(con.window.bottom, 24);
    con.window = Rect{0, 5, 79, 29};
    con.refuseWindow = true;
    panel[0].scrollOffset = 1;
    EXPECT_EQ(fullpanel(PNL_DISPLAY, panel), 0u);
    EXPECT_EQ(panel[0].scrollOffset, 1);
}

TEST_F(PanelDisplay, FindByNumberUpToTheLastField) {
    PanelField panel[] = {Field(FLD_PROTECTED, 1, 1, 1, "a", 0, 0), Field(FLD_PROTECTED, 1, 2, 1, "b", 0, 7),
                          Field(FLD_PROTECTED, 1, 3, 1, "c", 0, 7), Field(FLD_PROTECTED | FLD_LAST, 1, 4, 1, "d", 0, 9)};
    for (auto [number, index] : {std::pair{0, 0}, {7, 1}, {9, 3}, {3, -1}, {0x10007, -1}})  // all 32 bits compared
        EXPECT_EQ(fullfind(panel, number), index < 0 ? nullptr : &panel[index]) << number;
}

}  // namespace
}  // namespace pk
