// Files read where they lie, end to end: a sparse file of more than 4 GiB
// (its counts, bottom, go to line, the hex view's wide offsets and finds
// past 4 GiB), the "+" of a count under way and a "wait..." abandoned with
// Esc or Ctrl+C, the watch following appended lines, a truncation and a
// rotation, and a file cut short by another program while it is shown.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "pk_driver.h"

namespace {

using namespace pktest;

constexpr uint64_t kGiB = uint64_t(1) << 30;
// A count of gigabytes of holes is bound by the page cache: it takes
// seconds, longer in a sanitizer build.
constexpr int kCountWait = 300000;

// A sparse file of `size` bytes holding each text at its offset, zeros
// elsewhere.
std::string SparseFile(const TempDir& dir, uint64_t size, const std::vector<std::pair<uint64_t, std::string>>& texts) {
    const std::string path = dir / "sparse.bin";
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && ftruncate(fd, off_t(size)) == 0;
    for (const auto& [at, text] : texts) ok = ok && pwrite(fd, text.data(), text.size(), off_t(at)) == ssize_t(text.size());
    if (fd >= 0) close(fd);
    EXPECT_TRUE(ok) << path;
    return path;
}

// A file as another program changes it: appended to, cut to `size` bytes.
void Append(const std::string& path, const std::string& text) {
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
}
void Cut(const std::string& path, uint64_t size) { ASSERT_EQ(truncate(path.c_str(), off_t(size)), 0); }

std::string Far(int i) { return "far " + std::to_string(i); }

// Line 1 "alpha", line 2 "beta", line 3 the zeros up to 4 GiB + 15, then
// lines 4 to 43, "far 1" to "far 40", from offset 0x100000010.
TEST(BigFile, PastFourGiBInBothViews) {
    Pk pk;
    const uint64_t far = (uint64_t(1) << 32) + 16;
    const std::string farLines = Lines(40, Far);
    const uint64_t size = far + farLines.size();
    const std::string file = SparseFile(pk.dir, size, {{0, "alpha\nbeta\n"}, {far - 1, "\n" + farLines}});
    ASSERT_TRUE(pk.start({file}));
    // The first screen comes while the count goes on: the counts are marked
    // "+". The bottom waits for the count and then shows the last page.
    EXPECT_TRUE(pk.t.waitFor("Line 1 of 3+, Column 1 of ", kWait, 1)) << pk.status();
    EXPECT_EQ(pk.t.rowText(3), "alpha" + B(75));
    pk.t.send("bot\r");
    ASSERT_TRUE(pk.t.waitFor("Line 23 of 43, Column 1 of 4294967300", kCountWait, 1)) << pk.t.screenText();
    EXPECT_EQ(pk.t.rowText(3), Far(20) + B(74));
    EXPECT_EQ(pk.t.rowText(23), Far(40) + B(74));
    const std::string zeros = "00000000  00000000  00000000  00000000    [................]     ";
    EXPECT_TRUE(pk.run({
        {"", Fn(4), 0, "Line 1 of 43,"},
        {"5\r", {}, 0, "Line 5 of 43,"},
        {"", {}, 0, Far(2), 3},
        // The hex view at line 5's offset; nine offset digits take a blank.
        {"v\r", {}, 0, "File size is " + std::to_string(size) + " bytes"},
        {"", {}, 0, "  100000016:   ", 3},
        {"FFFFFFF0\r", {}, 0, "  0FFFFFFF0:   " + zeros, 3},
        {"", {}, 0, "  100000000:   00000000  00000000  00000000  0000000A    [................]     ", 4},
        {"", {}, 0, "  100000010:   66617220  310A6661  7220320A  66617220    [far 1.far 2.far ]     ", 5},
        // A find past 4 GiB from the top of the hex view.
        {"0\r", {}, 0, "  000000000:   ", 3},
        {"f far 33\r", {}, 0, "  1000000E0:   66617220  33320A66  61722033  330A6661    [far 32.far 33.fa]     ", -1},
    }));
    // The hit's six characters are lit, and nothing beside them.
    int row = 3;
    while (row < 23 && pk.t.rowText(row).rfind("  1000000E0:", 0) != 0) ++row;
    for (int x = 64; x <= 71; ++x) EXPECT_EQ(pk.t.cell(row, x).bold, x >= 65 && x <= 70) << x;
    // The text view takes the top row's line; a find there too.
    EXPECT_TRUE(pk.run({
        {"v\r", {}, 0, "Line 9 of 43,"},
        {"", {}, 0, Far(6), 3},
        {"top\r", {}, 0, "Line 1 of 43,"},
        {"f far 37\r", {}, 0, "Line 31 of 43,"},
        {"", {}, 0, Far(37), 12},
    }));
    for (int x = 0; x <= 6; ++x) EXPECT_EQ(pk.t.cell(12, x).bold, x < 6) << x;
    EXPECT_EQ(pk.end(), 0);
}

// A count of 64 GiB of holes takes minutes: every wait below comes while it
// runs, and each is abandoned; the view stays. End stops the count.
TEST(BigFile, AWaitForTheCountIsAbandoned) {
    Pk pk;
    const uint64_t size = 64 * kGiB;
    const std::string top = Lines(30, [](int i) { return "top " + std::to_string(i); });
    ASSERT_TRUE(pk.start({SparseFile(pk.dir, size, {{0, top}, {size - 5, "\nlast"}})}));
    const std::string at5 = "Line 5 of 31+, Column 1 of ";
    ASSERT_TRUE(pk.run({{"5\r", {}, 0, at5}}));  // within the counted part: at once
    // Each step starts a wait that the key after it abandons: the wait is
    // gone, and so is the key, and the view is where it was.
    const std::pair<Step, std::string> waits[] = {
        {{"", Fn(9), 0, "wait..."}, "\x1b"},
        {{"bot\r", {}, 0, "wait..."}, "\x03"},
        {{"100\r", {}, 0, "wait..."}, "\x1b"},
        // The hex view needs no count; its switch back to text does.
        {{"v\r", {}, 0, "File size is " + std::to_string(size) + " bytes"}, ""},
        {{"", Fn(9), 0, "  FFFFFFFF0:   00000000  00000000  0000000A  6C617374    [............last]     ", 23}, ""},
        {{"v\r", {}, 0, "wait..."}, "\x1b"},
    };
    for (const auto& [start, key] : waits) {
        ASSERT_TRUE(pk.run({start}));
        if (key.empty()) continue;
        const std::string view = pk.t.rowsText(3, 21);
        pk.t.send(key);
        EXPECT_TRUE(pk.t.waitUntil([&] { return pk.status().find("wait...") == std::string::npos; })) << pk.status();
        EXPECT_EQ(pk.t.rowsText(3, 21), view);
        EXPECT_NE(pk.status().find(start.bytes == "v\r" ? "File size is" : at5), std::string::npos) << pk.status();
    }
    ASSERT_TRUE(pk.run({{"0\r", {}, 0, "  000000000:   746F7020", 3}, {"v\r", {}, 0, "Line 1 of 31+,"}}));
    EXPECT_EQ(pk.t.rowText(3), "top 1" + B(75));
    EXPECT_EQ(pk.end(), 0);
}

// Watching: appended lines come at the bottom; a file cut to nothing and
// written again, and a file rotated by renaming, are read from the start.
// Each says so until a key is pressed. Esc ends the watch: a change is then
// only announced, until w takes it up.
TEST(Watch, FollowsAppendsTruncationAndRotation) {
    Pk pk;
    const std::string log = pk.dir.write("app.log", Lines(30, [](int i) { return "entry " + std::to_string(i); }));
    ASSERT_TRUE(pk.start({log}));
    ASSERT_TRUE(pk.run({{"w\r", {}, 0, "Watching"}, {"", {}, 0, "Line 10 of 30,"}}));
    Append(log, "entry 31\nentry 32\n");
    ASSERT_TRUE(pk.run({{"", {}, 0, "Line 12 of 32,"}, {"", {}, 0, "entry 32", 23}}));
    Cut(log, 0);
    ASSERT_TRUE(pk.run({{"", {}, 0, "File truncated"}}));
    Append(log, "fresh 1\nfresh 2\n");
    ASSERT_TRUE(pk.run({{"", {}, 0, "Line 1 of 2,"}, {"", {}, 0, "fresh 2", 4}}));
    ASSERT_EQ(rename(log.c_str(), (log + ".1").c_str()), 0);
    pk.dir.write("app.log", "rotated 1\n");
    ASSERT_TRUE(pk.run({{"", {}, 0, "File replaced"}, {"", {}, 0, "Line 1 of 1,"}}));
    EXPECT_EQ(pk.t.rowText(3), "rotated 1" + B(71));
    EXPECT_EQ(pk.t.rowText(4), B(80));
    Append(log, "rotated 2\n");
    ASSERT_TRUE(pk.run({{"", {}, 0, "rotated 2", 4}, {"", {}, 0, "File replaced"}}));
    pk.t.send("\x1b");
    ASSERT_TRUE(pk.t.waitUntil([&] { return pk.status().find("File replaced") == std::string::npos; }));
    Append(log, "after the watch\n");
    ASSERT_TRUE(pk.run({{"", {}, 0, "Changed: w to watch"}}));
    EXPECT_EQ(pk.t.rowText(5), B(80));
    EXPECT_TRUE(pk.run({{"w\r", {}, 0, "Watching"}, {"", {}, 0, "after the watch", 5}, {"", {}, 0, "Line 1 of 3,"}}));
    EXPECT_EQ(pk.end(), 0);
}

// Cut short by another program while shown and not watched: pk lives on
// (reads of the lost pages find zeros), says so, shows none of the lost
// bytes, takes keys, and ends leaving the terminal as it was.
TEST(Watch, AFileCutShortWhileShown) {
    Pk pk;
    const std::string text = Lines(3000, [](int i) { return "line " + std::to_string(i) + B(90); });
    const std::string file = pk.dir.write("big.txt", text);
    ASSERT_TRUE(pk.start({file}));
    ASSERT_TRUE(pk.run({{"2500\r", {}, 0, "Line 2500 of 3000,"}, {"", {}, 0, "line 2500 ", 3}}));
    Cut(file, 1000);
    pk.t.send("bot\r");  // before pk looked at the file, or after
    ASSERT_TRUE(pk.run({{"", {}, 0, "Line 2980 of 3000,"}, {"", {}, 0, "Changed: w to watch"}}));
    EXPECT_EQ(pk.t.rowsText(3, 21), Repeat(B(80) + "\n", 21));
    EXPECT_TRUE(pk.run({
        {"f line 2999\r", {}, 0, "Not found"},
        {"1\r", {}, 0, "Line 1 of 3000,"},
        {"", {}, 0, "line 1 ", 3},
        {"v\r", {}, 0, "File size is " + std::to_string(text.size()) + " bytes"},
        {"", Fn(9), 0, "00000000  00000000  00000000  00000000    [................]", 23},
        {"w\r", {}, 0, "File truncated"},
        {"", {}, 0, "File size is 1000 bytes"},
    }));
    EXPECT_EQ(pk.end(), 0);
    EXPECT_TRUE(TerminalBack(pk.t));
}

}  // namespace
