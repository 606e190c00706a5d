// Reading standard input into a slot: a copy of its descriptor (never one
// of 0-2) goes to a stream feed, whose thread reads it while the screen is
// up. Start-up waits a moment for the first bytes, so that input that ends
// at once with nothing is still refused as an empty file.
#include "files/standard_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/file_feed.h"

namespace pk {

namespace {

// How long loading waits for the first byte.
constexpr int FIRST_BYTES_MS = 100;
constexpr uint64_t LEAST_LIMIT = uint64_t(64) << 20;

bool standardInputClosed = false;  // descriptor 0 was closed when pk started

void CopyTitle(char* fullName) { std::snprintf(fullName, NAME_SIZE, "%s", STANDARD_INPUT_TITLE); }

}  // namespace

void ReserveStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        if (fd == STDIN_FILENO) standardInputClosed = true;
        // The lowest free descriptor is this one, as every lower one is open.
        if (open("/dev/null", O_RDWR) != fd) return;
    }
}

bool NamesStandardInput(const char* typedName) { return std::strcmp(typedName, "-") == 0; }

bool StandardInputHasData() {
    struct stat st;
    if (fstat(STDIN_FILENO, &st) != 0) return false;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISREG(st.st_mode);
}

uint64_t StreamLimit() {
    long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGESIZE);
    uint64_t memory = pages > 0 && page > 0 ? uint64_t(pages) * uint64_t(page) : 0;
    return std::max(LEAST_LIMIT, memory / 4);
}

LoadResult FindStandardInput(char* fullName) {
    CopyTitle(fullName);
    int slot = FindLoadedFile(STANDARD_INPUT_TITLE, 0, 0);
    if (slot < 0) return LOAD_NOT_FOUND;
    program.currentEntry = slot;
    return LOAD_OK;
}

LoadResult LoadStandardInput(char* fullName, uint32_t& systemError) {
    CopyTitle(fullName);
    int slot = FindFreeEntry();
    if (slot < 0) return LOAD_TABLE_FULL;
    if (FindStandardInput(fullName) == LOAD_OK) return LOAD_OK;
    if (standardInputClosed) return LOAD_INPUT_CLOSED;
    if (isatty(STDIN_FILENO)) return LOAD_INPUT_IS_TERMINAL;
    int fd = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) {
        systemError = static_cast<uint32_t>(errno);
        return LOAD_READ_ERROR;
    }
    Feed* feed = nullptr;
    LoadResult result = StartStreamLoad(fd, StreamLimit(), FIRST_BYTES_MS, false, feed, systemError);
    if (result != LOAD_OK) return result;
    FileEntry& entry = fileTable[slot];
    entry = FileEntry{};
    CopyTitle(entry.name);
    StoreFed(entry, feed);
    program.currentEntry = slot;
    return LOAD_OK;
}

void AwaitLines(FileEntry& entry, uint64_t lines, int timeoutMs) {
    if (entry.feed == nullptr || !entry.streaming) return;
    AwaitFeed(*entry.feed, [lines](const FeedView& v) { return v.scan.lineCount > lines; }, timeoutMs);
    RefreshEntry(entry);
}

}  // namespace pk
