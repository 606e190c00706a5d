// The text view of pk on a real terminal: tab expansion against coreutils
// expand, line ends, control and high bytes as code page 437 glyphs, and
// file bytes that would be escape sequences, which must change nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "harness/pty_term.h"
#include "temp_dir.h"

namespace {

using pktest::PtyTerm;

constexpr int kWait = 5000;

std::string Blanks(size_t n) { return std::string(n, ' '); }

char32_t Glyph(const PtyTerm& t, int row, int col) {
    char32_t ch = t.cell(row, col).ch;
    return ch == 0 ? U' ' : ch;
}

std::u32string Glyphs(const PtyTerm& t, int row, int from, int count) {
    std::u32string s;
    for (int x = from; x < from + count; ++x) s += Glyph(t, row, x);
    return s;
}

void StartPk(PtyTerm& t, const std::string& file) {
    ASSERT_TRUE(t.start({PK_BINARY, file}));
    ASSERT_TRUE(t.waitFor("COMMAND ==>", kWait, 2)) << t.screenText();
    ASSERT_TRUE(t.waitFor("Half", kWait, t.rows() - 1)) << t.screenText();
}

TEST(TextView, TabsExpandLikeCoreutilsExpand) {
    pktest::TempDir dir;
    const std::string text =
        "a\tb\tc\n"
        "\t\tx\n"
        "1234567\t8\n"
        "12345678\tz\n"
        "abc\t\t\tdef\tg\n"
        "\t \t  \t   \tend\n";
    std::string file = dir.write("tabs.txt", text);
    pktest::RunResult expanded = pktest::Run({"expand", file});
    ASSERT_EQ(expanded.exitCode, 0);
    std::vector<std::string> want;
    std::istringstream in(expanded.out);
    for (std::string line; std::getline(in, line);) want.push_back(line);
    ASSERT_EQ(want.size(), 6u);

    PtyTerm t(25, 80);
    StartPk(t, file);
    // Tabs start off: the tab byte is one cell showing its glyph.
    EXPECT_TRUE(t.waitUntil([&] { return Glyphs(t, 3, 0, 5) == U"a\u25CBb\u25CBc"; }, kWait)) << t.screenText();
    t.send("t\r");
    ASSERT_TRUE(t.waitFor(want[0], kWait, 3)) << t.screenText();
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(t.rowText(3 + int(i)), want[i] + Blanks(80 - want[i].size()));
}

TEST(TextView, LineEndsControlAndHighBytes) {
    pktest::TempDir dir;
    std::string text = "crlf line\r\n";
    text += "lone\rcr\n";
    text += std::string("\x01\x02\x07\x08\x09\x0b\x0c\x1b\x7f", 9) + "\n";
    for (int b = 0x80; b <= 0x8F; ++b) text += char(b);
    text += std::string("\xB0\xC4\xDB\xE1\xE3\xF8\xFE", 7) + "\r\n";
    std::string file = dir.write("bytes.txt", text);
    PtyTerm t(25, 80);
    StartPk(t, file);
    ASSERT_TRUE(t.waitFor("crlf line", kWait, 3)) << t.screenText();
    ASSERT_TRUE(t.waitUntil([&] { return Glyph(t, 6, 0) == U'\u00C7'; }, kWait)) << t.screenText();
    EXPECT_EQ(t.rowText(3), "crlf line" + Blanks(71));
    EXPECT_EQ(Glyphs(t, 4, 0, 8), U"lone\u266Acr ");
    EXPECT_EQ(Glyphs(t, 5, 0, 10), U"\u263A\u263B\u2022\u25D8\u25CB\u2642\u2640\u2190\u2302 ");
    EXPECT_EQ(Glyphs(t, 6, 0, 24),
              U"\u00C7\u00FC\u00E9\u00E2\u00E4\u00E0\u00E5\u00E7\u00EA\u00EB\u00E8\u00EF\u00EE\u00EC\u00C4\u00C5"
              U"\u2591\u2500\u2588\u00DF\u03C0\u00B0\u25A0 ");
    for (int x = 0; x < 24; ++x) {
        PtyTerm::CellInfo c = t.cell(6, x);
        EXPECT_TRUE(c.fgDefault && c.bgDefault && !c.bold && !c.reverse) << x;
    }
}

TEST(TextView, EscapeSequencesInTheFileChangeNothing) {
    pktest::TempDir dir;
    std::string text =
        "\x1b[2J\x1b[H\x1b[31;1mRED\x1b[0m\x1b]0;pwned\x07\x1b[?1049l\x1b[?25l\x9b" "2J\n"
        "after\n";
    std::string file = dir.write("escapes.txt", text);
    PtyTerm t(25, 80);
    StartPk(t, file);
    ASSERT_TRUE(t.waitFor("after", kWait, 4)) << t.screenText();
    EXPECT_EQ(Glyphs(t, 3, 0, 11), U"\u2190[2J\u2190[H\u2190[31");
    EXPECT_TRUE(t.altScreen);
    EXPECT_NE(t.title, "pwned");
    EXPECT_TRUE(t.rowText(0).rfind("Peekra ", 0) == 0);
    EXPECT_TRUE(t.rowText(2).rfind("COMMAND ==>", 0) == 0);
    size_t red = t.rowText(3).find("RED");
    ASSERT_NE(red, std::string::npos);
    for (int x = 0; x < 40; ++x) {
        PtyTerm::CellInfo c = t.cell(3, x);
        EXPECT_TRUE(c.fgDefault && c.bgDefault && !c.bold) << x;
    }
    // 0x9B is a CP437 letter here, not a control sequence introducer.
    EXPECT_NE(t.rowText(3).find("\u00A2" "2J"), std::string::npos);
}

}  // namespace
