// The settings file: its text format (finding and replacing keys, numbers,
// the hex-with-checksum encoding of binary values), and on disk the first
// run, round trips of the find string, the tab setting and the UTF-8 choice,
// lenient reading, what stands at the file's place, a failed write losing
// nothing, and two runs ending at once.
#include "app/profile.h"
#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>
#include <tuple>
#include <vector>

#include "temp_dir.h"
#include "test_screen.h"

namespace {

TEST(Profile, GetFindsKeysOfTheFirstMatchingSection) {
    const std::string text =
        "; tabs=9 in a comment\n[other]\ntabs=7\n[ COMMON ]\r\n  Tabs  =  5  \r\nfind=\r\nnovalue\n[common]\nflen=3\n";
    struct Case { const char *section, *key; std::optional<std::string> value; } cases[] = {
        {"Common", "TABS", "5"},          {"common", "find", ""},          {"common", "flen", std::nullopt},
        {"common", "novalue", std::nullopt}, {"other", "tabs", "7"},      {"missing", "tabs", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(pk::ProfileGet(text, c.section, c.key), c.value) << c.section << c.key;
}

TEST(Profile, SetReplacesInPlaceOrAdds) {
    struct Case { const char *before, *key, *after; } cases[] = {
        {"", "tabs", "[common]\ntabs=1\n"},
        {"[x]\na=1", "tabs", "[x]\na=1\n[common]\ntabs=1\n"},  // no line end before
        {"[Common]\r\n TABS = 0 \r\n[x]\r\n", "tabs", "[Common]\r\ntabs=1\r\n[x]\r\n"},
        {"[common]\nflen=2\n\n[x]\ny=1\n", "tabs", "[common]\nflen=2\ntabs=1\n\n[x]\ny=1\n"},
        {"[common]\n;tabs=0\n", "tabs", "[common]\n;tabs=0\ntabs=1\n"},
        {"[x]\ntabs=0\n[common]\n", "tabs", "[x]\ntabs=0\n[common]\ntabs=1\n"},
        {"[common]\rtabs=0\r", "tabs", "[common]\rtabs=1\r"},  // lone CR line ends
        {"[common]\r\ntabs=0\r", "flen", "[common]\r\ntabs=0\rflen=1\r"},
        {"[x]\ra=1\r", "tabs", "[x]\ra=1\r[common]\rtabs=1\r"},
    };
    // That a key set reads back and setting it again changes nothing: profile_fuzz.
    for (const Case& c : cases) EXPECT_EQ(pk::ProfileSet(c.before, "common", c.key, "1"), c.after) << c.before;
}

TEST(Profile, Numbers) {
    struct Case { std::optional<std::string> value; uint32_t result; } cases[] = {
        {std::nullopt, 77}, {"", 0}, {"12abc", 12}, {"abc", 0}, {"-1", 0xFFFFFFFFu}, {"+4", 4}, {"65539", 65539},
    };
    for (const Case& c : cases) EXPECT_EQ(pk::ProfileInt(c.value, 77), c.result) << c.value.value_or("(none)");
}

// Values of another length than the bytes wanted are refused and write
// nothing (round trips, checksums and other refusals: profile_fuzz).
TEST(Profile, StructDecodingRefusesOtherLengths) {
    std::vector<uint8_t> out(3, 0x55);
    for (const char* value : {"0061FF", "0061FF6000", ""}) EXPECT_FALSE(pk::ProfileDecodeStruct(value, out)) << value;
    EXPECT_EQ(out, std::vector<uint8_t>(3, 0x55));
}

using pktest::ReadAll;
namespace fs = std::filesystem;

// Temporary files a write left behind in folder (lock files stay).
size_t Leftovers(const std::string& folder) {
    size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = entry.path().filename();
        n += name.find(".ini.") != std::string::npos && !name.ends_with(".lock");
    }
    return n;
}

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        pk::ResetProgramState();
        pk::ResetStoredSettings();
        std::snprintf(pk::program.settingsPath, sizeof pk::program.settingsPath, "%s", path.c_str());
    }
    // Runs f in a child process and gives its exit status, or -1 when a
    // signal ended it.
    static int InChild(const std::function<int()>& f) {
        pid_t pid = fork();
        if (pid == 0) _exit(f());
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pktest::TempDir dir;
    std::string path = dir / "pk.ini";
};

// Each run: the find string, its kind and direction, tabs and UTF-8 choice
// it ends with ("-" for no find string), the file it writes, and what a
// fresh read of that file gives.
TEST_F(SettingsTest, RunsWriteAndReadBack) {
    const std::string zero("a\0\xff", 3), longest(pk::FIND_MAX, '\x7f');
    struct Run { std::string find; uint32_t kind, back, tabs, utf8; std::string file, findRead; } runs[] = {
        {"-", 0, 0, 0, 0, "[common]\ntabs=0\nutf8=0\n", ""},  // first run
        {zero, 1, 0, 1, 1, "[common]\ntabs=1\nutf8=1\nflen=3\nfind=6100FF60\nftype=1\nfdir=0\n", zero},
        {"-", 1, 0, 0, 0, "[common]\ntabs=0\nutf8=0\nflen=3\nfind=6100FF60\nftype=1\nfdir=0\n", zero},  // kept
        {"a+", 2, 1, 0, 0, "[common]\ntabs=0\nutf8=0\nflen=2\nfind=612B8C\nftype=2\nfdir=1\n", "a+"},
        {longest, 0, 0, 0, 1, "", longest},
    };
    for (const Run& r : runs) {
        pk::settings = pk::Settings{};
        if (r.find != "-") pktest::SetFindString(r.find);
        if (r.find != "-") pk::settings.findKind = r.kind, pk::settings.findBackward = r.back;
        pk::settings.tabsOn = r.tabs;
        pk::settings.utf8On = r.utf8;
        EXPECT_EQ(pk::WriteSettings(), 1);
        EXPECT_EQ(r.file.empty() ? "" : ReadAll(path), r.file);
        pk::settings = pk::Settings{};
        pk::ReadSettings();
        EXPECT_EQ(pktest::FindString(), r.findRead);
        EXPECT_EQ(std::tie(pk::settings.findKind, pk::settings.findBackward), std::tie(r.kind, r.back)) << r.find;
        EXPECT_EQ(pk::settings.tabsOn, r.tabs);
        EXPECT_EQ(pk::settings.utf8On, r.utf8);
    }
    EXPECT_EQ(Leftovers(dir.path()), 0u);
}

TEST_F(SettingsTest, StoredValuesReadLeniently) {
    // A find value refused leaves no find string (length 0).
    // kind and back: the find string's kind and direction (a file without
    // them, or with a kind pk does not know, gives plain text forward).
    struct Case { const char* text; uint16_t findLength; std::string find; uint32_t tabs, kind = 0, back = 0; } cases[] = {
        {"[COMMON]\r\n Tabs = -1 \r\n FLEN = 2 \r\nfind = 616263C4\r\n", 0, "", 1},  // wrong length
        {"[common]\nflen=2\nfind=6162C3\n", 2, "ab", 0},
        {"[common]\nflen=2\nfind=6162C3\nftype=2\nfdir=7\n", 2, "ab", 0, 2, 1},
        {"[common]\nflen=2\nfind=6162C3\nftype=3\nfdir=x\n", 2, "ab", 0, 0, 0},
        {"[common]\nflen=2\nfind=6162C4\n", 0, "", 0},  // wrong checksum
        {"[common]\nflen=2\nfind=61XYC3\n", 0, "", 0},  // no hex
        {"[common]\nflen=2\n", 0, "", 0},              // no find
        {"[common]\nflen=251\nfind=00\n", 0, "", 0},    // beyond the buffer
        {"[common]\nflen=65538\nfind=6162C3\n", 2, "ab", 0},  // low 16 bits
        {"[common]\rflen=2\rfind=6162C3\rtabs=1\r", 2, "ab", 1},  // lone CR line ends
        {"garbage\0\xff\n", 0, "", 0},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        std::memset(pk::settings.findString, 0x55, sizeof pk::settings.findString);
        pk::ReadSettings();
        EXPECT_EQ(pk::settings.findLength, c.findLength) << c.text;
        EXPECT_EQ(pk::settings.tabsOn, c.tabs) << c.text;
        EXPECT_EQ(std::tie(pk::settings.findKind, pk::settings.findBackward), std::tie(c.kind, c.back)) << c.text;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pk::settings.findString), c.find.size()), c.find);
        EXPECT_TRUE(!c.find.empty() || pk::settings.findString[0] == 0) << c.text;
    }
    // A FIFO in the file's place reads as no file instead of blocking.
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(InChild([] {
                  alarm(5);
                  pk::ReadSettings();
                  return pk::settings.findLength == 0 ? 0 : 1;
              }),
              0);
}

// Makes what setup names in d, word by word: "f:NAME" a file, "d:NAME" a
// folder, "p:NAME" a FIFO, "l:NAME>TO" a link to TO.
void Make(const pktest::TempDir& d, const std::string& setup) {
    std::istringstream words(setup);
    for (std::string word; words >> word;) {
        std::string name = word.substr(2), to;
        if (size_t arrow = name.find('>'); arrow != std::string::npos) {
            to = name.substr(arrow + 1);
            name.resize(arrow);
        }
        const std::string p = d / name;
        if (word[0] == 'f') d.write(name, "; mine\n");
        if (word[0] == 'd') d.mkdir(name);
        if (word[0] == 'p') mkfifo(p.c_str(), 0600);
        if (word[0] == 'l') fs::create_symlink(to, p);
    }
}

// What stands at the settings path: a regular file is replaced, through any
// links, and a missing one created in an existing folder; anything else stays
// as it is and the write fails.
TEST_F(SettingsTest, OnlyARegularFileIsReplacedAlsoThroughLinks) {
    const struct { const char *setup, *target; } cases[] = {  // target: where the file is written; "" for nowhere
        {"f:pk.ini", "pk.ini"},
        {"f:real/a.ini l:pk.ini>real/a.ini", "real/a.ini"},
        {"f:real/a.ini l:real/b.ini>a.ini l:pk.ini>real/b.ini", "real/a.ini"},  // each relative to its folder
        {"d:real l:pk.ini>real/new.ini", "real/new.ini"},                         // a dangling link
        {"l:pk.ini>none/new.ini", ""},
        {"l:pk.ini>b.ini l:b.ini>pk.ini", ""},  // a loop
        {"d:pk.ini", ""},
        {"p:pk.ini", ""},
        {"p:f l:pk.ini>f", ""},
    };
    for (const auto& c : cases) {
        pktest::TempDir d;
        Make(d, c.setup);
        std::string p = d / "pk.ini";
        auto before = fs::symlink_status(p).type();
        std::snprintf(pk::program.settingsPath, sizeof pk::program.settingsPath, "%s", p.c_str());
        pk::settings.tabsOn = 1;
        EXPECT_EQ(pk::WriteSettings(), c.target[0] ? 1 : 0) << c.setup;
        EXPECT_EQ(fs::symlink_status(p).type(), before) << c.setup;  // the link or the thing itself stays
        if (c.target[0]) {
            EXPECT_EQ(ReadAll(d / c.target), std::string(c.target) == "real/new.ini" ? "[common]\ntabs=1\nutf8=0\n"
                                                                                   : "; mine\n[common]\ntabs=1\nutf8=0\n")
                << c.setup;
        }
        EXPECT_EQ(Leftovers(d.path()), 0u) << c.setup;
    }
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileWholeAndPkRunning) {
    const std::string old = "[common]\ntabs=1\nflen=1\nfind=7878\n";
    std::ofstream(path, std::ios::binary) << old;
    // A file size limit makes the new file's write fail, at once or part way;
    // its signal must not end pk.
    for (rlim_t size : {rlim_t(0), rlim_t(40)}) {
        int status = InChild([size] {
            struct rlimit limit = {size, size};
            setrlimit(RLIMIT_FSIZE, &limit);
            pk::settings.findLength = pk::FIND_MAX;
            return pk::WriteSettings() == 0 ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << size;
        EXPECT_EQ(ReadAll(path), old) << size;
        EXPECT_EQ(Leftovers(dir.path()), 0u) << size;
    }
}

// Two runs end at once: each writes only what it changed, under a lock, to
// the file as the other left it.
TEST_F(SettingsTest, ARunWritesOnlyWhatItChangedUnderALock) {
    std::ofstream(path, std::ios::binary) << "[common]\ntabs=0\nflen=1\nfind=7878\n";
    pk::ReadSettings();
    // Another run has switched tabs on and set "y" meanwhile; this one only
    // switches tabs on too and sets nothing.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "[common]\ntabs=1\nflen=1\nfind=7979\n";
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=1\nflen=1\nfind=7979\nutf8=0\n");

    // This run sets "z" while another holds the lock; the other switches tabs
    // off before it lets go, and both changes stay.
    pk::ReadSettings();
    pktest::SetFindString("z");
    int lock = open((path + ".lock").c_str(), O_RDONLY | O_CREAT, 0644);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    pid_t child = fork();
    if (child == 0) {
        close(lock);  // the lock stays with the other run's descriptor
        _exit(pk::WriteSettings() == 1 ? 0 : 1);
    }
    bool waits = false;  // the child's request shows in /proc/locks
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         !waits && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        waits = ReadAll("/proc/locks").find(" -> FLOCK  ADVISORY  WRITE " + std::to_string(child) + " ") !=
                std::string::npos;
        if (waitpid(child, nullptr, WNOHANG) == child) break;
    }
    EXPECT_TRUE(waits);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "[common]\ntabs=0\nflen=1\nfind=7979\n";
    close(lock);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll(path), "[common]\ntabs=0\nflen=1\nfind=7A7A\nftype=0\nfdir=0\nutf8=0\n");
}

}  // namespace
