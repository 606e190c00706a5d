// The main screen's run-time fields on the in-memory console: the message
// and status fields at their limits, and the switch between text and hex
// view with the position and find hit carried across. (The title, the usual
// fields, the widths with tabs, the hex view's status and the "wait..."
// message of the switch are proved end to end.)
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_screen.h"

namespace {

using pktest::TestScreen;

std::string B(size_t n) { return std::string(n, ' '); }

TEST(MainScreen, MessageAndStatusFieldsAtTheirLimits) {
    TestScreen s(100, 25);
    pk::FileEntry& e = s.load("short\n" + std::string(298, 'x') + "\n");
    pk::SetMessage(std::string(200, 'x').c_str());  // written over one too long for the buffer
    std::snprintf(pk::display.messageText, pk::MESSAGE_SIZE, "%s", "Twenty-three characters");
    pk::ShowStatus();
    // A message longer than its field takes the status field's blank
    // columns, up to one blank before the status text.
    const std::string status = "Line 1 of 2, Column 1 of 298", none(20, '\0');
    EXPECT_EQ(s.row(1), "Twenty-three characters" + B(57 - status.size()) + status + none);
    for (int x = 0; x < 80; ++x) EXPECT_EQ(s.console.attrAt(x, 1), x < 23 ? 0x0F : 0x07) << x;
    const std::string longer(70, 'm');
    pk::SetMessage(longer.c_str());
    pk::ShowStatus();
    EXPECT_EQ(s.row(1), longer.substr(0, 51) + " " + status + none);
    // Back to its width, nothing of the long message stays between the fields.
    pk::SetMessage("short");
    pk::ShowStatus();
    EXPECT_EQ(s.row(1), "short" + B(17) + B(58 - status.size()) + status + none);
    // Too long for its field: cut there, nothing written past column 80.
    e.view = {4000000000u, 4000000001u, 0};
    e.lineCount = 4000000002u;
    e.longestRaw = 4000000003u;
    pk::ShowStatus();
    EXPECT_EQ(s.row(1).substr(22), std::string("Line 4000000000 of 4000000002, Column 4000000001 of 4000000003")
                                       .substr(0, 58) + none);
}

TEST(ToggleView, CarriesThePositionBetweenViews) {
    TestScreen s;
    pk::FileEntry& e = s.load(std::string(42, 'a') + "\nsecond line\nthird\n" + std::string(200, 'z'));
    e.view = {2, 3, 0};
    pk::DrawTextView();  // the dump starts at the line last drawn on top
    pk::ToggleView();
    EXPECT_EQ(e.view.offset, 43u);
    EXPECT_EQ(e.view.column, 3u);

    // From the middle of line 3 back to text ("wait..." meanwhile is proved
    // end to end).
    e.view.offset = 58;
    pk::ToggleView();
    EXPECT_EQ(e.view.line, 3u);
    EXPECT_EQ(e.view.column, 3u);
    EXPECT_NE(s.row(1).find("Line 3 of 4, Column 3 of 200"), std::string::npos);

    pk::ToggleView();
    e.view.offset = 42;  // a line feed belongs to the line it ends
    pk::ToggleView();
    EXPECT_EQ(e.view.line, 1u);
}

TEST(ToggleView, FoundBytesStayTheSameBothWays) {
    TestScreen s;
    pk::FileEntry& e = s.load("first\nsecond line\nthird line with a hit here\n");
    const uint32_t at = 36;  // "hit": line 3, column 19
    s.found(3, 19, 0, 3);
    pk::ToggleView();
    EXPECT_EQ(e.found.offset, at);
    pk::DrawHexView();  // row 3, bytes 4-6
    EXPECT_EQ(s.lit(5), "25-30 62-64");

    e.found = {0, 0, at};
    pk::ToggleView();
    EXPECT_EQ(e.found.line, 3u);
    EXPECT_EQ(e.found.column, 19u);
    pk::DrawTextView();
    EXPECT_EQ(s.lit(5), "18-20");
}

}  // namespace
