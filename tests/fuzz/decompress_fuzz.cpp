// Random and mutated compressed streams (seeded with one of each format)
// through the reader a loaded file or standard input uses, and through the
// copy made without a terminal: neither crashes or hangs, the feed keeps to
// its limit, a stop is explained, and both give the same bytes.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "files/file_feed.h"
#include "files/file_table.h"
#include "files/stream_copy.h"
#include "fuzz_check.h"

using namespace pk;
using pkfuzz::Check;

namespace {

constexpr uint64_t LIMIT = 1 << 20;
constexpr int HANG_MS = 20000;

std::string copied;

bool Take(Bytes bytes) {
    copied.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
}

int MemoryFile(const uint8_t* bytes, size_t size) {
    int fd = memfd_create("pk-fuzz", MFD_CLOEXEC);
    Check(fd >= 0 && write(fd, bytes, size) == ssize_t(size) && lseek(fd, 0, SEEK_SET) == 0, "a memory file");
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    uint32_t error = 0;
    Feed* feed = StartStreamFeed(MemoryFile(bytes, size), LIMIT, error, true);
    Check(feed != nullptr, "a feed");
    FeedView v = AwaitFeed(*feed, [](const FeedView&) { return false; }, HANG_MS);
    Check(!v.streaming, "the stream ends");
    Check(v.size <= LIMIT, "the limit holds");
    Check(v.failure == LOAD_OK || v.failure == LOAD_CORRUPT || v.failure == LOAD_TOO_LARGE, "a known stop");
    Check(v.failure != LOAD_CORRUPT || v.error == v.size, "the bytes kept are told");
    Check(v.format != nullptr || (v.size == size && std::equal(bytes, bytes + size, v.data)), "plain data as it is");
    std::string shown(reinterpret_cast<const char*>(v.data), v.size);
    ReleaseFeed(feed);

    int fd = MemoryFile(bytes, size);
    copied.clear();
    CopyRun run = CopyStream(fd, Take);
    close(fd);
    if (v.failure == LOAD_TOO_LARGE) Check(copied.compare(0, shown.size(), shown) == 0, "the copy begins alike");
    else Check(copied == shown && run.failure == v.failure, "the copy is the same");
    return 0;
}
