// The hex view of pk on a real terminal, row for row against the output of
// xxd reshaped into pk's layout: offsets and hex digits in upper case,
// groups of four bytes, "." for bytes outside 0x20-0x7E; files of random
// bytes, text, 20, 3 and 1000 bytes, rows from an unaligned offset, and the
// EBCDIC character column.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
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

void StartPk(PtyTerm& t, const std::string& file) {
    ASSERT_TRUE(t.start({PK_BINARY, file}));
    ASSERT_TRUE(t.waitFor("COMMAND ==>", kWait, 2)) << t.screenText();
    ASSERT_TRUE(t.waitFor("Half", kWait, t.rows() - 1)) << t.screenText();
}

// Types a command and presses Enter.
void Command(PtyTerm& t, const std::string& text) { t.send(text + "\r"); }

// xxd's dump of `count` bytes from `offset`, reshaped into pk's 80-column
// rows. xxd prints "oooooooo: 41424344 45464748 ...  ABCD...".
std::vector<std::string> XxdRows(const std::string& file, uint32_t offset, uint32_t count) {
    pktest::RunResult r = pktest::Run({"xxd", "-u", "-g", "4", "-c", "16", "-s", std::to_string(offset), "-l",
                                       std::to_string(count), file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> rows;
    std::istringstream in(r.out);
    std::string line;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        uint32_t rowOffset = uint32_t(std::stoul(line.substr(0, colon), nullptr, 16));
        std::string hex = line.substr(colon + 2, 35);
        std::string chars = line.substr(colon + 2 + 35 + 2);
        char head[16];
        std::snprintf(head, sizeof head, "   %08X:   ", rowOffset);
        std::string row = head;
        std::istringstream groups(hex);
        std::string group;
        int n = 0;
        while (groups >> group) {
            row += group + Blanks(8 - group.size()) + "  ";
            ++n;
        }
        row += Blanks(size_t(4 - n) * 10) + "  [" + chars + "]     " + Blanks(16 - chars.size());
        rows.push_back(row);
    }
    return rows;
}

// The data area against xxd from the offset shown in the first row, once
// the whole area has been drawn (the view is drawn after the status line).
void ExpectHexScreen(PtyTerm& t, const std::string& file) {
    const int dataRows = t.rows() - 4;
    std::map<uint32_t, std::vector<std::string>> dumps;
    auto expected = [&](int r) -> std::string {
        std::string first = t.rowText(3);
        if (first.size() < 12 || first.compare(0, 3, "   ") != 0 || first[11] != ':') return "?";
        uint32_t offset = uint32_t(std::stoul(first.substr(3, 8), nullptr, 16));
        auto it = dumps.find(offset);
        if (it == dumps.end()) it = dumps.emplace(offset, XxdRows(file, offset, uint32_t(dataRows) * 16)).first;
        return r < int(it->second.size()) ? it->second[size_t(r)] : Blanks(80);
    };
    auto matches = [&] {
        for (int r = 0; r < dataRows; ++r)
            if (t.rowText(3 + r) != expected(r)) return false;
        return true;
    };
    if (t.waitUntil(matches, kWait)) return;
    for (int r = 0; r < dataRows; ++r) EXPECT_EQ(t.rowText(3 + r), expected(r)) << "row " << r;
}

void ShowHex(PtyTerm& t, const std::string& file, uint32_t size) {
    Command(t, "v");
    std::string status = "File size is " + std::to_string(size) + " bytes";
    ASSERT_TRUE(t.waitFor(status, kWait, 1)) << t.screenText();
    EXPECT_EQ(t.rowText(1), Blanks(80 - status.size()) + status);
    ExpectHexScreen(t, file);
}

TEST(HexView, MatchesXxdForFilesOfEverySize) {
    pktest::TempDir dir;
    std::mt19937 random(2024);
    std::string noise;
    for (int i = 0; i < 700; ++i) noise += char(random() & 0xFF);
    std::string text;
    for (int i = 1; i <= 40; ++i) text += "Line " + std::to_string(i) + "\tof some text, ~ and {braces}\r\n";
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += char(i % 251);
    const std::pair<const char*, std::string> files[] = {
        {"random.bin", noise}, {"text.txt", text},    {"twenty.bin", std::string("ABCDEFGHIJKLMNOPQRST")},
        {"three.bin", "a\tb"}, {"thousand.bin", thousand},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        std::string file = dir.write(name, bytes);
        PtyTerm t(25, 80);
        StartPk(t, file);
        ShowHex(t, file, uint32_t(bytes.size()));
    }
}

TEST(HexView, LastPageOfAThousandBytes) {
    pktest::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += char(i * 7);
    std::string file = dir.write("thousand.bin", bytes);
    PtyTerm t(25, 80);
    StartPk(t, file);
    ShowHex(t, file, 1000);
    Command(t, "bot");
    ASSERT_TRUE(t.waitUntil([&] { return t.rowText(3).substr(0, 11) != "   00000000"; }, kWait))
        << t.screenText();
    ExpectHexScreen(t, file);
}

TEST(HexView, RowsFollowTheTopLineOffset) {
    pktest::TempDir dir;
    std::string text = "short\n" + std::string(36, 'b') + "\nthe third line starts at 43\nfourth\n";
    std::string file = dir.write("lines.txt", text);
    PtyTerm t(25, 80);
    StartPk(t, file);
    Command(t, "3");
    ASSERT_TRUE(t.waitFor("the third line", kWait, 3)) << t.screenText();
    Command(t, "v");
    ASSERT_TRUE(t.waitFor("   0000002B:   ", kWait, 3)) << t.screenText();
    ExpectHexScreen(t, file);
    EXPECT_EQ(t.rowText(4).substr(0, 15), "   0000003B:   ");
}

TEST(HexView, EbcdicShowsLettersAndDigitsInBothViews) {
    pktest::TempDir dir;
    std::string ascii = dir.write("ascii.txt", "Hello World 0123456789 ABCxyz");
    std::string file = dir / "ebcdic.bin";
    pktest::RunResult r = pktest::Run({"sh", "-c", "iconv -f ASCII -t IBM037 '" + ascii + "' > '" + file + "'"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    PtyTerm t(25, 80);
    StartPk(t, file);
    Command(t, "xla e");
    ASSERT_TRUE(t.waitFor("hello world 0123456789 abcxyz", kWait, 3)) << t.screenText();
    EXPECT_EQ(t.rowText(3), "hello world 0123456789 abcxyz" + Blanks(51));

    Command(t, "v");
    ASSERT_TRUE(t.waitFor("[hello world 0123]", kWait, 3)) << t.screenText();
    ASSERT_TRUE(t.waitFor("[456789 abcxyz]", kWait, 4)) << t.screenText();
    // The digits are the EBCDIC codes; only the character column changes.
    std::vector<std::string> raw = XxdRows(file, 0, 32);
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_EQ(t.rowText(3), raw[0].substr(0, 58) + "hello world 0123]     ");
    EXPECT_EQ(t.rowText(4), raw[1].substr(0, 58) + "456789 abcxyz]" + Blanks(8));
    EXPECT_EQ(t.rowText(3).substr(15, 8), "C8859393");
}

}  // namespace
