// Compressed files and standard input shown as their text: each format made
// by its own tool (where installed) and by Python's modules, several names
// and a wildcard, data that breaks off, a decompression bomb, the raw bytes
// and back, and the copy without a terminal.
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "pk_driver.h"

using namespace pktest;

namespace {

// 3000 lines of 19 bytes; line 2500 holds the word a find looks for.
std::string LogText() {
    return Lines(3000, [](int i) {
        char line[32];
        std::snprintf(line, sizeof line, i == 2500 ? "the needle at %04d" : "log line %05d here", i);
        return std::string(line);
    });
}

// Runs a shell script in dir; true when it succeeded.
bool Sh(const TempDir& dir, const std::string& script) {
    return pktest::Run({"/bin/sh", "-c", script}, {}, dir.path(), 120000).exitCode == 0;
}

// pk started by a shell script ("$0" is pk).
std::vector<std::string> Shell(const std::string& script) { return {"/bin/sh", "-c", script, PK_BINARY}; }

bool Installed(const TempDir& dir, const std::string& tool) { return Sh(dir, "command -v " + tool); }

struct Made {
    std::string file, format;
};

// log.txt compressed every way this machine can: each format's own tool
// (when installed), and Python's gzip, bz2 and lzma modules always.
std::vector<Made> MakeAll(const TempDir& dir) {
    dir.write("log.txt", LogText());
    struct Tool { const char* name; const char* command; const char* format; };
    constexpr Tool tools[] = {{"gzip", "gzip -c", "gzip"}, {"xz", "xz -c", "xz"}, {"zstd", "zstd -q -c", "zstd"},
                              {"bzip2", "bzip2 -c", "bzip2"}, {"lz4", "lz4 -q -c", "lz4"}};
    std::vector<Made> made;
    for (const Tool& t : tools) {
        std::string out = std::string("tool.") + t.name;
        if (!Installed(dir, t.name)) {
            std::printf("[ SKIPPED ] %s is not installed\n", t.name);
            continue;
        }
        EXPECT_TRUE(Sh(dir, std::string(t.command) + " log.txt > " + out)) << t.name;
        made.push_back({dir / out, t.format});
    }
    constexpr Tool modules[] = {{"gzip", "gzip", "gzip"}, {"bz2", "bz2", "bzip2"}, {"lzma", "lzma", "xz"}};
    for (const Tool& m : modules) {
        std::string out = std::string("python.") + m.name;
        EXPECT_TRUE(Sh(dir, std::string("python3 -c 'import sys, ") + m.command + "; sys.stdout.buffer.write(" +
                                m.command + ".compress(open(\"log.txt\", \"rb\").read()))' > " + out))
            << m.name;
        made.push_back({dir / out, m.format});
    }
    return made;
}

}  // namespace

// Every format: the title names it, the counts are the text's (without "+"
// once all is read), the first line shows and a find reaches line 2500.
TEST(Compressed, EveryFormatShowsItsText) {
    TempDir dir;
    for (const Made& m : MakeAll(dir)) {
        Pk pk;
        ASSERT_TRUE(pk.start({m.file})) << m.file;
        EXPECT_TRUE(pk.run({
            {"", {}, 0, "Line 1 of 3000, Column 1 of 19"},
            {"", {}, 0, "Peekra " + m.file + " (" + m.format + ")", 0},
            {"", {}, 0, "log line 00001 here", 3},
            {"/needle\r", {}, 0, "the needle at 2500", -1},
        })) << m.file;
        EXPECT_EQ(pk.end(), 0);
    }
}

// Several compressed names at once and a wildcard, with a plain file among
// them; compressed standard input beside them; F10 goes through them all.
TEST(Compressed, SeveralNamesAndAWildcard) {
    TempDir dir;
    dir.write("a.txt", "plain a\n");
    dir.write("b.txt", "bee\nbee\n");
    dir.write("c.txt", "sea\nsea\nsea\n");
    ASSERT_TRUE(Sh(dir, "python3 -c 'import gzip, lzma, sys; open(\"b.gz\", \"wb\").write(gzip.compress(b\"bee\\nbee\\n\"));"
                        "open(\"c.xz\", \"wb\").write(lzma.compress(b\"sea\\nsea\\nsea\\n\"))'"));
    Pk named;
    ASSERT_TRUE(named.start({dir / "b.gz", dir / "a.txt", dir / "c.xz"}));
    EXPECT_TRUE(named.run({
        {"", {}, 0, "Peekra " + (dir / "c.xz") + " (xz)", 0},
        {"", {}, 0, "Line 1 of 3, Column 1 of 3"},
        {"", Fn(10), 0, "Peekra " + (dir / "b.gz") + " (gzip)", 0},
        {"", {}, 0, "Line 1 of 2, Column 1 of 3"},
        {"", Fn(10), 0, "Peekra " + (dir / "a.txt") + " ", 0},
    }));
    EXPECT_EQ(named.end(), 0);

    Pk pattern;
    ASSERT_TRUE(pattern.t.start(Shell("gzip -c a.txt | \"$0\" - '*.?z'"), {}, dir.path()));
    EXPECT_TRUE(pattern.run({
        {"", {}, 0, "Line 1 of 2, Column 1 of 3"},
        {"", Fn(10), 0, "Line 1 of 3, Column 1 of 3"},
        {"", Fn(10), 0, "Peekra (standard input) (gzip)", 0},
        {"", {}, 0, "plain a", 3},
        {"xla r\r", {}, 0, "Raw bytes not kept"},
    }));
    EXPECT_EQ(pattern.end(), 0);
}

// A .gz cut short and one with a broken middle: the text before the fault
// shows, the message gives the bytes kept, which the hex view's size
// confirms.
TEST(Compressed, DataThatBreaksOffShowsWhatCameBefore) {
    TempDir dir;
    dir.write("log.txt", Repeat(LogText(), 10));
    ASSERT_TRUE(Sh(dir, "gzip -c log.txt > whole.gz && size=$(wc -c < whole.gz) && head -c $((size / 2)) whole.gz > cut.gz"
                        " && cp whole.gz broken.gz && printf 'XXXXXXXXXXXXXXXX' | dd of=broken.gz bs=1"
                        " seek=$((size / 2)) conv=notrunc 2>/dev/null"));
    for (const char* name : {"cut.gz", "broken.gz"}) {
        Pk pk;
        ASSERT_TRUE(pk.start({dir / name}));
        ASSERT_TRUE(pk.t.waitFor("Data corrupt after byte ", kWait, 1)) << name << pk.t.screenText();
        std::string row = pk.status();
        size_t at = row.find("byte ") + 5;
        std::string kept = row.substr(at, row.find(' ', at) - at);
        EXPECT_GT(std::stoll(kept), 0) << name;
        EXPECT_LT(std::stoll(kept), 30 * 3000 * 19 / 2 + 70000) << name;
        EXPECT_TRUE(pk.run({
            {"", {}, 0, "log line 00001 here", 3},
            {"view\r", {}, 0, "File size is " + kept + " bytes"},
        })) << name;
        EXPECT_EQ(pk.end(), 0);
    }
}

// A gzip of 1 GiB of zeros: pk reads it within its limit, stays responsive
// while it does and after.
TEST(Compressed, ABombIsHeldToTheStreamLimit) {
    TempDir dir;
    ASSERT_TRUE(Sh(dir, "head -c 1G /dev/zero | gzip > zeros.gz"));
    Pk pk;
    ASSERT_TRUE(pk.start({dir / "zeros.gz"}));
    // Keys are taken while it reads; the whole gigabyte takes seconds.
    EXPECT_TRUE(pk.run({{"view\r", {}, 0, "File size is "}, {"1000\r", {}, 0, "00001000:", 3}}));
    EXPECT_TRUE(pk.t.waitFor("File size is 1073741824 bytes", 120000, 1)) << pk.status();
    EXPECT_TRUE(pk.run({{"view\r", {}, 0, "Line 1 of 1, Column 1 of 1073741824"}}));
    std::ifstream status("/proc/" + std::to_string(pk.t.pid()) + "/status");
    long long rss = -1;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("RssAnon:", 0) == 0) rss = std::stoll(line.substr(8));
    const long long quarter = (long long)sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE) / 4 / 1024;
    EXPECT_GT(rss, 0);
    EXPECT_LE(rss, std::max(quarter, 1LL << 20) + 64 * 1024);
    EXPECT_EQ(pk.end(), 0);
}

// "xla r" shows the raw gzip bytes, each side keeping its own place; "xla a"
// and "xla u" come back to the text where it was.
TEST(Compressed, RawBytesAndBack) {
    TempDir dir;
    dir.write("log.txt", LogText());
    ASSERT_TRUE(Sh(dir, "python3 -c 'import gzip; open(\"log.gz\", \"wb\").write(gzip.compress(open(\"log.txt\", \"rb\").read(), mtime=0))'"));
    Pk pk;
    ASSERT_TRUE(pk.start({dir / "log.gz"}));
    EXPECT_TRUE(pk.run({
        {"", {}, 0, "Line 1 of 3000, Column 1 of 19"},
        {"500\r", {}, 0, "Line 500 of 3000"},
        {"xla r\r", {}, 0, "Peekra " + (dir / "log.gz") + " (gzip, raw)", 0},
        {"", {}, 0, "Line 1 of "},
        {"view\r", {}, 0, "00000000:   1F8B08", 3},
        {"view\r", {}, 0, "Line 1 of "},
        {"xla a\r", {}, 0, "Line 500 of 3000"},
        {"", {}, 0, "Peekra " + (dir / "log.gz") + " (gzip) ", 0},
        {"xla r\r", {}, 0, "(gzip, raw)", 0},
        {"xla u\r", {}, 0, "Line 500 of 3000"},
    }));
    EXPECT_EQ(pk.end(), 0);
}

// Without a terminal the files and standard input come out decompressed,
// as zcat gives them; data that breaks off gives what came and the message.
TEST(Compressed, CopiedDecompressedWithoutATerminal) {
    TempDir dir;
    std::vector<Made> made = MakeAll(dir);
    const std::string text = LogText();
    for (const Made& m : made) {
        RunResult r = pktest::Run({PK_BINARY, m.file}, {}, dir.path());
        EXPECT_EQ(r.out == text, true) << m.file;
        EXPECT_EQ(r.exitCode, 0) << m.file;
    }
    RunResult piped = pktest::Run({"/bin/sh", "-c", "cat \"$1\" | \"$0\" - \"$1\"", PK_BINARY, made[0].file}, {}, dir.path());
    EXPECT_EQ(piped.out == text + text, true);
    ASSERT_TRUE(Sh(dir, "head -c 2000 " + made[0].file + " > cut"));
    RunResult cut = pktest::Run({PK_BINARY, dir / "cut"}, {}, dir.path());
    EXPECT_EQ(text.compare(0, cut.out.size(), cut.out), 0);
    EXPECT_EQ(cut.err, "Data corrupt after byte " + std::to_string(cut.out.size()) + "\n");
    EXPECT_NE(cut.exitCode, 0);
}
