// Loading real files and folders in a private folder: wildcards, results,
// already-loaded files, the table limits, sizes, locks, special files and
// switching between and closing loaded files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "files/file_table.h"
#include "temp_dir.h"

namespace {

class LoadFilesTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        pk::ReleaseAllEntries();
        for (pk::FileEntry& e : pk::fileTable) e = pk::FileEntry{};
        pk::program.currentEntry = 0;
    }
    pk::LoadResult Load(const std::string& name) {
        error = 12345;
        return pk::LoadFiles(name.c_str(), full, error);
    }
    static int LoadedCount() {
        int n = 0;
        for (const pk::FileEntry& e : pk::fileTable) n += e.data != nullptr;
        return n;
    }
    // Fills slots until only `free` are left, each with its own file.
    void FillTable(int free) {
        for (int i = 0; LoadedCount() < pk::FILE_SLOTS - free; ++i) {
            ASSERT_EQ(Load(dir.write("fill/f" + std::to_string(i), "x")), pk::LOAD_OK);
        }
    }

    pktest::TempDir dir;
    char full[pk::NAME_SIZE];
    uint32_t error = 0;
};

TEST_F(LoadFilesTest, WildcardLoadsEveryMatchInNameOrder) {
    dir.write("w/c.txt", "c1\r\nc2\r\n");
    dir.write("w/a.txt", "a\tb\nlast");
    dir.write("w/b.txt", "b");
    dir.write("w/b.log", "not matched");
    ASSERT_EQ(Load(dir / "w/*.txt"), pk::LOAD_OK);
    EXPECT_EQ(std::string(full), dir / "w/*.txt");
    EXPECT_STREQ(pk::fileTable[0].name, (dir / "w/a.txt").c_str());
    EXPECT_STREQ(pk::fileTable[1].name, (dir / "w/b.txt").c_str());
    EXPECT_STREQ(pk::fileTable[2].name, (dir / "w/c.txt").c_str());
    EXPECT_EQ(pk::fileTable[3].data, nullptr);
    EXPECT_EQ(pk::program.currentEntry, 0);
    const pk::FileEntry& a = pk::fileTable[0];
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a.data), a.size), "a\tb\nlast");
    EXPECT_EQ(a.lineCount, 2u);
    EXPECT_EQ(a.longestRaw, 4u);
    EXPECT_EQ(a.longestExpanded, 9u);
    EXPECT_EQ(pk::fileTable[2].lineCount, 2u);
    EXPECT_EQ(pk::fileTable[2].longestRaw, 2u);
    EXPECT_EQ(a.view.line, 1u);
    EXPECT_EQ(a.view.column, 1u);
    EXPECT_EQ(a.findStart.line, 1u);
    EXPECT_EQ(a.cache.line, 1u);

    // The same name again, relative this time, loads nothing new.
    pk::program.currentEntry = 2;
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    EXPECT_EQ(Load("w/../w/./a.txt"), pk::LOAD_OK);
    EXPECT_EQ(pk::program.currentEntry, 0);
    EXPECT_EQ(LoadedCount(), 3);
    ASSERT_EQ(chdir("/"), 0);
}

TEST_F(LoadFilesTest, ResultsOfFoldersEmptyAndMissingNames) {
    dir.mkdir("m/a_dir");
    dir.mkdir("m/b_dir");
    dir.write("m/b_file", "data");
    dir.write("e/empty", "");
    dir.write("e/x_empty", "");
    dir.write("e/a_full", "abc");
    dir.mkdir("f/d1");
    dir.mkdir("f/d2");

    EXPECT_EQ(Load(dir / "f/*"), pk::LOAD_NOT_FOUND);   // only folders
    EXPECT_EQ(Load(dir / "f/d1"), pk::LOAD_NOT_FOUND);  // a folder by name
    EXPECT_EQ(Load(dir / "e/e*"), pk::LOAD_EMPTY);      // only an empty file
    EXPECT_EQ(LoadedCount(), 0);
    // An empty file after a loaded one still counts as success.
    EXPECT_EQ(Load(dir / "e/*"), pk::LOAD_OK);
    EXPECT_EQ(LoadedCount(), 1);

    // A folder, then an already loaded file: that file becomes current, and
    // the folder's result stands.
    ASSERT_EQ(Load(dir / "m/b_file"), pk::LOAD_OK);
    ASSERT_EQ(pk::program.currentEntry, 1);
    pk::program.currentEntry = 0;
    EXPECT_EQ(Load(dir / "m/?_*"), pk::LOAD_NOT_FOUND);
    EXPECT_EQ(pk::program.currentEntry, 1);

    EXPECT_EQ(Load(dir / "nowhere/x.txt"), pk::LOAD_PATH_NOT_FOUND);
    EXPECT_EQ(Load(dir / "nowhere/*.txt"), pk::LOAD_PATH_NOT_FOUND);
    EXPECT_EQ(Load(dir / "m/b_file/x"), pk::LOAD_PATH_NOT_FOUND);  // folder part is a file
    char message[pk::NAME_SIZE + 64];
    pk::LongLoadMessage(message, sizeof message, pk::LOAD_PATH_NOT_FOUND, "typed", full, error);
    EXPECT_EQ(std::string(message), "Path " + (dir / "m/b_file/x") + " not found.");
    EXPECT_EQ(Load(dir / "m/missing.txt"), pk::LOAD_NOT_FOUND);
    EXPECT_EQ(Load(dir / "m/*.none"), pk::LOAD_NOT_FOUND);
    EXPECT_EQ(error, 12345u) << "results 3, 4, 5 keep no error code";

    // A link loop cannot be looked at: any other error, with its code.
    ASSERT_EQ(symlink("loop", (dir / "m/loop").c_str()), 0);
    EXPECT_EQ(Load(dir / "m/loop"), pk::LOAD_SEARCH_ERROR);
    EXPECT_EQ(error, uint32_t(ELOOP));
    // A dangling link among matches is skipped.
    ASSERT_EQ(symlink("gone", (dir / "m/c_link").c_str()), 0);
    EXPECT_EQ(Load(dir / "m/c_*"), pk::LOAD_NOT_FOUND);
    EXPECT_EQ(Load(dir / "m/c_link"), pk::LOAD_NOT_FOUND);
    EXPECT_EQ(LoadedCount(), 2);
    EXPECT_EQ(pk::program.currentEntry, 1);
}

TEST_F(LoadFilesTest, SameFileUnderOtherNamesAndCaseMatters) {
    std::string a = dir.write("s/a.txt", "lower");
    std::string upper = dir.write("s/A.txt", "upper");
    ASSERT_EQ(symlink(a.c_str(), (dir / "s/link").c_str()), 0);
    ASSERT_EQ(link(a.c_str(), (dir / "s/hard").c_str()), 0);
    ASSERT_EQ(Load(a), pk::LOAD_OK);
    EXPECT_EQ(Load(upper), pk::LOAD_OK);
    EXPECT_EQ(LoadedCount(), 2) << "a.txt and A.txt are two files";
    EXPECT_EQ(pk::program.currentEntry, 1);
    EXPECT_EQ(Load(dir / "s/link"), pk::LOAD_OK);
    EXPECT_EQ(pk::program.currentEntry, 0);
    pk::program.currentEntry = 1;
    EXPECT_EQ(Load(dir / "s/hard"), pk::LOAD_OK);
    EXPECT_EQ(pk::program.currentEntry, 0);
    EXPECT_EQ(LoadedCount(), 2);
    EXPECT_EQ(pk::FindLoadedEntry((dir / "s/link").c_str()), 0);
    EXPECT_EQ(pk::FindLoadedEntry(upper.c_str()), 1);
    EXPECT_EQ(pk::FindLoadedEntry((dir / "s/none").c_str()), -1);
}

TEST_F(LoadFilesTest, TableLimits) {
    dir.write("t/one", "1");
    dir.write("t/two", "2");
    dir.write("t/three", "3");
    FillTable(1);
    // 15 in use: three matches load the first and stop without a message.
    EXPECT_EQ(Load(dir / "t/*"), pk::LOAD_OK);
    EXPECT_EQ(LoadedCount(), 16);
    EXPECT_STREQ(pk::fileTable[15].name, (dir / "t/one").c_str());
    EXPECT_EQ(pk::program.currentEntry, 15);
    // 16 in use: full, even for a name already loaded.
    pk::program.currentEntry = 3;
    EXPECT_EQ(Load(dir / "t/one"), pk::LOAD_TABLE_FULL);
    EXPECT_EQ(pk::program.currentEntry, 3);
    EXPECT_EQ(std::string(full), dir / "t/one");
}

TEST_F(LoadFilesTest, NamesLongerThanThePathLimit) {
    std::string longName = dir.path() + "/" + std::string(pk::NAME_SIZE, 'n');
    EXPECT_EQ(Load(longName), pk::LOAD_PATH_ERROR);
    EXPECT_EQ(error, uint32_t(ENAMETOOLONG));
    EXPECT_EQ(strlen(full), size_t(pk::NAME_SIZE - 1));
    EXPECT_EQ(std::string(full), longName.substr(0, pk::NAME_SIZE - 1));
    // A component beyond the file system's limit fails the search itself.
    EXPECT_EQ(Load(dir.path() + "/" + std::string(300, 'c')), pk::LOAD_SEARCH_ERROR);
    EXPECT_EQ(error, uint32_t(ENAMETOOLONG));
}

// Runs body in a child process and returns its exit status.
template <typename Body>
int InChild(Body body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(LoadFilesTest, SizeLimitOnSparseFiles) {
    std::string largest = dir.write("big/largest", "");
    std::string tooLarge = dir.write("big/too_large", "");
    ASSERT_EQ(truncate(largest.c_str(), 2147483647LL), 0);
    ASSERT_EQ(truncate(tooLarge.c_str(), 2147483648LL), 0);
    EXPECT_EQ(Load(tooLarge), pk::LOAD_TOO_LARGE);
    // The largest size passes the size test: with no room for its block,
    // loading gets as far as the allocation and fails there.
    int status = InChild([&] {
        struct rlimit limit;
        std::ifstream statm("/proc/self/statm");
        unsigned long pages = 0;
        statm >> pages;
        limit.rlim_cur = limit.rlim_max = pages * sysconf(_SC_PAGESIZE) + (256ul << 20);
        if (setrlimit(RLIMIT_AS, &limit) != 0) return 90;
        uint32_t e = 0;
        char name[pk::NAME_SIZE];
        pk::LoadResult r = pk::LoadFiles(largest.c_str(), name, e);
        if (r != pk::LOAD_NO_MEMORY) return 80 + int(r);
        return e == ENOMEM ? 0 : 91;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(LoadFilesTest, ExclusiveLockElsewhereIsASharingViolation) {
    std::string locked = dir.write("l/locked.txt", "secret");
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(locked.c_str(), O_RDWR);
        char c = flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(done[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(Load(locked), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(error, uint32_t(pk::ERROR_SHARING_VIOLATION));
    char message[pk::NAME_SIZE + 64];
    pk::LongLoadMessage(message, sizeof message, pk::LOAD_OPEN_ERROR, "locked.txt", full, error);
    EXPECT_STREQ(message, "Error opening locked.txt, sharing violation");
    EXPECT_EQ(LoadedCount(), 0);
    (void)!write(done[1], "x", 1);
    waitpid(pid, nullptr, 0);
    // Open for writing elsewhere, without a lock, it loads.
    int writer = open(locked.c_str(), O_WRONLY | O_APPEND);
    EXPECT_EQ(Load(locked), pk::LOAD_OK);
    close(writer);
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

// The process's mapped memory in MiB (file blocks are mappings, which the
// leak checker does not see).
long MappedMiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long kib = 0;
    while (status >> key) {
        if (key == "VmSize:") status >> kib;
    }
    return kib / 1024;
}

TEST_F(LoadFilesTest, ShrunkAndSpecialFilesFailWithoutLeftovers) {
    std::string small = dir.write("r/small", "12345");
    pk::FileEntry& slot = pk::fileTable[4];
    std::strcpy(slot.name, small.c_str());
    slot.size = 10;
    EXPECT_EQ(pk::ReadFileData(4, error), pk::LOAD_READ_ERROR);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(slot.data, nullptr);
    // Failed reads and opens of a large size give their blocks back.
    long before = MappedMiB();
    slot.size = 256u << 20;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(pk::ReadFileData(4, error), pk::LOAD_READ_ERROR);
    EXPECT_LT(MappedMiB() - before, 128);
    slot.size = 5;
    EXPECT_EQ(pk::ReadFileData(4, error), pk::LOAD_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(slot.data), 5), "12345");

    std::string fifo = dir / "r/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Load(fifo), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(error, uint32_t(ENODEV));
    EXPECT_EQ(Load("/dev/null"), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(Load(dir / "r/fif?"), pk::LOAD_OPEN_ERROR);
    // Even asked directly, a FIFO is never read (nor waited on).
    pk::FileEntry& other = pk::fileTable[7];
    std::strcpy(other.name, fifo.c_str());
    other.size = 10;
    EXPECT_EQ(pk::ReadFileData(7, error), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(other.data, nullptr);
    std::strcpy(other.name, (dir / "r/missing").c_str());
    EXPECT_EQ(pk::ReadFileData(7, error), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(error, uint32_t(ENOENT));
    EXPECT_EQ(LoadedCount(), 1);
}

TEST_F(LoadFilesTest, NextAndCloseWalkTheLoadedSlots) {
    for (int slot : {2, 5, 9}) {
        pk::FileEntry& e = pk::fileTable[slot];
        std::string path = dir.write("n/f" + std::to_string(slot), "data");
        std::strcpy(e.name, path.c_str());
        e.size = 4;
        ASSERT_EQ(pk::ReadFileData(slot, error), pk::LOAD_OK);
    }
    pk::program.currentEntry = 9;
    EXPECT_EQ(pk::NextLoadedEntry(), 1);
    EXPECT_EQ(pk::program.currentEntry, 2);
    EXPECT_EQ(pk::NextLoadedEntry(), 1);
    EXPECT_EQ(pk::program.currentEntry, 5);
    pk::program.currentEntry = 2;
    EXPECT_EQ(pk::CloseCurrentEntry(), 1);
    EXPECT_EQ(pk::program.currentEntry, 9);
    EXPECT_EQ(pk::fileTable[2].data, nullptr);
    EXPECT_EQ(pk::fileTable[2].name[0], '\0');
    EXPECT_EQ(pk::FindFreeEntry(), 0);
    EXPECT_EQ(pk::CloseCurrentEntry(), 1);
    EXPECT_EQ(pk::program.currentEntry, 5);
    // The only one left stays.
    EXPECT_EQ(pk::NextLoadedEntry(), 0);
    EXPECT_EQ(pk::CloseCurrentEntry(), 0);
    EXPECT_EQ(pk::program.currentEntry, 5);
    EXPECT_NE(pk::fileTable[5].data, nullptr);
}

}  // namespace
