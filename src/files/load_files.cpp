// Loading files into the table: LoadFiles resolves the typed name, searches
// its folder and loads every match into a free slot; ReadFileData opens one
// file under a shared lock and hands it to a feed, which maps it and counts
// its lines in the background (or reads it as a stream when its size says 0
// or it is compressed).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "files/compression.h"
#include "files/file_feed.h"
#include "files/file_table.h"
#include "files/folder_search.h"
#include "files/full_path.h"
#include "files/standard_input.h"

namespace pk {

namespace {

// A file whose size says 0 (as /proc files do) is read to its end, up to this.
constexpr uint64_t MAX_UNSIZED = uint64_t(64) << 20;
// How long the end of such a file is waited for before the screen shows it.
constexpr int UNSIZED_WAIT_MS = 1000;

// Copies text into a NAME_SIZE buffer, cut to fit.
void CopyName(char* out, const char* text) {
    size_t n = strnlen(text, NAME_SIZE - 1);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// Opens a regular file for reading under a shared lock. Special files are
// refused before anything is read (a FIFO would block, a device has no
// size). Returns the descriptor, or -1 with the error.
int OpenShared(const char* name, struct stat& st, uint32_t& error) {
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = static_cast<uint32_t>(errno);
        return -1;
    }
    if (fstat(fd, &st) != 0) {
        error = static_cast<uint32_t>(errno);
        close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        error = ENODEV;
        close(fd);
        return -1;
    }
    // An exclusive lock held elsewhere is a sharing violation. A file system
    // without locks is read unlocked.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        error = ERROR_SHARING_VIOLATION;
        close(fd);
        return -1;
    }
    return fd;
}

// What the size of a match says before anything is read. A folder is "not
// found" among a pattern's matches, and a folder when named alone.
LoadResult SizeCheck(const FolderMatch& match, bool named) {
    if (match.folder) return named ? LOAD_IS_FOLDER : LOAD_NOT_FOUND;
    if (!match.regular) return LOAD_OPEN_ERROR;
    if (match.size == 0) return LOAD_EMPTY;
    return LOAD_OK;
}

struct LoadRun {
    LoadResult result = LOAD_OK;
    int loaded = 0;
    int first = -1;
    int slot = -1;  // the free slot the next new file goes into
    uint32_t error = 0;  // the system error of the standing result
    bool named = false;  // a name without wildcards
};

void Fail(LoadRun& run, LoadResult result, uint32_t error) {
    run.result = result;
    run.error = error;
}

// One match of the search. False when the table has no free slot left.
bool LoadMatch(LoadRun& run, const std::string& folder, const FolderMatch& match) {
    LoadResult check = SizeCheck(match, run.named);
    // A size of 0 may still hide content (/proc files): such a file is read
    // to its end, and is empty only when nothing comes.
    bool unsized = check == LOAD_EMPTY;
    if (check != LOAD_OK && !unsized) {
        Fail(run, check, check == LOAD_OPEN_ERROR ? ENODEV : 0);
        return true;
    }
    std::string path = folder + "/" + match.name;
    if (path.size() >= NAME_SIZE) {
        Fail(run, LOAD_PATH_ERROR, ENAMETOOLONG);
        return true;
    }
    int loaded = FindLoadedFile(path.c_str(), match.device, match.inode);
    if (loaded >= 0) {
        if (run.first < 0) run.first = loaded;
        return true;
    }
    FileEntry& entry = fileTable[run.slot];
    std::memset(entry.name, 0, sizeof entry.name);
    std::memcpy(entry.name, path.data(), path.size());
    entry.size = match.size;
    uint32_t error = 0;
    LoadResult read = ReadFileData(run.slot, error);
    if (read != LOAD_OK) {
        // An empty file is empty, whether it opens or not.
        if (unsized && (read == LOAD_EMPTY || read == LOAD_OPEN_ERROR)) Fail(run, LOAD_EMPTY, 0);
        else Fail(run, read, error);
        return true;
    }
    ++run.loaded;
    if (run.first < 0) run.first = run.slot;
    run.slot = FindFreeEntry();
    return run.slot >= 0;
}

// The results that keep a system error code beside them.
bool KeepsError(LoadResult result) {
    constexpr LoadResult keeping[] = {LOAD_PATH_ERROR, LOAD_SEARCH_ERROR, LOAD_NO_MEMORY,
                                      LOAD_OPEN_ERROR, LOAD_READ_ERROR};
    return std::find(std::begin(keeping), std::end(keeping), result) != std::end(keeping);
}

LoadResult SearchFailure(SearchResult search) {
    if (search == SEARCH_PATH_NOT_FOUND) return LOAD_PATH_NOT_FOUND;
    if (search == SEARCH_FILE_NOT_FOUND) return LOAD_NOT_FOUND;
    return LOAD_SEARCH_ERROR;
}

void Identify(FileEntry& entry, const struct stat& st) {
    entry.device = static_cast<uint64_t>(st.st_dev);
    entry.inode = static_cast<uint64_t>(st.st_ino);
}

// A file whose size says 0 is read as a stream; it is empty when its end
// comes before anything else.
LoadResult ReadUnsized(FileEntry& entry, int fd, const struct stat& st, uint32_t& systemError) {
    Feed* feed = nullptr;
    LoadResult result = StartStreamLoad(fd, MAX_UNSIZED, UNSIZED_WAIT_MS, true, feed, systemError);
    if (result != LOAD_OK) return result;
    StoreFed(entry, feed);
    Identify(entry, st);
    return LOAD_OK;
}

// Whether the file starts with a compressed format's magic number: it is
// then read through a decompressor, as a stream.
bool IsCompressed(int fd) {
    uint8_t start[MAGIC_BYTES];
    ssize_t n = pread(fd, start, sizeof start, 0);
    return n > 0 && FormatOf(Bytes(start, size_t(n))) != nullptr;
}

}  // namespace

LoadResult StartStreamLoad(int fd, uint64_t limit, int waitMs, bool toItsEnd, Feed*& feed, uint32_t& systemError) {
    uint32_t error = 0;
    feed = StartStreamFeed(fd, limit, error, true);
    if (feed == nullptr) {  // it closed fd
        systemError = error;
        return LOAD_NO_MEMORY;
    }
    FeedView v = AwaitFeed(*feed, [toItsEnd](const FeedView& v) { return !toItsEnd && v.size > 0; }, waitMs);
    if (v.size == 0 && !v.streaming) {
        ReleaseFeed(feed);
        feed = nullptr;
        return LOAD_EMPTY;
    }
    return LOAD_OK;
}

LoadResult ReadFileData(int slot, uint32_t& systemError, bool again) {
    FileEntry& entry = fileTable[slot];
    uint32_t error = 0;
    struct stat st;
    int fd = OpenShared(entry.name, st, error);
    if (fd < 0) {
        systemError = error;
        return LOAD_OPEN_ERROR;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size == 0 && !again) return ReadUnsized(entry, fd, st, systemError);
    bool compressed = size != 0 && IsCompressed(fd);
    Feed* feed = compressed ? StartStreamFeed(fd, StreamLimit(), error, true) : StartFileFeed(fd, size, error);
    if (feed == nullptr) {
        systemError = error;
        return compressed ? LOAD_NO_MEMORY : LOAD_READ_ERROR;
    }
    StoreFed(entry, feed);
    Identify(entry, st);
    entry.shownSize = size;
    return LOAD_OK;
}

LoadResult LoadFiles(const char* typedName, char* fullName, uint32_t& systemError) {
    CopyName(fullName, typedName);
    LoadRun run;
    run.slot = FindFreeEntry();
    if (run.slot < 0) return LOAD_TABLE_FULL;
    if (NamesStandardInput(typedName)) return FindStandardInput(fullName);
    char path[NAME_SIZE];
    uint32_t error = 0;
    if (FullPathName(typedName, path, sizeof path, error) == 0) {
        systemError = error;
        return LOAD_PATH_ERROR;
    }
    CopyName(fullName, path);
    std::vector<FolderMatch> matches;
    SearchResult search = SearchFolder(path, matches, error);
    if (search != SEARCH_OK) {
        if (search == SEARCH_FAILED) systemError = error;
        return SearchFailure(search);
    }
    std::string folder(FolderPart(path));
    run.named = !HasWildcards(std::string_view(path).substr(folder.size()));
    // The result that stands is the last failure met.
    bool filled = false;
    for (size_t i = 0; i < matches.size() && !filled; ++i) filled = !LoadMatch(run, folder, matches[i]) && i + 1 < matches.size();
    if (run.first >= 0) program.currentEntry = run.first;
    if (run.loaded > 0) return filled ? LOAD_TABLE_FILLED : LOAD_OK;
    if (KeepsError(run.result)) systemError = run.error;
    return run.result;
}

}  // namespace pk
