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
    Pk pk;  // the first run; its home folder holds the settings for the second
    {
        ASSERT_TRUE(pk.start({files / "*.txt"}));
        ASSERT_TRUE(pk.t.waitFor("alpha 1 ", kWait, 3)) << pk.t.screenText();  // the first match
        pk.command("tabs");
        ASSERT_TRUE(pk.waitStatus("Line 1 of 120"));
        ASSERT_TRUE(pk.t.waitFor("Column 1 of 20", kWait, 1));

        pk.command("f needle");
        ASSERT_TRUE(pk.t.waitFor("has     a needle 60", kWait)) << pk.t.screenText();
        std::string first = pk.status();
        pk.t.key(Fn(5));
        ASSERT_TRUE(pk.t.waitFor("has     a needle 100", kWait)) << pk.t.screenText();
        EXPECT_NE(pk.status(), first);

        pk.command("view");
        ASSERT_TRUE(pk.waitStatus("File size is"));
        pk.command("0");
        ASSERT_TRUE(pk.waitHexOffset("00000000"));
        pk.command("'6E656564");  // "need" in hex
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.hexOffset() != "00000000"; }, kWait)) << pk.t.screenText();
        pk.command("a0");
        EXPECT_TRUE(pk.waitHexOffset("000000A0"));
        pk.command("view");
        ASSERT_TRUE(pk.waitStatus("Line "));

        pk.t.key(Fn(10));
        ASSERT_TRUE(pk.t.waitFor("beta only", kWait, 3));
        EXPECT_TRUE(pk.t.waitFor(files / "beta.txt", kWait, 0));
        pk.t.key(Fn(3));
        ASSERT_TRUE(pk.t.waitFor(files / "alpha.txt", kWait, 0));
        pk.command("end");
        ASSERT_EQ(pk.t.exitCode(kWait), 0);
    }
    {
        const std::string home = pk.t.home();
        Pk again;
        ASSERT_TRUE(again.start({files / "alpha.txt"}, {"HOME=" + home, "APPDATA=" + home + "/appdata"}));
        EXPECT_TRUE(again.t.waitFor("Column 1 of 20", kWait, 1));  // tabs are on
        again.t.key(Fn(5));  // the stored hex string
        EXPECT_TRUE(again.t.waitFor("has     a needle 60", kWait)) << again.t.screenText();
        again.command("end");
        EXPECT_EQ(again.t.exitCode(kWait), 0);
    }
}

}  // namespace
