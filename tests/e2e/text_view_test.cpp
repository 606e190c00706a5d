// The text view of pk on a real terminal: tab expansion against coreutils
// expand; line ends, control and high bytes as code page 437 glyphs; file
// bytes that would be escape sequences changing nothing in the terminal,
// shown as UTF-8 or as bytes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "pk_driver.h"

namespace {

std::string Pad(std::string s) {
    size_t cells = 0;  // UTF-8 lead bytes
    for (char c : s) cells += (uint8_t(c) & 0xC0) != 0x80;
    return s + std::string(80 - cells, ' ');
}

TEST(TextView, TabsExpandLikeCoreutilsExpand) {
    pktest::Pk pk;
    const std::string file = pk.dir.write("tabs.txt",
                                          "a\tb\tc\n\t\tx\n1234567\t8\n12345678\tz\nabc\t\t\tdef\tg\n\t \t  \t   \tend\n");
    pktest::RunResult expanded = pktest::Run({"expand", file});
    ASSERT_EQ(expanded.exitCode, 0);
    std::vector<std::string> want;
    std::istringstream in(expanded.out);
    for (std::string line; std::getline(in, line);) want.push_back(line);
    ASSERT_EQ(want.size(), 6u);

    ASSERT_TRUE(pk.start({file}));
    // Tabs start off: a tab is one cell showing its glyph.
    ASSERT_TRUE(pk.t.waitFor(Pad("a\u25CBb\u25CBc"), pktest::kWait, 3)) << pk.t.screenText();
    pk.t.send("t\r");
    // The rows arrive one after another: wait until the last one is drawn.
    pk.t.waitUntil([&] { return pk.t.rowText(3 + int(want.size()) - 1) == Pad(want.back()); }, pktest::kWait);
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(pk.t.rowText(3 + int(i)), Pad(want[i]));
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
        pktest::Pk pk;
        ASSERT_TRUE(pk.start({pk.dir.write("bytes.txt", text)}, env));
        // None of the other bytes is a character: the same glyphs in UTF-8,
        // pk's choice for these locales, as bytes and as UTF-8 again (each
        // switch waits for the row that shows it was made).
        const std::string modes[][2] = {{"", "after \u00E9 "}, {"xla a\r", "after \u251C\u2310"}, {"xla u\r", "after \u00E9 "}};
        for (const auto& [mode, after] : modes) {
            if (!mode.empty()) pk.t.send(mode);
            ASSERT_TRUE(pk.t.waitFor(after, pktest::kWait, 8)) << pk.t.screenText();
            for (int i = 0; i < 5; ++i) {
                EXPECT_EQ(pk.t.rowText(3 + i), Pad(rows[i][1])) << mode << " row " << i;
                for (int x = 0; x < 80; ++x) {
                    pktest::PtyTerm::CellInfo c = pk.t.cell(3 + i, x);
                    EXPECT_TRUE(c.fgDefault && c.bgDefault && !c.bold && !c.reverse) << "row " << i << " column " << x;
                }
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

}  // namespace
