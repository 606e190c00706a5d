// Loading real files and folders in a private folder: results of every kind
// of name, already-loaded files, the table limits, sizes, locks, a shrunk
// file, switching between and closing loaded files, and streams read to
// their end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "files/file_change.h"
#include "files/file_feed.h"
#include "files/file_table.h"
#include "line_reference.h"
#include "temp_dir.h"

namespace {

constexpr uint32_t kUntouched = 12345;

class LoadFilesTest : public testing::Test {
protected:
    void SetUp() override { pk::program.currentEntry = 0; }
    void TearDown() override {
        pk::ReleaseAllEntries();
        pk::ResetFileTable();
    }
    pk::LoadResult Load(const std::string& name) {
        error = kUntouched;
        return pk::LoadFiles(name.c_str(), full, error);
    }
    static int LoadedCount() {
        int n = 0;
        for (const pk::FileEntry& e : pk::fileTable) n += e.data != nullptr;
        return n;
    }
    // Puts a file of size bytes into slot as a listing would, for ReadFileData.
    void Listed(int slot, const std::string& path, uint32_t size) {
        std::strcpy(pk::fileTable[slot].name, path.c_str());
        pk::fileTable[slot].size = size;
    }

    pktest::TempDir dir;
    char full[pk::NAME_SIZE];
    uint32_t error = 0;
};

// Each name in turn, with the current slot set to 15 before it: the result,
// the error code, how many slots are loaded and which slot is current. (A
// folder named alone and a name too long for a path are proved end to end.)
TEST_F(LoadFilesTest, ResultsOfEveryKindOfName) {
    for (const char* f : {"w/c.txt", "w/a.txt", "w/b.txt", "w/b.log", "m/b_file", "e/a_full", "s/a.txt", "s/A.txt"})
        dir.write(f, f);
    for (const char* f : {"e/empty", "e/x_empty"}) dir.write(f, "");
    for (const char* d : {"f/d1", "f/d2", "m/a_dir"}) dir.mkdir(d);
    ASSERT_EQ(symlink((dir / "s/a.txt").c_str(), (dir / "s/link").c_str()), 0);
    ASSERT_EQ(link((dir / "s/a.txt").c_str(), (dir / "s/hard").c_str()), 0);
    ASSERT_EQ(symlink("loop", (dir / "m/loop").c_str()), 0);
    ASSERT_EQ(symlink("gone", (dir / "m/c_link").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.mkdir("r").append("/fifo").c_str(), 0600), 0);
    struct Step { std::string name; pk::LoadResult result; uint32_t error; int loaded, current; } steps[] = {
        {"f/*", pk::LOAD_NOT_FOUND, kUntouched, 0, 15},  // only folders
        {"-", pk::LOAD_NOT_FOUND, kUntouched, 0, 15},  // standard input, never read
        {"e/e*", pk::LOAD_EMPTY, kUntouched, 0, 15},  // only an empty file
        {"nowhere/*.txt", pk::LOAD_PATH_NOT_FOUND, kUntouched, 0, 15},
        {"m/b_file/x", pk::LOAD_PATH_NOT_FOUND, kUntouched, 0, 15},  // folder part is a file
        {"m/c_*", pk::LOAD_NOT_FOUND, kUntouched, 0, 15},  // a dangling link is skipped
        {"m/loop", pk::LOAD_SEARCH_ERROR, ELOOP, 0, 15},
        {std::string(300, 'c'), pk::LOAD_SEARCH_ERROR, ENAMETOOLONG, 0, 15},
        {"r/fifo", pk::LOAD_OPEN_ERROR, ENODEV, 0, 15},
        {"w/*.txt", pk::LOAD_OK, kUntouched, 3, 0},  // a, b, c into slots 0, 1, 2
        {"e/*", pk::LOAD_OK, kUntouched, 4, 3},      // then an empty file: still success
        {"m/b_file", pk::LOAD_OK, kUntouched, 5, 4},
        {"m/?_*", pk::LOAD_NOT_FOUND, kUntouched, 5, 4},  // a folder, then the loaded file
        {"s/A.txt", pk::LOAD_OK, kUntouched, 6, 5},
        {"s/a.txt", pk::LOAD_OK, kUntouched, 7, 6},  // a.txt and A.txt are two files
        {"s/link", pk::LOAD_OK, kUntouched, 7, 6},
        {"s/hard", pk::LOAD_OK, kUntouched, 7, 6},
        {"/proc/version", pk::LOAD_OK, kUntouched, 8, 7},  // size 0, yet not empty
    };
    for (const Step& s : steps) {
        pk::program.currentEntry = 15;
        EXPECT_EQ(Load(s.name[0] == '/' ? s.name : dir / s.name), s.result) << s.name;
        EXPECT_EQ(error, s.error) << s.name;
        EXPECT_EQ(LoadedCount(), s.loaded) << s.name;
        EXPECT_EQ(pk::program.currentEntry, s.current) << s.name;
    }
    for (int i = 0; i < 3; ++i) EXPECT_STREQ(pk::fileTable[i].name, (dir / std::string("w/") + "abc"[i] + ".txt").c_str());
    const pk::FileEntry& proc = pk::fileTable[7];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(proc.data), proc.size).rfind("Linux version ", 0), 0u);
    EXPECT_EQ(proc.lineCount, 1u);
}

TEST_F(LoadFilesTest, TableLimits) {
    for (const char* f : {"t/one", "t/two", "t/three"}) dir.write(f, f);
    for (int i = 0; i < pk::FILE_SLOTS - 2; ++i) ASSERT_EQ(Load(dir.write("fill/f" + std::to_string(i), "x")), pk::LOAD_OK);
    EXPECT_EQ(Load(dir / "t/t*"), pk::LOAD_OK);  // the last match fills the table: nothing left over
    pk::program.currentEntry = 15;
    pk::CloseCurrentEntry();
    // 15 in use: three matches load the first and say that the table filled.
    EXPECT_EQ(Load(dir / "t/*"), pk::LOAD_TABLE_FILLED);
    EXPECT_EQ(LoadedCount(), 16);
    EXPECT_STREQ(pk::fileTable[15].name, (dir / "t/one").c_str());
    EXPECT_EQ(pk::program.currentEntry, 15);
    // 16 in use: full, even for a name already loaded.
    pk::program.currentEntry = 3;
    EXPECT_EQ(Load(dir / "t/one"), pk::LOAD_TABLE_FULL);
    EXPECT_EQ(pk::program.currentEntry, 3);
    // A reset blanks loaded slots and free ones a failed load wrote into.
    pk::ReleaseAllEntries();
    Listed(5, dir / "t/gone", 7);
    pk::ResetFileTable();
    for (const pk::FileEntry& e : pk::fileTable)
        EXPECT_TRUE(e.data == nullptr && e.name[0] == '\0' && e.size == 0 && e.view.line == 0) << &e - pk::fileTable;
}

// A file of any size loads at once, sparse or not: nothing is read before
// the screen, and closing it stops its count.
TEST_F(LoadFilesTest, HugeSparseFileLoadsAtOnce) {
    std::string huge = dir.write("huge", "");
    ASSERT_EQ(truncate(huge.c_str(), 3LL << 30), 0);
    ASSERT_EQ(Load(huge), pk::LOAD_OK);
    EXPECT_EQ(pk::CurrentEntry().size, 3ull << 30);
    EXPECT_TRUE(pk::CurrentEntry().counting);
}

// An exclusive lock through another open of the file (as another program
// would hold it) is a sharing violation; open for writing elsewhere without
// a lock, the file loads.
TEST_F(LoadFilesTest, ExclusiveLockElsewhereIsASharingViolation) {
    std::string locked = dir.write("locked.txt", "secret");
    int holder = open(locked.c_str(), O_RDWR);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    EXPECT_EQ(Load(locked), pk::LOAD_OPEN_ERROR);
    EXPECT_EQ(error, 32u);
    close(holder);
    int writer = open(locked.c_str(), O_WRONLY | O_APPEND);
    EXPECT_EQ(Load(locked), pk::LOAD_OK);
    close(writer);
}

// A file cut short by another program while it is shown: reading where its
// bytes were gives zeros instead of killing pk, the change shows, and taking
// it up reads the file again.
TEST_F(LoadFilesTest, TruncatedFileIsGuardedAndReadAgain) {
    std::string path = dir.write("cut", std::string(1 << 20, 'a') + "\nend\n");
    ASSERT_EQ(Load(path), pk::LOAD_OK);
    pk::FileEntry& e = pk::CurrentEntry();
    ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
    EXPECT_EQ(e.lineCount, 2u);
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    volatile const uint8_t* gone = e.data + 700000;
    EXPECT_EQ(*gone, 0);
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_SHRUNK);
    // Grown past its old size before the change is taken up (a log cut and
    // written again): still read again, as what was cut reads as zeros.
    std::ofstream(path, std::ios::app) << std::string(2 << 20, 'b');
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_SHRUNK);
    ASSERT_TRUE(pk::TakeFileChange(e, pk::CHANGE_SHRUNK));
    ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
    EXPECT_EQ(e.data[700000], 'b');
    ASSERT_EQ(truncate(path.c_str(), 10), 0);
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_SHRUNK);
    ASSERT_TRUE(pk::TakeFileChange(e, pk::CHANGE_SHRUNK));
    ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
    EXPECT_EQ(std::tie(e.size, e.lineCount), std::tuple(10u, 1u));
    // Growth is counted on; a new file under the name is read again.
    std::ofstream(path, std::ios::app) << "more\nlines\n";
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_GROWN);
    ASSERT_TRUE(pk::TakeFileChange(e, pk::CHANGE_GROWN));
    ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
    EXPECT_EQ(std::tie(e.size, e.lineCount), std::tuple(21u, 2u));
    ASSERT_EQ(rename(dir.write("new", "x\n").c_str(), path.c_str()), 0);
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_REPLACED);
    ASSERT_TRUE(pk::TakeFileChange(e, pk::CHANGE_REPLACED));
    EXPECT_EQ(pk::CheckFileChange(e), pk::CHANGE_NONE);
    EXPECT_EQ(e.size, 2u);
}

TEST_F(LoadFilesTest, NextAndCloseWalkTheLoadedSlots) {
    for (int slot : {2, 5, 9}) {
        Listed(slot, dir.write("f" + std::to_string(slot), "data"), 4);
        ASSERT_EQ(pk::ReadFileData(slot, error), pk::LOAD_OK);
    }
    pk::program.currentEntry = 9;
    EXPECT_EQ(pk::NextLoadedEntry(), 1);  // wraps past the gaps
    EXPECT_EQ(pk::program.currentEntry, 2);
    pk::program.currentEntry = 5;
    EXPECT_EQ(pk::CloseCurrentEntry(), 1);  // the one before becomes current
    EXPECT_EQ(pk::program.currentEntry, 2);
    EXPECT_EQ(pk::CloseCurrentEntry(), 1);  // from the first, the last
    EXPECT_EQ(pk::program.currentEntry, 9);
    EXPECT_EQ(pk::NextLoadedEntry(), 0);
    EXPECT_EQ(pk::CloseCurrentEntry(), 0);  // the only one left stays
    EXPECT_EQ(pk::program.currentEntry, 9);
    EXPECT_EQ(pk::fileTable[5].name[0], '\0');
    EXPECT_EQ(pk::FindFreeEntry(), 0);
    EXPECT_EQ(LoadedCount(), 1);
}

// Writes bytes to fd in uneven pieces, then closes it.
void WriteInPieces(int fd, const std::string& bytes) {
    for (size_t at = 0, piece = 1; at < bytes.size(); piece = piece * 7 % 70001 + 1) {
        ssize_t n = write(fd, bytes.data() + at, std::min(piece, bytes.size() - at));
        if (n <= 0) break;
        at += size_t(n);
    }
    close(fd);
}

// The whole view of a feed once it has nothing more to give.
pk::FeedView Finished(pk::Feed* feed) {
    return pk::AwaitFeed(*feed, [](const pk::FeedView&) { return false; }, 60000);
}

// Random files counted in one to five parts at once, or read through a pipe
// in uneven pieces as standard input comes, give the lines, widest lines and
// index of one pass over the same bytes, and loading keeps them.
TEST_F(LoadFilesTest, CountingInPartsEqualsOnePass) {
    std::mt19937 rng(31);
    for (int file = 0; file < 4; ++file) {
        std::string bytes(300000 + file * 400000 + rng() % 1000, 'x');
        for (char& c : bytes) c = "ab\t\r\xC3\xA9\n\n"[rng() % (file == 3 ? 6 : 8)];  // the last has no line feed
        std::string path = dir.write("random" + std::to_string(file), bytes);
        const pktest::Measured want(bytes);
        for (int parts = 1; parts <= 5; ++parts) {
            pk::Feed* feed = pk::StartFileFeed(open(path.c_str(), O_RDONLY), bytes.size(), error, parts);
            ASSERT_NE(feed, nullptr);
            pk::FeedView v = Finished(feed);
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(v.data))) << parts;
            EXPECT_EQ(pktest::Tie(v.scan), pktest::Tie(want.scan)) << file << " " << parts;
            EXPECT_EQ(std::vector<uint64_t>(feed->index, feed->index + v.indexEntries), want.index) << file << " " << parts;
            pk::ReleaseFeed(feed);
        }
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        std::thread writer(WriteInPieces, ends[1], std::cref(bytes));
        pk::Feed* stream = pk::StartStreamFeed(ends[0], 1 << 30, error);
        ASSERT_NE(stream, nullptr);
        pk::FeedView v = Finished(stream);
        writer.join();
        ASSERT_EQ(v.size, bytes.size());
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(v.data)));
        EXPECT_EQ(pktest::Tie(v.scan), pktest::Tie(want.scan));
        EXPECT_EQ(std::vector<uint64_t>(stream->index, stream->index + v.indexEntries), want.index);
        pk::ReleaseFeed(stream);
        ASSERT_EQ(Load(path), pk::LOAD_OK);
        pk::FileEntry& e = pk::CurrentEntry();
        ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
        EXPECT_EQ(std::tie(e.lineCount, e.longestExpanded, e.widestCellsExpanded),
                  std::tie(want.scan.lineCount, want.scan.longestExpanded, want.scan.widestCellsExpanded));
        EXPECT_EQ(std::vector<uint64_t>(e.lineIndex.begin(), e.lineIndex.end()), want.index);
    }
}

// A count held for the first screen has the top lines at once and no worker
// until it is started, by a wait for the count or by StartHeldCounts; it
// then ends as one pass does.
TEST_F(LoadFilesTest, HeldCountsGiveTheTopAtOnceAndTheRestWhenStarted) {
    std::string bytes;
    for (int i = 0; bytes.size() < (3u << 20); ++i) bytes += "line " + std::to_string(i) + (i % 7 ? "\n" : "\t\xC3\xA9\n");
    const std::string path = dir.write("held", bytes);
    const pktest::Measured want(bytes);
    for (bool byWait : {true, false}) {
        pk::HoldCounts();
        ASSERT_EQ(Load(path), pk::LOAD_OK);
        pk::FileEntry& e = pk::CurrentEntry();
        pk::RefreshEntry(e);
        EXPECT_TRUE(e.counting);
        EXPECT_GE(e.lineCount, 256u);
        EXPECT_LT(e.scanned, bytes.size());
        EXPECT_FALSE(e.feed->worker.joinable());
        if (!byWait) {
            pk::StartHeldCounts();
            EXPECT_FALSE(pk::CountsHeld());
            EXPECT_TRUE(e.feed->worker.joinable());
        }
        ASSERT_TRUE(pk::AwaitCounted(e, pk::WholeCount(e)));
        EXPECT_EQ(std::tie(e.lineCount, e.longestExpanded, e.widestCellsExpanded),
                  std::tie(want.scan.lineCount, want.scan.longestExpanded, want.scan.widestCellsExpanded));
        EXPECT_EQ(std::vector<uint64_t>(e.lineIndex.begin(), e.lineIndex.end()), want.index);
        pk::ReleaseAllEntries();
        pk::ResetFileTable();
        EXPECT_FALSE(pk::CountsHeld());
    }
}

// How a stream ends: at its limit (keeping what came), at its end, on a
// read error, or when it is stopped (as Ctrl+C stops it).
TEST_F(LoadFilesTest, StreamEnds) {
    const struct { std::string path; uint64_t limit; bool stopped; pk::LoadResult failure; uint32_t error; uint64_t size; } cases[] = {
        {dir.write("six", "abcdef"), 6, false, pk::LOAD_OK, 0, 6},
        {dir / "six", 5, false, pk::LOAD_TOO_LARGE, 0, 5},
        {dir.write("none", ""), 5, false, pk::LOAD_OK, 0, 0},
        {dir.path(), 5, false, pk::LOAD_READ_ERROR, EISDIR, 0},
    };
    for (const auto& c : cases) {
        pk::Feed* feed = pk::StartStreamFeed(open(c.path.c_str(), O_RDONLY), c.limit, error);
        ASSERT_NE(feed, nullptr);
        pk::FeedView v = Finished(feed);
        EXPECT_EQ(std::tie(v.failure, v.error, v.size), std::tie(c.failure, c.error, c.size)) << c.path << " " << c.limit;
        EXPECT_FALSE(v.streaming);
        pk::ReleaseFeed(feed);
    }
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "one\n", 4), 4);
    pk::Feed* feed = pk::StartStreamFeed(ends[0], 100, error);
    pk::AwaitFeed(*feed, [](const pk::FeedView& v) { return v.size == 4; }, 60000);
    pk::StopStream(*feed);
    pk::FeedView v = Finished(feed);
    EXPECT_EQ(std::tie(v.size, v.scan.lineCount, v.streaming), std::tuple(4u, 1u, false));
    pk::ReleaseFeed(feed);
    close(ends[1]);
}

}  // namespace
