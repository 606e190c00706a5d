// Copying to standard output when there is no terminal (see copy_out.h).
#include "app/copy_out.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "app/startup_output.h"
#include "files/standard_input.h"
#include "files/stream_copy.h"
#include "files/system_error.h"
#include "files/write_all.h"

namespace pk {

namespace {

// A message quotes at most a full path.
constexpr int MESSAGE_BUFFER = 2 * NAME_SIZE + 128;

void LoadMessage(LoadResult result, const char* name, uint64_t error) {
    char message[MESSAGE_BUFFER];
    LongLoadMessage(message, sizeof message, result, name, name, error);
    PrintError(message);
}

bool WriteOut(Bytes bytes) {
    return WriteAll(STDOUT_FILENO, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Copies from fd to standard output until its end, decompressed when it is
// compressed: the bytes copied, or -1 after the failure's message (a read
// failure names name).
int64_t Stream(int fd, const char* name) {
    CopyRun run = CopyStream(fd, WriteOut);
    if (run.takeFailed) {
        PrintError("pk: cannot write standard output, rc = " + SystemErrorText(uint32_t(errno)));
        return -1;
    }
    if (run.failure != LOAD_OK) {
        LoadMessage(run.failure, name, run.error);
        return -1;
    }
    return int64_t(run.bytes);
}

// One loaded file, opened again by its path.
bool CopyFile(const FileEntry& entry) {
    int fd = open(entry.name, O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        LoadMessage(LOAD_OPEN_ERROR, entry.name, uint32_t(errno));
        return false;
    }
    bool ok = Stream(fd, entry.name) >= 0;
    close(fd);
    return ok;
}

}  // namespace

bool TerminalOpens() {
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
}

LoadResult StandardInputForCopy(std::vector<int>& copy) {
    if (isatty(STDIN_FILENO)) {
        LoadMessage(LOAD_INPUT_IS_TERMINAL, STANDARD_INPUT_TITLE, 0);
        return LOAD_INPUT_IS_TERMINAL;
    }
    if (std::find(copy.begin(), copy.end(), COPY_STANDARD_INPUT) == copy.end()) copy.push_back(COPY_STANDARD_INPUT);
    return LOAD_OK;
}

CopyResult CopyToOutput(const std::vector<int>& copy) {
    // The copy reads every file itself: the readers loading compressed ones
    // for a screen stop.
    for (int item : copy)
        if (item != COPY_STANDARD_INPUT && fileTable[item].feed != nullptr) StopStream(*fileTable[item].feed);
    bool copied = false;
    for (int item : copy) {
        if (item != COPY_STANDARD_INPUT) {
            if (!CopyFile(fileTable[item])) return COPY_FAILED;
            copied = true;
            continue;
        }
        int64_t n = Stream(STDIN_FILENO, STANDARD_INPUT_TITLE);
        if (n < 0) return COPY_FAILED;
        if (n == 0) LoadMessage(LOAD_EMPTY, STANDARD_INPUT_TITLE, 0);
        copied = copied || n > 0;
    }
    return copied ? COPY_DONE : COPY_NOTHING;
}

}  // namespace pk
