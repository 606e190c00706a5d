// Reading a descriptor of unknown length (standard input, a /proc file) to
// its end into one block while measuring its lines as a file is measured:
// the block grows as the bytes arrive; a watcher hears how much has come,
// first after a second and then at most four times a second; a flag that a
// signal handler sets ends the read.
#pragma once

#include <signal.h>

#include <csignal>
#include <cstdint>
#include <vector>

#include "files/file_table.h"
#include "text/line_scan.h"

namespace pk {

struct StreamWatch {
    void (*progress)(uint64_t bytesRead) = nullptr;
    const volatile std::sig_atomic_t* stop = nullptr;  // set: the read ends with LOAD_INTERRUPTED
    const sigset_t* waitMask = nullptr;  // the signal mask while waiting for input (none: as it is)
};

// What was read: size bytes in block (from AllocateFileBlock, exactly size
// bytes long), with their measure and line index.
struct StreamData {
    uint8_t* block = nullptr;
    uint32_t size = 0;
    ScanResult scan;
    std::vector<uint32_t> index;
};

// Reads fd to its end: LOAD_OK with data filled; LOAD_EMPTY when nothing
// came; LOAD_TOO_LARGE beyond limit bytes; LOAD_NO_MEMORY or LOAD_READ_ERROR
// with the errno; LOAD_INTERRUPTED once *watch.stop is set. On failure
// nothing stays allocated.
LoadResult ReadStream(int fd, uint32_t limit, const StreamWatch& watch, StreamData& data, uint32_t& error);

}  // namespace pk
