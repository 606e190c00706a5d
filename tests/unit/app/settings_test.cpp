// The settings file on disk: first run, round trips of the find string, the
// tab setting and the UTF-8 choice, lenient reading, writing through a link, and a failed
// write losing nothing.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "temp_dir.h"
#include "test_screen.h"

namespace {

using pktest::ReadAll;

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        pk::settings = pk::Settings{};
        std::snprintf(pk::program.settingsPath, sizeof pk::program.settingsPath, "%s", path.c_str());
    }
    std::string Find() const {
        return std::string(reinterpret_cast<const char*>(pk::settings.findString), pk::settings.findLength);
    }
    size_t FilesInFolder() const {
        return size_t(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }

    pktest::TempDir dir;
    std::string path = dir / "pk.ini";
};

// Each run: the find string, tabs and UTF-8 choice it ends with ("-" for no
// find string), the file it writes, and what a fresh read of that file gives.
TEST_F(SettingsTest, RunsWriteAndReadBack) {
    const std::string zero("a\0\xff", 3), longest(pk::FIND_MAX, '\x7f');
    struct Run {
        std::string find;
        uint32_t tabs, utf8;
        std::string file, findRead;
    } runs[] = {
        {"-", 0, 0, "[common]\ntabs=0\nutf8=0\n", ""},  // first run
        {zero, 1, 1, "[common]\ntabs=1\nutf8=1\nflen=3\nfind=6100FF60\n", zero},
        {"-", 0, 0, "[common]\ntabs=0\nutf8=0\nflen=3\nfind=6100FF60\n", zero},  // the stored one is kept
        {longest, 0, 1, "", longest},
    };
    // Nothing stored: UTF-8 when the locale uses it.
    for (const char* locale : {"C", "C.UTF-8"}) {
        ASSERT_NE(setlocale(LC_CTYPE, locale), nullptr);
        pk::ReadSettings();
        EXPECT_EQ(pk::settings.findLength, 0);
        EXPECT_EQ(pk::settings.tabsOn, 0u);
        EXPECT_EQ(pk::settings.utf8On, locale[1] == '.' ? 1u : 0u) << locale;
    }
    for (const Run& r : runs) {
        pk::settings = pk::Settings{};
        if (r.find != "-") pktest::SetFindString(r.find);
        pk::settings.tabsOn = r.tabs;
        pk::settings.utf8On = r.utf8;
        EXPECT_EQ(pk::WriteSettings(), 1);
        EXPECT_EQ(r.file.empty() ? "" : ReadAll(path), r.file);
        pk::settings = pk::Settings{};
        pk::ReadSettings();
        EXPECT_EQ(Find(), r.findRead);
        EXPECT_EQ(pk::settings.tabsOn, r.tabs);
        EXPECT_EQ(pk::settings.utf8On, r.utf8);
    }
    setlocale(LC_CTYPE, "C");
    EXPECT_EQ(FilesInFolder(), 1u) << "no temporary left";
}

TEST_F(SettingsTest, StoredValuesReadLeniently) {
    struct Case {
        const char* text;
        uint16_t findLength;
        std::string find;  // "" when the find string stays zero
        uint32_t tabs;
    } cases[] = {
        {"[COMMON]\r\n Tabs = -1 \r\n FLEN = 2 \r\nfind = 616263C4\r\n", 2, "", 1},  // wrong length
        {"[common]\nflen=2\nfind=6162C3\n", 2, "ab", 0},
        {"[common]\nflen=2\nfind=6162C4\n", 2, "", 0},  // wrong checksum
        {"[common]\nflen=251\nfind=00\n", 0, "", 0},    // beyond the buffer
        {"[common]\nflen=65538\nfind=6162C3\n", 2, "ab", 0},  // low 16 bits
        {"garbage\0\xff\n", 0, "", 0},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        std::memset(pk::settings.findString, 0x55, sizeof pk::settings.findString);
        pk::ReadSettings();
        EXPECT_EQ(pk::settings.findLength, c.findLength) << c.text;
        EXPECT_EQ(pk::settings.tabsOn, c.tabs) << c.text;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(pk::settings.findString), c.find.size()), c.find);
        EXPECT_TRUE(!c.find.empty() || pk::settings.findString[0] == 0) << c.text;
    }
    // A FIFO in the file's place reads as no file instead of blocking.
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    pid_t pid = fork();
    if (pid == 0) {
        alarm(5);
        pk::ReadSettings();
        _exit(pk::settings.findLength == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Through a link, the file linked to is replaced and the link stays.
TEST_F(SettingsTest, WritingThroughALinkReplacesItsTarget) {
    std::string target = dir.write("real/pk.ini", "; mine\n[common]\ntabs=0\n");
    std::filesystem::create_symlink(target, path);
    pk::settings.tabsOn = 1;
    EXPECT_EQ(pk::WriteSettings(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadAll(target), "; mine\n[common]\ntabs=1\nutf8=0\n");
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileWhole) {
    const std::string old = "[common]\ntabs=1\nflen=1\nfind=7878\n";
    std::ofstream(path, std::ios::binary) << old;
    // A file size limit makes the new file's write fail part way.
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        pk::settings.findLength = pk::FIND_MAX;
        _exit(pk::WriteSettings() == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(FilesInFolder(), 1u) << "no temporary left";
}

}  // namespace
