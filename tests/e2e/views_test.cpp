// The text and hex views of pk on a real terminal. Text: tab expansion
// against coreutils expand; line ends, control and high bytes as code page
// 437 glyphs; file bytes that would be escape sequences changing nothing in
// the terminal, shown as UTF-8 or as bytes. UTF-8: characters in one or two cells, a cut
// wide character, columns and the widest line in cells, a find lit and
// revealed by cells, "xla a" and "xla u", the choice taken from a Latin-1
// locale, names on the title line, and typing characters. The hex view, row
// for row against xxd's output reshaped into pk's layout (upper-case digits,
// groups of four bytes, "." outside 0x20-0x7E): random bytes, text, 20, 3
// and 1000 bytes, rows from an offset that is not a multiple of 16, typed
// offsets, and EBCDIC in both views.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "pk_driver.h"

namespace {

using namespace pktest;

std::string Pad(std::string s) {
    size_t cells = 0;  // UTF-8 lead bytes
    for (char c : s) cells += (uint8_t(c) & 0xC0) != 0x80;
    return s + std::string(80 - cells, ' ');
}

TEST(TextView, TabsExpandLikeCoreutilsExpand) {
    Pk pk;
    const std::string file = pk.dir.write("tabs.txt",
                                          "a\tb\tc\n\t\tx\n1234567\t8\n12345678\tz\nabc\t\t\tdef\tg\n\t \t  \t   \tend\n");
    RunResult expanded = pktest::Run({"expand", file});
    ASSERT_EQ(expanded.exitCode, 0);
    std::string want;
    std::istringstream in(expanded.out);
    for (std::string line; std::getline(in, line);) want += Pad(line) + "\n";
    ASSERT_TRUE(pk.start({file}));
    // Tabs start off: a tab is one cell showing its glyph.
    ASSERT_TRUE(pk.t.waitFor(Pad("a\u25CBb\u25CBc"), kWait, 3)) << pk.t.screenText();
    pk.t.send("t\r");
    pk.t.waitUntil([&] { return pk.t.rowsText(3, 6) == want; }, kWait);  // the rows arrive one by one
    EXPECT_EQ(pk.t.rowsText(3, 6), want);
}

TEST(TextView, LineEndsControlHighAndEscapeBytesAreGlyphs) {
    std::string high;
    for (int b = 0x80; b <= 0x8F; ++b) high += char(b);
    const std::string rows[][2] = {
        {"crlf line\r\n", "crlf line"},
        {"lone\rcr\n", "lone\u266Acr"},
        {std::string("\x01\x02\x07\x08\x09\x0b\x0c\x1b\x7f\n"), "\u263A\u263B\u2022\u25D8\u25CB\u2642\u2640\u2190\u2302"},
        {high + "\xB0\xC4\xDB\xE1\xE3\xF8\xFE\r\n",
         "\u00C7\u00FC\u00E9\u00E2\u00E4\u00E0\u00E5\u00E7\u00EA\u00EB\u00E8\u00EF\u00EE\u00EC\u00C4\u00C5"
         "\u2591\u2500\u2588\u00DF\u03C0\u00B0\u25A0"},
        // Also as UTF-8: a C1 control (CSI) and a direction control.
        {"\x1b[2J\x1b[H\x1b[31;1mRED\x1b[0m\x1b]0;pwned\x07\x1b[?1049l\x1b[?25l\x9b" "2J\xC2\x9B" "2J\xE2\x80\xAE\n",
         "\u2190[2J\u2190[H\u2190[31;1mRED\u2190[0m\u2190]0;pwned\u2022\u2190[?1049l\u2190[?25l\u00A2" "2J\u252C\u00A2"
         "2J\u0393\u00C7\u00AB"},
        {"after \xC3\xA9\n", ""},  // é, or its two bytes: tells the modes apart
    };
    std::string text;
    for (const auto& r : rows) text += r[0];
    // Also without a locale (none set, C, POSIX): pk then draws in UTF-8.
    const std::vector<std::string> envs[] = {{}, {"LANG"}, {"LANG", "LC_ALL=C"}, {"LANG=POSIX"}};
    for (const auto& env : envs) {
        Pk pk;
        ASSERT_TRUE(pk.start({pk.dir.write("bytes.txt", text)}, env));
        // None of the other bytes is a character: the same glyphs in UTF-8,
        // pk's choice for these locales, as bytes and as UTF-8 again (each
        // switch waits for the row that shows it was made).
        const std::string modes[][2] = {{"", "after \u00E9 "}, {"xla a\r", "after \u251C\u2310"}, {"xla u\r", "after \u00E9 "}};
        for (const auto& [mode, after] : modes) {
            ASSERT_TRUE(pk.run({{mode, {}, 0, after, 8}}));
            for (int i = 0; i < 5; ++i) {
                EXPECT_EQ(pk.t.rowText(3 + i), Pad(rows[i][1])) << mode << " row " << i;
                for (int x = 0; x < 80; ++x) EXPECT_TRUE(Plain(pk.t.cell(3 + i, x))) << "row " << i << " column " << x;
            }
        }
        // The terminal's own state is as pk set it.
        EXPECT_TRUE(pk.t.altScreen && pk.t.decMode(2004) && pk.t.decMode(1006) && pk.t.mouseMode == VTERM_PROP_MOUSE_CLICK);
        EXPECT_EQ(pk.t.title, "");
        EXPECT_EQ(pk.t.bells, 0);
        EXPECT_EQ(pk.t.rowText(0).rfind("Peekra ", 0), 0u);
        EXPECT_EQ(pk.t.rowText(2).rfind("COMMAND ==>", 0), 0u);
    }
}

const std::string kAccent = "\xC3\xA9", kRi = "\xE6\x97\xA5", kBen = "\xE6\x9C\xAC", kSmile = "\xF0\x9F\x98\x80";
const std::string kLine1 = "Caf" + kAccent + " " + kRi + kBen + " " + kSmile + " x\x80\xC3z";

// Line 1: accents, CJK, an emoji and broken bytes (17 cells, 22 bytes);
// line 2: 100 wide characters (200 cells, 300 bytes); line 3: an accented
// word beyond the screen's right edge.
std::string Sample() { return kLine1 + "\n" + Repeat(kRi, 100) + "\n" + std::string(100, 'x') + " na\xC3\xAFve\n"; }

TEST(Utf8, CharactersCellsFindTypingAndBytesMode) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("u.txt", Sample())}));
    ASSERT_TRUE(pk.t.waitFor("Column 1 of 200", kWait, 1)) << pk.t.screenText();
    EXPECT_TRUE(pk.t.rowText(3).starts_with("Caf\u00E9 \u65E5\u672C \U0001F600 x\u00C7\u251Cz   "));
    EXPECT_EQ(pk.t.rowText(4), Repeat(kRi, 40));
    EXPECT_EQ(pk.t.cell(3, 10).ch, U'\U0001F600');
    // One cell to the right: the cut character's right half is a blank, and
    // so is the last cell, where a character would not fit whole.
    ASSERT_TRUE(pk.run({{"right 1\r", {}, 0, "Column 2 of 200"}}));
    EXPECT_EQ(pk.t.rowText(4), " " + Repeat(kRi, 39) + " ");
    EXPECT_TRUE(pk.t.rowText(3).starts_with("af\u00E9 \u65E5"));
    // As bytes: the glyphs of every byte, columns and width in bytes.
    ASSERT_TRUE(pk.run({{"xla a\r", {}, 0, "Column 2 of 300"}}));
    EXPECT_TRUE(pk.t.rowText(3).starts_with("af\u251C\u2310 \u00B5\u00F9\u00D1\u00B5\u00A3\u00BC \u2261\u0192\u00FF\u00C7 x\u00C7\u251Cz"));
    ASSERT_TRUE(pk.run({{"xla u\r", {}, 0, "Column 2 of 200"}, {"", {}, 0, "af\u00E9 \u65E5", 3}}));
    // A find of an accented word beyond the right edge: the view moves by
    // cells until the whole word shows, its five cells lit.
    ASSERT_TRUE(pk.run({{"f na\xC3\xAFve\r", {}, 0, "Column 27 of 200"}, {"", {}, 0, "na\u00EFve", 5}}));
    for (int x = 73; x < 80; ++x) EXPECT_EQ(pk.t.cell(5, x).bold, x >= 75) << x;
    // Back to the left: the hit in line 1 (bytes 5-6, one cell) is lit alone.
    ASSERT_TRUE(pk.run({{"left 30\r", {}, 0, "Column 1 of 200"}, {"f " + kAccent + "\r", {}, 0, "Column 1 of 200"}}));
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.cell(3, 3).bold; }, kWait));
    EXPECT_FALSE(pk.t.cell(3, 2).bold || pk.t.cell(3, 4).bold);
    // Typing characters and finding them.
    ASSERT_TRUE(pk.run({
        {"f " + kAccent + kRi + kBen, {}, 0, "f \u00E9\u65E5\u672C ", 2, 19},
        {"", VTERM_KEY_LEFT, 0, "f \u00E9\u65E5\u672C ", 2, 17},
        {"\x7f", {}, 0, "f \u00E9\u672C ", 2, 15},    // Backspace takes the whole 日
        {"\x7f", {}, 0, "f \u672C ", 2, 14},          // and then é
        {kRi, {}, 0, "f \u65E5 ", 2, 16},             // overtype: 日 replaces 本
        {kBen, {}, 0, "f \u65E5\u672C ", 2, 18},
    }));
    // A C1 control pasted: glyphs, never sent as one.
    EXPECT_TRUE(pk.run({{"\x1b[200~\xC2\x9B" "2J\x1b[201~", {}, 0, "f \u65E5\u672C\u252C\u00A22J", 2}}));
    pk.t.send("\x7f\x7f\x7f\x7f\r");
    // The hit's two wide characters lit (the terminal keeps the colours of
    // a wide character in its left cell); it is the file's only hit.
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.cell(3, 5).bold; }, kWait));
    for (int x : {3, 4, 5, 7, 9}) EXPECT_EQ(pk.t.cell(3, x).bold, x == 5 || x == 7) << x;
    EXPECT_TRUE(pk.run({{"", Fn(5), 0, "Not found", 1}}));
}

// The title in UTF-8 and as bytes; escape bytes in a name are glyphs.
TEST(Utf8, NamesOnTheTitleLine) {
    Pk pk;
    const std::string name = pk.dir.write("na\xC3\xAFve " + kRi + kBen + " \x1b[31m\x9b.txt", "text\n");
    ASSERT_TRUE(pk.start({name}));
    EXPECT_TRUE(pk.t.waitFor("na\u00EFve \u65E5\u672C \u2190[31m\u00A2.txt", kWait, 0)) << pk.t.rowText(0);
    ASSERT_TRUE(pk.run({{"xla a\r", {}, 0, "na\u251C\u00BBve \u00B5\u00F9\u00D1\u00B5\u00A3\u00BC \u2190[31m\u00A2.txt", 0}}));
    for (int x = 7; x < 80; ++x) EXPECT_FALSE(pk.t.cell(0, x).fg >= 0 || pk.t.cell(0, x).bg >= 0) << x;
}

// Without a stored choice a locale of other bytes shows bytes (a UTF-8
// locale, or none, shows UTF-8: see the text view's test).
TEST(Utf8, ALatin1LocaleShowsBytes) {
    TempDir locales;  // a Latin-1 locale of its own, made for the test
    RunResult made = pktest::Run({"localedef", "-i", "POSIX", "-f", "ISO-8859-1", locales / "latin1"});
    ASSERT_TRUE(std::filesystem::exists(locales / "latin1/LC_CTYPE")) << made.err;
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("u.txt", Sample())}, {"LANG=latin1", "LOCPATH=" + locales.path()}));
    EXPECT_TRUE(pk.t.waitFor("Column 1 of 300", kWait, 1));
}

// xxd's dump of `count` bytes from `offset` as pk's 80-column rows; xxd
// prints "oooooooo: 41424344 45464748 ...  ABCD...".
std::vector<std::string> XxdRows(const std::string& file, uint32_t offset, uint32_t count) {
    RunResult r = pktest::Run({"xxd", "-u", "-g", "4", "-c", "16", "-s", std::to_string(offset), "-l",
                               std::to_string(count), file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> rows;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        size_t colon = line.find(':');
        std::string chars = line.substr(colon + 2 + 35 + 2);
        char row[16];
        std::snprintf(row, sizeof row, "   %08lX:   ", std::stoul(line.substr(0, colon), nullptr, 16));
        std::string out = row;
        std::istringstream groups(line.substr(colon + 2, 35));
        for (std::string group; groups >> group;) out += group + B(10 - group.size());
        out.resize(55, ' ');
        rows.push_back(out + "  [" + chars + "]     " + B(16 - chars.size()));
    }
    return rows;
}

TEST(HexView, MatchesXxd) {
    std::mt19937 random(2024);
    std::string noise, thousand;
    for (int i = 0; i < 700; ++i) noise += char(random() & 0xFF);
    for (int i = 0; i < 1000; ++i) thousand += char(i % 251);
    const std::string text = Lines(40, [](int i) { return "Line " + std::to_string(i) + "\tof some text, ~ and {braces}\r"; });
    // A file, the line shown first in text view when not 0, and its offset.
    struct Case { const char* name; std::string bytes; int line; uint32_t offset; } const cases[] = {
        {"random.bin", noise, 0, 0},
        {"text.txt", text, 0, 0},
        {"twenty.bin", "ABCDEFGHIJKLMNOPQRST", 0, 0},
        {"three.bin", "a\tb", 0, 0},
        {"thousand.bin", thousand, 0, 0},
        {"lines.txt", "short\n" + std::string(36, 'b') + "\nthe third line starts at 43\nfourth\n", 3, 43},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pk pk;
        const std::string file = pk.dir.write(c.name, c.bytes);
        ASSERT_TRUE(pk.start({file}));
        const std::string line = std::to_string(c.line), status = "File size is " + std::to_string(c.bytes.size()) + " bytes";
        ASSERT_TRUE(!c.line || pk.run({{line + "\r", {}, 0, "Line " + line + " of"}}));
        ASSERT_TRUE(pk.run({{"v\r", {}, 0, status}}));
        EXPECT_EQ(pk.status(), B(80 - status.size()) + status);
        std::vector<std::string> rows = XxdRows(file, c.offset, 21 * 16);
        rows.resize(21, B(80));
        std::string want;
        for (const std::string& row : rows) want += row + "\n";
        pk.t.waitUntil([&] { return pk.t.rowsText(3, 21) == want; }, kWait);
        EXPECT_EQ(pk.t.rowsText(3, 21), want);
    }
}

// A hex word typed in the hex view is an offset, whatever its first letter
// ("E0" is no "end"); one too long for an offset is refused. A word no
// program answers to ("G", "50%") is "Invalid command" and starts nothing.
TEST(HexView, TypedHexWordsAreOffsetsAndUnknownWordsStartNothing) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("thousand.bin", std::string(1000, 'x'))}));
    EXPECT_TRUE(pk.run({
        {"G\r", {}, 0, "Invalid command"},
        {"v\r", {}, 0, "File size is 1000 bytes"},
        {"E0\r", {}, 0, "   000000E0:", 3},
        {"ff\r", {}, 0, "   000000F0:", 3},
        {"123456789ABCDEF01\r", {}, 0, "Invalid parameter"},
        {"50%\r", {}, 0, "Invalid command"},
        {"C0\r", {}, 0, "   000000C0:", 3},
    }));
    EXPECT_EQ(pk.end(), 0);
}

TEST(HexView, EbcdicShowsLettersAndDigitsInBothViews) {
    Pk pk;
    const std::string ascii = pk.dir.write("ascii.txt", "Hello World 0123456789 ABCxyz");
    const std::string file = pk.dir / "ebcdic.bin";
    RunResult r = pktest::Run({"sh", "-c", "iconv -f ASCII -t IBM037 '" + ascii + "' > '" + file + "'"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(pk.start({file}));
    ASSERT_TRUE(pk.run({{"xla e\r", {}, 0, "hello world 0123456789 abcxyz", 3}}));
    EXPECT_EQ(pk.t.rowText(3), "hello world 0123456789 abcxyz" + B(51));
    ASSERT_TRUE(pk.run({{"v\r", {}, 0, "[456789 abcxyz]", 4}}));
    // The digits stay the EBCDIC codes; only the character column changes.
    std::vector<std::string> raw = XxdRows(file, 0, 32);
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(pk.t.rowText(3), raw[0].substr(0, 58) + "hello world 0123]     ");
    EXPECT_EQ(pk.t.rowText(4), raw[1].substr(0, 58) + "456789 abcxyz]" + B(8));
    EXPECT_EQ(pk.t.rowText(3).substr(15, 8), "C8859393");
}

}  // namespace
