// The hex view of pk on a real terminal, row for row against xxd's output
// reshaped into pk's layout (upper-case digits, groups of four bytes, "."
// outside 0x20-0x7E): random bytes, text, 20, 3 and 1000 bytes, rows from an
// offset that is not a multiple of 16, and EBCDIC in both views.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "pk_driver.h"

namespace {

std::string B(size_t n) { return std::string(n, ' '); }

// xxd's dump of `count` bytes from `offset` as pk's 80-column rows; xxd
// prints "oooooooo: 41424344 45464748 ...  ABCD...".
std::vector<std::string> XxdRows(const std::string& file, uint32_t offset, uint32_t count) {
    pktest::RunResult r = pktest::Run({"xxd", "-u", "-g", "4", "-c", "16", "-s", std::to_string(offset), "-l",
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
    std::string noise, thousand, text;
    for (int i = 0; i < 700; ++i) noise += char(random() & 0xFF);
    for (int i = 0; i < 1000; ++i) thousand += char(i % 251);
    for (int i = 1; i <= 40; ++i) text += "Line " + std::to_string(i) + "\tof some text, ~ and {braces}\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        int line;  // shown first in text view, when not 0
        uint32_t offset;
    } const cases[] = {
        {"random.bin", noise, 0, 0},
        {"text.txt", text, 0, 0},
        {"twenty.bin", "ABCDEFGHIJKLMNOPQRST", 0, 0},
        {"three.bin", "a\tb", 0, 0},
        {"thousand.bin", thousand, 0, 0},
        {"lines.txt", "short\n" + std::string(36, 'b') + "\nthe third line starts at 43\nfourth\n", 3, 43},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pktest::Pk pk;
        const std::string file = pk.dir.write(c.name, c.bytes);
        ASSERT_TRUE(pk.start({file}));
        if (c.line) {
            pk.t.send(std::to_string(c.line) + "\r");
            const std::string at = "Line " + std::to_string(c.line) + " of";
            ASSERT_TRUE(pk.t.waitFor(at, pktest::kWait, 1)) << pk.t.screenText();
        }
        pk.t.send("v\r");
        const std::string status = "File size is " + std::to_string(c.bytes.size()) + " bytes";
        ASSERT_TRUE(pk.t.waitFor(status, pktest::kWait, 1)) << pk.t.screenText();
        EXPECT_EQ(pk.status(), B(80 - status.size()) + status);
        std::vector<std::string> want = XxdRows(file, c.offset, 21 * 16);
        want.resize(21, B(80));
        auto matches = [&] {
            for (int r = 0; r < 21; ++r)
                if (pk.t.rowText(3 + r) != want[size_t(r)]) return false;
            return true;
        };
        if (pk.t.waitUntil(matches, pktest::kWait)) continue;
        for (int r = 0; r < 21; ++r) EXPECT_EQ(pk.t.rowText(3 + r), want[size_t(r)]) << "row " << r;
    }
}

TEST(HexView, EbcdicShowsLettersAndDigitsInBothViews) {
    pktest::Pk pk;
    const std::string ascii = pk.dir.write("ascii.txt", "Hello World 0123456789 ABCxyz");
    const std::string file = pk.dir / "ebcdic.bin";
    pktest::RunResult r = pktest::Run({"sh", "-c", "iconv -f ASCII -t IBM037 '" + ascii + "' > '" + file + "'"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(pk.start({file}));
    pk.t.send("xla e\r");
    ASSERT_TRUE(pk.t.waitFor("hello world 0123456789 abcxyz", pktest::kWait, 3)) << pk.t.screenText();
    EXPECT_EQ(pk.t.rowText(3), "hello world 0123456789 abcxyz" + B(51));

    pk.t.send("v\r");
    ASSERT_TRUE(pk.t.waitFor("[456789 abcxyz]", pktest::kWait, 4)) << pk.t.screenText();
    // The digits stay the EBCDIC codes; only the character column changes.
    std::vector<std::string> raw = XxdRows(file, 0, 32);
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(pk.t.rowText(3), raw[0].substr(0, 58) + "hello world 0123]     ");
    EXPECT_EQ(pk.t.rowText(4), raw[1].substr(0, 58) + "456789 abcxyz]" + B(8));
    EXPECT_EQ(pk.t.rowText(3).substr(15, 8), "C8859393");
}

}  // namespace
