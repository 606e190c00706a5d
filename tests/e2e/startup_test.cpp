// The command line end to end with the built pk: no argument, help options
// and texts that only look like them, --version, "--" and unknown options,
// loading failures with their long messages on standard error, several
// names, the copy to standard output without a terminal, no usable settings
// folder, the settings file whole runs leave behind, and standard input
// read as a file. Two runs: the first, on two files by wildcard, turns tabs on and finds a hex
// string in hex view; the second has its find string and tab setting.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "harness/process.h"
#include "pk_driver.h"
#include "temp_dir.h"

namespace {

using namespace pktest;

const std::string kUsage =
    " \nPeekra Version " PK_VERSION "\nWritten for viewing files whole, read-only, in a terminal.\n \n"
    "Peekra is a program used to view disk files, in either text or\nhexadecimal format. Command syntax:\n \n"
    "        pk  [--help] [--version] [--] [-] file|pattern...\n \n"
    "\"-\" reads standard input; so does no file name when input is piped in.\n";
const std::string kNoFile = "\nPlease include a filename on the command line.\n";

// The shell runs pk ("$0") with the redirection or pipe of script.
std::vector<std::string> Shell(const std::string& script) { return {"/bin/sh", "-c", script, PK_BINARY}; }

// Runs pk on args in a pty until text shows, then ends it with "end";
// returns the exit status.
int RunAndEnd(const std::vector<std::string>& args, const std::string& appdata, const std::string& text) {
    Pk pk;
    EXPECT_TRUE(pk.start(args, {"APPDATA=" + appdata}) && pk.t.waitFor(text, kWait)) << pk.t.screenText();
    return pk.end();
}

// Each command line with no terminal: the exit status, standard output (the
// usage, or the loaded files copied unchanged) and standard error. Among
// several names, unloadable ones are passed over; past the 16th file the
// table is full; options end at "--".
TEST(StartUp, CommandLinesWithoutATerminal) {
    TempDir dir;
    for (auto [name, text] : {std::pair{"other.txt", "x\n"}, {"a.txt", "a\n"}, {"empty.txt", ""}, {"t\x1b]0;X\x07.txt", ""},
                              {"-n", "dash\n"}})
        dir.write(name, text);
    dir.mkdir("sub");
    const std::string longName(PATH_MAX + 10, 'n');
    const std::string empty = "File " + (dir / "empty.txt") + " is empty.\n", folder = (dir / "sub") + " is a folder.\n";
    const std::string usageLine = "        pk  [--help] [--version] [--] [-] file|pattern...\n";
    struct Case { std::vector<std::string> args; std::string out, err; int exitCode; };
    std::vector<Case> cases = {
        {{}, "", "File (standard input) is empty.\n", 2},  // an empty pipe
        {Shell("exec \"$0\" </dev/null"), "", kNoFile, 2},
        {Shell("printf 'in\\0' | \"$0\" a.txt - other.txt"), std::string("a\nin\0x\n", 7), "", 0},
        {{"--version"}, "Peekra Version " PK_VERSION "\n", "", 0},
        {{"other.txt", "/h"}, "", "File /h not found.\n", 2},  // a later "/h" is a name
        {{"a.txt", "missing.txt", "nowhere/x"}, "", "File " + (dir / "missing.txt") + " not found.\n", 2},
        {{"nowhere/x", "a.txt"}, "", "Path " + (dir / "nowhere/x") + " not found.\n", 2},
        {{"a.txt"}, "a\n", "", 0},
        {{"sub", "a.txt", "empty.txt"}, "a\n", folder + empty, 0},
        {{"sub", "empty.txt"}, "", folder + empty, 2},
        {{"empty.txt"}, "", empty, 2},
        {{"t\x1b]0;X\x07.txt"}, "", "File " + (dir / "t\\033]0;X\\007.txt") + " is empty.\n", 2},  // no title set
        {{"sub"}, "", folder, 2},
        {{"/dev/null"}, "", "Error opening /dev/null, rc = 19 (No such device)\n", 2},
        {{longName}, "", "Cannot resolve path, rc = 36 (File name too long), file = " + longName + ".\n", 2},
        {{"--", "-n", "./-n"}, "dash\n", "", 0},
        {{"a.txt", "--", "--version"}, "", "File " + (dir / "--version") + " not found.\n", 2},
        {{"a.txt", "-h"}, kUsage, "", 0},
    };
    for (const char* option : {"?", "/?", "-?", "/h", "-h", "/H", "-H", "--help"})
        cases.push_back({{option, "other.txt"}, kUsage, "", 0});
    for (const char* text : {"/help", "/HELP", "h"})
        cases.push_back({{text}, "", "File " + (text[0] == '/' ? text : dir / text) + " not found.\n", 2});
    for (const char* text : {"-?x", "--HELP", "--bogus", "-x"})
        cases.push_back({{"a.txt", text}, "", std::string("pk: unknown option ") + text + "\n" + usageLine, 2});
    std::vector<std::string> many;
    std::string first16;
    for (int i = 0; i < 17; ++i) {
        std::string name = "f" + std::to_string(100 + i);
        many.push_back(dir.write(name, name));
        if (i < 16) first16 += name;
    }
    cases.push_back({many, first16, "Cannot load file, file table full.\n", 0});
    for (Case& c : cases) {
        std::string shown = c.args.empty() ? "(none)" : c.args.size() > 2 ? c.args[2] : c.args[0];
        if (c.args.empty() || c.args[0] != "/bin/sh") c.args.insert(c.args.begin(), PK_BINARY);
        RunResult r = pktest::Run(c.args, {"APPDATA=" + dir.path() + "/appdata"}, dir.path());
        EXPECT_EQ(r.out, c.out) << shown;
        EXPECT_EQ(r.err, c.err) << shown;
        EXPECT_EQ(r.exitCode, c.exitCode) << shown;
    }
    // The settings folder was settled first; nothing was written, as no
    // screen came up.
    EXPECT_TRUE(std::filesystem::is_directory(dir / "appdata/pk"));
    EXPECT_FALSE(std::filesystem::exists(dir / "appdata/pk/pk.ini"));
}

// Without a usable settings folder nothing is written, not even beside the
// program: the run ends with status 1 after one line saying why.
TEST(StartUp, WithoutASettingsFolderNothingIsWritten) {
    TempDir dir;
    std::string plain = dir.write("plain.txt", "not a folder");
    RunResult r = pktest::Run(Shell("exec \"$0\" </dev/null"), {"APPDATA=" + plain}, dir.path());
    EXPECT_EQ(r.err, "Could not create application data folder " + plain +
                         "/pk, system return code 20 (Not a directory)\n" + kNoFile);
    EXPECT_EQ(r.exitCode, 2);
    // Without APPDATA, the XDG folder is used and created with its parents.
    RunResult xdg =
        pktest::Run({PK_BINARY, "--version"}, {"APPDATA", "XDG_CONFIG_HOME=" + dir.path() + "/x/y"}, dir.path());
    EXPECT_EQ(xdg.out, "Peekra Version " PK_VERSION "\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "x/y/pk"));

    const std::string beside = std::filesystem::path(PK_BINARY).parent_path().string() + "/pk.ini";
    for (const std::string& f : {beside, beside + ".lock"}) std::filesystem::remove(f);
    std::string a = dir.write("a.txt", "shown\n");
    for (std::vector<std::string> env : {std::vector<std::string>{"APPDATA=" + plain},
                                         {"APPDATA", "XDG_CONFIG_HOME", "HOME"}}) {
        Pk pk;
        ASSERT_TRUE(pk.start({a}, env));
        EXPECT_EQ(pk.end(), 1);
        EXPECT_FALSE(std::filesystem::exists(beside));
        EXPECT_FALSE(std::filesystem::exists(beside + ".lock"));
    }
}

// Two files load and the second is shown; ending writes the settings file.
// A second run keeps what else is there and replaces its own keys in place.
TEST(StartUp, WholeRunsWriteTheSettingsFile) {
    TempDir dir;
    dir.write("a.txt", "first file\n");
    dir.write("b.txt", "second file\n");
    std::string appdata = dir / "appdata", ini = appdata + "/pk/pk.ini";
    EXPECT_EQ(RunAndEnd({dir / "a.txt", dir / "b.txt"}, appdata, dir / "b.txt"), 0);
    EXPECT_EQ(ReadAll(ini), "[common]\ntabs=0\nutf8=1\n");
    std::ofstream(ini, std::ios::trunc) << "; mine\n[x]\ny=1\n[common]\ntabs=5\nflen=1\nfind=7878\nutf8=0\n";
    EXPECT_EQ(RunAndEnd({dir / "a.txt"}, appdata, "first file"), 0);
    EXPECT_EQ(ReadAll(ini), "; mine\n[x]\ny=1\n[common]\ntabs=1\nflen=1\nfind=7878\nutf8=0\n");
}

// Standard input from a pipe and from a file: "(standard input)" is the
// title, "-" beside a file is shown first, "peekra -" finds it until it is
// closed; "-" on a terminal or a closed standard input is refused.
TEST(StartUp, StandardInputIsOneOfTheFiles) {
    Pk piped;
    ASSERT_TRUE(piped.t.start(Shell("printf 'piped\\n2nd line\\n' | \"$0\""), {}, piped.dir.path()));
    EXPECT_TRUE(piped.run({{"", {}, 0, "Line 1 of 2, Column 1 of 8"}, {"", {}, 0, "Peekra (standard input) ", 0}}));
    EXPECT_EQ(piped.t.rowText(4).substr(0, 9), "2nd line ");
    EXPECT_EQ(piped.end(), 0);

    Pk pk;
    std::string a = pk.dir.write("a.txt", "alpha\n");
    pk.dir.write("in.txt", "one\r\ntwo\nthree");
    ASSERT_TRUE(pk.t.start(Shell("exec \"$0\" a.txt - < in.txt"), {}, pk.dir.path()));
    EXPECT_TRUE(pk.run({
        {"", {}, 0, "Line 1 of 3, Column 1 of 5"},
        {"", Fn(10), 0, a, 0},
        {"peekra -\r", {}, 0, "(standard input)", 0},
        {"", Fn(3), 0, a, 0},
        {"peekra -\r", {}, 0, "File not found."},
    }));
    EXPECT_EQ(pk.t.rowText(3).substr(0, 6), "alpha ");
    EXPECT_EQ(pk.end(), 0);

    PtyTerm terminal;
    ASSERT_TRUE(terminal.start({PK_BINARY, "-"}));
    EXPECT_EQ(terminal.exitCode(kWait), 2);
    EXPECT_EQ(terminal.rowText(0).substr(0, 30), "Standard input is a terminal: ");

    // No descriptor pk opens (the progress line's terminal) stands in for it.
    PtyTerm closed;
    ASSERT_TRUE(closed.start(Shell("exec \"$0\" - <&-")));
    EXPECT_EQ(closed.exitCode(kWait), 2);
    EXPECT_EQ(closed.rowText(0).substr(0, 26), "Standard input is closed: ");
}

// A writer that is slow and closes its end early (mid-line, while it still
// runs): after a second a progress line on the terminal, at most four a
// second, gone when pk starts; then every byte written. Ctrl+C while the
// read goes on ends pk with status 2 and a blank terminal.
// Standard input shows as it arrives, its counts marked "+" until it ends;
// Ctrl+C stops the reading and keeps what came, and pk goes on.
TEST(StartUp, StandardInputShowsAsItArrives) {
    for (bool interrupt : {false, true}) {
        SCOPED_TRACE(interrupt ? "Ctrl+C" : "closed");
        Pk pk;
        const std::string fifo = pk.dir / "fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        ASSERT_TRUE(pk.t.start(Shell("exec \"$0\" < fifo"), {}, pk.dir.path()));
        int writer = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        ASSERT_EQ(write(writer, "one\n", 4), 4);
        ASSERT_TRUE(pk.t.waitFor("Line 1 of 1+, Column 1 of 3+", kWait, 1)) << pk.t.screenText();
        EXPECT_EQ(pk.t.rowText(3).substr(0, 4), "one ");
        std::string more;
        int count = 1;
        while (more.size() < (size_t(2) << 20)) more += "line " + std::to_string(++count) + "\n";
        ASSERT_EQ(write(writer, more.data(), more.size()), ssize_t(more.size()));
        ASSERT_TRUE(pk.t.waitFor("Line 1 of " + std::to_string(count) + "+,", kWait, 1)) << pk.t.screenText();
        if (interrupt) {
            pk.t.send("\x03");
            ASSERT_TRUE(pk.t.waitFor("Line 1 of " + std::to_string(count) + ",", kWait, 1)) << pk.t.screenText();
            EXPECT_NE(pk.t.rowText(1).find("Input stopped"), std::string::npos);
            EXPECT_TRUE(pk.run({{"bot\r", {}, 0, "line " + std::to_string(count), -1}}));
            close(writer);
            EXPECT_EQ(pk.end(), 0);
            continue;
        }
        ASSERT_EQ(write(writer, "the last line, cut short", 24), 24);
        close(writer);
        ASSERT_TRUE(pk.t.waitFor("Line 1 of " + std::to_string(count + 1) + ",", kWait, 1)) << pk.t.screenText();
        EXPECT_TRUE(pk.run({{"bot\r", {}, 0, "the last line, cut short", -1},
                            {"view\r", {}, 0, "File size is " + std::to_string(4 + more.size() + 24) + " bytes"}}));
        EXPECT_EQ(pk.end(), 0);
    }
    // Input that never ends: Ctrl+C keeps what came.
    Pk pk;
    ASSERT_TRUE(pk.t.start(Shell("yes | exec \"$0\""), {}, pk.dir.path()));
    ASSERT_TRUE(pk.t.waitFor("y", kWait, 3)) << pk.t.screenText();
    pk.t.send("\x03");
    EXPECT_TRUE(pk.t.waitFor("Input stopped", kWait, 1)) << pk.t.screenText();
    for (int waited = 0; waited < kWait && pk.t.rowText(1).find('+') != std::string::npos; waited += 50) pk.t.pump(50);
    EXPECT_EQ(pk.t.rowText(1).find('+'), std::string::npos) << pk.t.screenText();
    EXPECT_EQ(pk.end(), 0);
}

// Names the shell expanded: a folder and an empty file among them are
// passed over, the 17th file finds the table full, and "peekra" says so too
// when a pattern fills it. Standard output redirected: the screen is on the
// terminal, and nothing reaches the file.
TEST(StartUp, SeveralNamesLikeAPatternsMatches) {
    Pk pk;
    pk.dir.mkdir("sub");
    pk.dir.write("empty", "");
    for (int i = 100; i < 117; ++i) {
        const std::string n = std::to_string(i);
        pk.dir.write("f" + n, Lines(1, [&](int) { return "file " + n; }));
    }
    ASSERT_TRUE(pk.t.start(Shell("exec \"$0\" sub empty f1* > out.txt"), {}, pk.dir.path()));
    ASSERT_TRUE(pk.t.waitFor("File table full", kWait, 1)) << pk.t.screenText();
    EXPECT_TRUE(pk.run({
        {"", {}, 0, "file 115", 3},
        {"", Fn(3), 0, "file 114", 3},
        {"", Fn(3), 0, "file 113", 3},
        {"pe f11*\r", {}, 0, "File table full"},
        {"", {}, 0, "file 110", 3},
    }));
    EXPECT_EQ(pk.end(), 0);
    EXPECT_EQ(ReadAll(pk.dir / "out.txt"), "");
}

TEST(PkSession, TwoRunsShareFindStringAndTabs) {
    TempDir files;
    files.write("alpha.txt", Lines(120, [](int i) { return (i == 60 || i == 100 ? "has\ta needle " : "alpha ") + std::to_string(i); }));
    files.write("beta.txt", "beta only\n");

    Pk pk;  // its home folder keeps the settings for the second run
    ASSERT_TRUE(pk.start({files / "*.txt"}));
    ASSERT_TRUE(pk.run({{"", {}, 0, "alpha 1 ", 3},  // the first match
                        {"tabs\r", {}, 0, "Line 1 of 120, Column 1 of 20"}, {"view\r", {}, 0, "00000000", 3}}));
    pk.t.send("'6E656564\r");  // "need" in hex
    EXPECT_TRUE(pk.t.waitUntil([&] { return pk.t.rowText(3).substr(3, 8) != "00000000"; }, kWait));
    ASSERT_EQ(pk.end(), 0);

    const std::string home = pk.t.home();
    Pk again;
    ASSERT_TRUE(again.start({files / "alpha.txt"}, {"HOME=" + home, "APPDATA=" + home + "/appdata"}));
    // Tabs are on, and F5 finds the stored hex string.
    EXPECT_TRUE(again.run({{"", {}, 0, "Column 1 of 20"}, {"", Fn(5), 0, "has     a needle 60", -1}}));
    EXPECT_EQ(again.end(), 0);
}

}  // namespace
