// The find as a user meets it: quoted strings (doubled quotes, a missing end
// quote), the keywords and F5 going on in the last direction, "all" with its
// count and every hit on screen bright, patterns lit over exactly their
// match in both views and in UTF-8, a bad pattern keeping the old string, a
// hex string over CRLF line ends in the text view, and a pattern found
// backward again after a restart.
#include <gtest/gtest.h>

#include "pk_driver.h"

namespace {

using namespace pktest;

// Line i: "entry i"; every 40th adds " ERROR t=<10000 + i>ms"; line 150 a
// quoted word twice, line 170 an accented word.
std::string Log() {
    return Lines(200, [](int i) {
        std::string line = "entry " + std::to_string(i);
        if (i % 40 == 0) line += " ERROR t=" + std::to_string(10000 + i) + "ms";
        if (i == 150) line += " say \"hi\" twice say \"hi\"";
        if (i == 170) line += " caf\xC3\xA9 au lait";
        return line;
    });
}

// The bright columns of a screen row, as "a-b c-d".
std::string Bright(const Pk& pk, int row) {
    std::string out;
    for (int x = 0; x < pk.t.cols(); ++x) {
        if (!pk.t.cell(row, x).bold) continue;
        int end = x;
        while (end + 1 < pk.t.cols() && pk.t.cell(row, end + 1).bold) ++end;
        out.append(out.empty() ? "" : " ").append(std::to_string(x)).append("-").append(std::to_string(end));
        x = end;
    }
    return out;
}

bool ShowsBright(Pk& pk, int row, const std::string& want) {
    return pk.t.waitUntil([&] { return Bright(pk, row) == want; }, kWait);
}

TEST(Find, QuotesKeywordsPatternsAndARestart) {
    Pk pk;
    const std::string file = pk.dir.write("app.log", Log());
    ASSERT_TRUE(pk.start({file}));
    // A doubled quote stands for one; both hits on the row are bright.
    ASSERT_TRUE(pk.run({{"f \"say \"\"hi\"\"\"\r", {}, 0, "Line 141 of 200"}}));
    EXPECT_TRUE(ShowsBright(pk, 12, "10-17 25-32")) << pk.t.screenText();
    // Backward from the bottom, and F5 goes on backward.
    ASSERT_TRUE(pk.run({{"bot\r", {}, 0, "Line 180 of 200"},
                        {"f \"ERROR\" prev\r", {}, 0, "Line 151 of 200"},
                        {"", Fn(5), 0, "Line 111 of 200"},
                        {"rfind\r", {}, 0, "Line 71 of 200"},
                        {"f 'ERROR' LAST\r", {}, 0, "Line 191 of 200"},
                        {"f \"ERROR\" first\r", {}, 0, "Line 31 of 200"},
                        {"", Fn(5), 0, "Line 71 of 200"},
                        {"top\r", {}, 0, "Line 1 of 200"},
                        {"f \"entry 45\r", {}, 0, "Line 36 of 200"}}));  // no end quote: the rest of the line
    // all: the first hit, the count, and every hit on screen bright.
    ASSERT_TRUE(pk.run({{"f \"ntry 1\" all\r", {}, 0, "111 hits"}, {"", {}, 0, "Line 1 of 200"}}));
    for (int row = 3; row < 24; ++row) {
        int line = row - 2;
        EXPECT_TRUE(ShowsBright(pk, row, line == 1 || (line >= 10 && line <= 19) ? "1-6" : "")) << row;
    }
    // A pattern: exactly the cells of its match, in both views.
    ASSERT_TRUE(pk.run({{"f r\"t=\\d{5}ms\"\r", {}, 0, "Line 31 of 200"}}));
    EXPECT_TRUE(ShowsBright(pk, 12, "15-23"));
    ASSERT_TRUE(pk.run({{"view\r", {}, 0, "File size is"}}));
    int cells = 0;
    EXPECT_TRUE(pk.t.waitUntil([&] {
        cells = 0;
        for (int row = 3; row < 24; ++row)
            for (int x = 0; x < 80; ++x) cells += pk.t.cell(row, x).bold;
        return cells == 27;  // nine bytes: their digits and characters
    }, kWait)) << cells;
    ASSERT_TRUE(pk.run({{"view\r", {}, 0, "Line 31 of 200"}}));
    // A bad pattern names where it broke and keeps the old find.
    ASSERT_TRUE(pk.run({{"f r\"ab(\"\r", {}, 0, "Bad pattern at 3"}, {"", Fn(5), 0, "Line 71 of 200"}}));
    // UTF-8: "." is the whole é, lit over its one cell.
    ASSERT_TRUE(pk.run({{"f R'caf.\\s'\r", {}, 0, "Line 161 of 200"}}));
    EXPECT_TRUE(ShowsBright(pk, 12, "10-14"));
    // A pattern found backward, kept for the next run.
    ASSERT_TRUE(pk.run({{"f r\"ERROR t=1\\d+\" prev\r", {}, 0, "Line 151 of 200"}}));
    ASSERT_EQ(pk.end(), 0);
    Pk again;
    ASSERT_TRUE(again.start({file}, {"HOME=" + pk.t.home(), "APPDATA=" + pk.t.home() + "/appdata"}));
    EXPECT_TRUE(again.run({{"", Fn(5), 0, "Not found"}, {"", Fn(5), 0, "Line 191 of 200"}}));
    EXPECT_EQ(again.end(), 0);
}

// A hex string is bytes: in the text view of a CRLF file it finds across the
// line end and lights the bytes that show.
TEST(Find, HexStringAcrossCrlfInTheTextView) {
    Pk pk;
    ASSERT_TRUE(pk.start({pk.dir.write("dos.txt", "one\r\ntwo\r\nthree\r\n")}));
    ASSERT_TRUE(pk.run({{"'0d0a\r", {}, 0, "Line 1 of 3"}}));
    ASSERT_TRUE(pk.run({{"'650d0a74\r", {}, 0, "Line 1 of 3"}}));
    EXPECT_TRUE(ShowsBright(pk, 3, "2-2"));
    EXPECT_TRUE(ShowsBright(pk, 4, "0-0"));
    ASSERT_TRUE(pk.run({{"", Fn(5), 0, "Not found"}}));
    EXPECT_EQ(pk.end(), 0);
}

}  // namespace
