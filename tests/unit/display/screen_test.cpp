// The main screen's panels and run-time fields on an 80-column console, the
// message buffer, and the switch between text and hex view.
#include <gtest/gtest.h>

#include <cstdio>

#include "view_fixture.h"

using pktest::TestScreen;

namespace {

std::string Blanks(int n) { return std::string(size_t(n), ' '); }

// Attributes of cells [from, to] of row y all equal attr.
bool AttrsAre(const TestScreen& s, int y, int from, int to, uint16_t attr) {
    for (int x = from; x <= to; ++x)
        if (s.console.attrAt(x, y) != attr) return false;
    return true;
}

TEST(DisplayState, SetMessageCutsAndClearsTheBuffer) {
    pk::display = pk::DisplayState{};
    pk::SetMessage("a much longer message than the next one");
    pk::SetMessage("short");
    EXPECT_STREQ(pk::display.messageText, "short");
    for (int i = 5; i < pk::MESSAGE_SIZE; ++i) EXPECT_EQ(pk::display.messageText[i], 0);
    std::string tooLong(200, 'x');
    pk::SetMessage(tooLong.c_str());
    EXPECT_EQ(std::string(pk::display.messageText), std::string(pk::MESSAGE_SIZE - 1, 'x'));
    pk::ClearMessage();
    for (char c : pk::display.messageText) EXPECT_EQ(c, 0);
}

TEST(MainScreen, TitleShowsTheLast73CharactersOfTheName) {
    TestScreen s;
    std::string longName = "/" + std::string(60, 'd') + "/file-with-long-name.txt";  // 86
    s.load("x", longName.c_str());
    pk::ShowFileName();
    EXPECT_EQ(s.row(0).substr(0, 7), std::string("Peekra") + '\0');
    EXPECT_EQ(s.row(0).substr(7), longName.substr(longName.size() - 73));
    EXPECT_TRUE(AttrsAre(s, 0, 0, 5, 0x0F));
    EXPECT_TRUE(AttrsAre(s, 0, 7, 79, 0x07));

    // A shorter name leaves nothing of the longer one behind.
    s.load("x", "/tmp/a.txt");
    pk::ShowFileName();
    EXPECT_EQ(s.row(0).substr(7), "/tmp/a.txt" + Blanks(63));

    pk::fullpanel(pk::PNL_DISPLAY, pk::TitlePanel);
    EXPECT_EQ(s.row(2).substr(0, 12), std::string("COMMAND ==>") + '\0');
    EXPECT_TRUE(AttrsAre(s, 2, 0, 10, 0x0F));
}

TEST(MainScreen, StatusTextEndsAtColumn80) {
    TestScreen s;
    std::string data;
    for (int i = 0; i < 9; ++i) data += "short\n";
    data += std::string(296, 'x') + "\t\t\n";  // 298 raw, 312 expanded
    s.load(data);
    pk::ShowStatus();
    std::string text = "Line 1 of 10, Column 1 of 298";
    EXPECT_EQ(s.row(1).substr(22), Blanks(58 - int(text.size())) + text);
    EXPECT_EQ(s.row(1)[21], '\0');
    EXPECT_TRUE(AttrsAre(s, 1, 22, 79, 0x07));
    EXPECT_TRUE(AttrsAre(s, 1, 0, 20, 0x0F));
    EXPECT_EQ(s.row(1).substr(0, 21), Blanks(21));

    pk::settings.tabsOn = 1;
    pk::fileTable[0].view = {7, 33, 0};
    pk::ShowStatus();
    text = "Line 7 of 10, Column 33 of 312";
    EXPECT_EQ(s.row(1).substr(22), Blanks(58 - int(text.size())) + text);

    pk::display.hexView = 1;
    pk::ShowStatus();
    text = "File size is " + std::to_string(data.size()) + " bytes";
    EXPECT_EQ(s.row(1).substr(22), Blanks(58 - int(text.size())) + text);
}

TEST(MainScreen, StatusTextTooLongIsCutByTheField) {
    TestScreen s(100, 25);
    pk::FileEntry& e = s.load("x");
    e.view = {4000000000u, 4000000001u, 0};
    e.lineCount = 4000000002u;
    e.longestRaw = 4000000003u;
    pk::ShowStatus();
    std::string text = "Line 4000000000 of 4000000002, Column 4000000001 of 4000000003";
    EXPECT_EQ(s.row(1).substr(22, 58), text.substr(0, 58));
    EXPECT_EQ(s.row(1).substr(80), std::string(20, '\0'));
}

TEST(MainScreen, MessageFieldShowsTheFirst21Characters) {
    TestScreen s;
    s.load("x");
    pk::SetMessage("Not found");
    pk::ShowStatus();
    EXPECT_EQ(s.row(1).substr(0, 21), "Not found" + Blanks(12));

    pk::SetMessage("Twenty-three characters");
    pk::ShowStatus();
    EXPECT_EQ(s.row(1).substr(0, 22), std::string("Twenty-three characte") + '\0');

    // Written straight into the buffer, a shorter text after a longer one
    // shows no tail of the older text.
    std::snprintf(pk::display.messageText, pk::MESSAGE_SIZE, "%s", "abcdefghijklmnop");
    std::snprintf(pk::display.messageText, pk::MESSAGE_SIZE, "%s", "xyz");
    pk::ShowStatus();
    EXPECT_EQ(s.row(1).substr(0, 21), "xyz" + Blanks(18));
}

// Records every text written to the message field's row.
class RecordingConsole : public pk::MemoryConsole {
public:
    bool writeChars(pk::Coord at, const uint8_t* bytes, int count) override {
        if (at.y == 1 && at.x == 0) messages.emplace_back(reinterpret_cast<const char*>(bytes), size_t(count));
        return MemoryConsole::writeChars(at, bytes, count);
    }
    std::vector<std::string> messages;
};

TEST(ToggleView, CarriesThePositionBetweenViews) {
    TestScreen s;
    RecordingConsole recorder;
    pk::program.console = &recorder;
    pk::fullconsole(&recorder);
    std::string data = std::string(42, 'a') + "\n" + "second line\nthird\n" + std::string(200, 'z');
    pk::FileEntry& e = s.load(data);
    e.view.line = 2;
    e.view.column = 3;
    pk::DrawTextView();

    pk::ToggleView();
    EXPECT_EQ(pk::display.hexView, 1u);
    EXPECT_EQ(e.view.offset, 43u);
    EXPECT_EQ(e.view.column, 3u);
    pk::DrawHexView();
    EXPECT_EQ(recorder.rowText(3).substr(0, 15), "   0000002B:   ");
    EXPECT_EQ(recorder.rowText(24).substr(8, 4), "Half");

    // From the middle of line 3 back to text: that line is on top, and
    // "wait..." was shown during the conversion and is gone afterwards.
    e.view.offset = 58;
    recorder.messages.clear();
    pk::ToggleView();
    EXPECT_EQ(pk::display.hexView, 0u);
    EXPECT_EQ(e.view.line, 3u);
    EXPECT_EQ(e.view.column, 3u);
    ASSERT_EQ(recorder.messages.size(), 2u);
    EXPECT_EQ(recorder.messages[0], "wait..." + Blanks(14));
    EXPECT_EQ(recorder.messages[1], Blanks(21));
    EXPECT_EQ(pk::display.messageText[0], '\0');
    EXPECT_NE(recorder.rowText(1).find("Line 3 of 4, Column 3 of 200"), std::string::npos);

    // An offset on a line feed belongs to the line it ends.
    pk::ToggleView();
    e.view.offset = 42;
    pk::ToggleView();
    EXPECT_EQ(e.view.line, 1u);
}

TEST(ToggleView, FoundBytesStayTheSameBothWays) {
    TestScreen s;
    std::string data = "first\nsecond line\nthird line with a hit here\n";
    pk::FileEntry& e = s.load(data);
    size_t at = data.find("hit");
    s.hit(3, uint32_t(at - data.find("third")) + 1, 0, 3);
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(5), pktest::Range(18, 20));

    pk::ToggleView();
    EXPECT_EQ(e.found.offset, uint32_t(at));
    pk::DrawHexView();  // view.offset 0: offset 36 is row 3, byte 4
    EXPECT_EQ(s.brightColumns(5), pktest::Join(pktest::Range(25, 30), pktest::Range(62, 64)));

    e.found = {0, 0, uint32_t(at)};
    pk::ToggleView();
    EXPECT_EQ(e.found.line, 3u);
    EXPECT_EQ(e.found.column, 19u);
    pk::DrawTextView();
    EXPECT_EQ(s.brightColumns(5), pktest::Range(18, 20));
}

}  // namespace
