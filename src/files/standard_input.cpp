// Reading standard input into a slot. While it is read, Ctrl+C (SIGINT)
// only sets a flag: the signal is blocked except while the read waits for
// input, so it always ends that wait, and what pk found for SIGINT is put
// back afterwards. The progress line goes to the terminal (/dev/tty), never
// to standard output, and is blanked when the read ends.
#include "files/standard_input.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "files/file_memory.h"
#include "files/stream_read.h"
#include "files/write_all.h"

namespace pk {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

// The terminal the progress line goes to (-1: none) and how wide it is.
struct ProgressLine {
    int tty = -1;
    size_t width = 0;
};

ProgressLine progressLine;

bool standardInputClosed = false;  // descriptor 0 was closed when pk started

void WriteTerminal(std::string_view text) {
    if (progressLine.tty >= 0) WriteAll(progressLine.tty, text);
}

void ShowProgress(uint64_t bytesRead) {
    char text[64];
    int n = std::snprintf(text, sizeof text, "\rpk: %llu MiB of standard input read",
                          static_cast<unsigned long long>(bytesRead >> 20));
    if (n <= 1) return;
    WriteTerminal(std::string_view(text, static_cast<size_t>(n)));
    progressLine.width = static_cast<size_t>(n - 1);
}

// Blanks what the read left on the terminal's line: the progress line and,
// after Ctrl+C, the "^C" the terminal echoed after it.
void ClearProgress(bool afterInterrupt) {
    size_t width = progressLine.width + (afterInterrupt ? 2 : 0);
    if (width == 0) return;
    std::string blank(width + 2, ' ');
    blank.front() = blank.back() = '\r';
    WriteTerminal(blank);
}

// The read with Ctrl+C caught (unless pk was started with SIGINT ignored).
LoadResult ReadCatchingInterrupt(StreamData& data, uint32_t& error) {
    struct sigaction catcher{}, previous{};
    catcher.sa_handler = OnInterrupt;
    sigemptyset(&catcher.sa_mask);
    sigaction(SIGINT, nullptr, &previous);
    bool catching = previous.sa_handler != SIG_IGN;
    if (catching) sigaction(SIGINT, &catcher, nullptr);
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigprocmask(SIG_BLOCK, &blocked, &before);
    interrupted = 0;
    StreamWatch watch{ShowProgress, &interrupted, &before};
    LoadResult result = ReadStream(STDIN_FILENO, MAX_FILE_SIZE, watch, data, error);
    sigprocmask(SIG_SETMASK, &before, nullptr);  // a Ctrl+C still pending arrives here
    if (catching) sigaction(SIGINT, &previous, nullptr);
    if (!interrupted) return result;
    if (result == LOAD_OK) ReleaseFileBlock(data.block, data.size);
    return LOAD_INTERRUPTED;
}

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
    progressLine = ProgressLine{open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC), 0};
    StreamData data;
    uint32_t error = 0;
    LoadResult result = ReadCatchingInterrupt(data, error);
    ClearProgress(result == LOAD_INTERRUPTED);
    if (progressLine.tty >= 0) close(progressLine.tty);
    progressLine = ProgressLine{};
    if (result != LOAD_OK) {
        if (result == LOAD_NO_MEMORY || result == LOAD_READ_ERROR) systemError = error;
        return result;
    }
    FileEntry& entry = fileTable[slot];
    entry = FileEntry{};
    CopyTitle(entry.name);
    StoreLoaded(entry, data.block, data.size, data.scan, data.index);
    program.currentEntry = slot;
    return LOAD_OK;
}

}  // namespace pk
