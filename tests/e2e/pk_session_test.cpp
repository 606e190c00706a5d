// A session as a user would have it: two files by wildcard, a find and its
// repeat, hex view with a hex find and a go-to offset, back to text, the next
// file, F3 and End; then a second run that has the first run's find string
// and tab setting.
#include <string>

#include "pk_driver.h"

namespace {

using namespace pktest;

TEST(PkSession, TwoRunsShareFindStringAndTabs) {
    TempDir files;
    std::string alpha;
    for (int i = 1; i <= 120; ++i)
        alpha += (i == 60 || i == 100 ? "has\ta needle " : "alpha ") + std::to_string(i) + "\n";
    files.write("alpha.txt", alpha);
    files.write("beta.txt", "beta only\n");

    Pk pk;  // its home folder keeps the settings for the second run
    ASSERT_TRUE(pk.start({files / "*.txt"}));
    ASSERT_TRUE(pk.t.waitFor("alpha 1 ", kWait, 3)) << pk.t.screenText();  // the first match
    ASSERT_TRUE(pk.run({
        {"tabs\r", {}, 0, "Line 1 of 120, Column 1 of 20"},
        {"f needle\r", {}, 0, "has     a needle 60", -1},
        {"", Fn(5), 0, "has     a needle 100", -1},
        {"view\r", {}, 0, "File size is"},
        {"0\r", {}, 0, "00000000", 3},
    }));
    pk.t.send("'6E656564\r");  // "need" in hex
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.rowText(3).substr(3, 8) != "00000000"; }, kWait));
    ASSERT_TRUE(pk.run({
        {"a0\r", {}, 0, "000000A0", 3},
        {"view\r", {}, 0, "Line "},
        {"", Fn(10), 0, files / "beta.txt", 0},
        {"", Fn(3), 0, files / "alpha.txt", 0},
    }));
    pk.t.send("end\r");
    ASSERT_EQ(pk.t.exitCode(kWait), 0);

    const std::string home = pk.t.home();
    Pk again;
    ASSERT_TRUE(again.start({files / "alpha.txt"}, {"HOME=" + home, "APPDATA=" + home + "/appdata"}));
    EXPECT_TRUE(again.t.waitFor("Column 1 of 20", kWait, 1));  // tabs are on
    EXPECT_TRUE(again.run({{"", Fn(5), 0, "has     a needle 60", -1}}));  // the stored hex string
    again.t.send("end\r");
    EXPECT_EQ(again.t.exitCode(kWait), 0);
}

}  // namespace
