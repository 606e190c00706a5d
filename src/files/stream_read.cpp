// Reading to the end of a descriptor of unknown length. The block doubles
// when full (the system moves its pages, nothing is copied) and is cut to
// the data's size at the end. Each piece is measured as soon as it is in,
// so the measure and the line index are those of one pass over the bytes.
#include "files/stream_read.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "files/file_memory.h"

namespace pk {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t FIRST_BLOCK = size_t(1) << 20;
// Each piece is measured right after it is read, while it is in the cache.
constexpr size_t READ_PIECE = size_t(256) << 10;
constexpr auto QUIET_TIME = std::chrono::seconds(1);
constexpr auto PROGRESS_STEP = std::chrono::milliseconds(250);

struct Reading {
    int fd = -1;
    size_t limit = 0;
    size_t capacity = 0;
    size_t done = 0;
    ScanState scan;
};

// Waits until fd has input (true) or the next report is due or a signal
// came (false). A failing wait counts as input, so the read reports it.
bool WaitForInput(int fd, const StreamWatch& watch, Clock::time_point due) {
    auto left = std::max<int64_t>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(due - Clock::now()).count());
    struct timespec timeout{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
    struct pollfd input{fd, POLLIN, 0};
    int n = ppoll(&input, 1, &timeout, watch.waitMask);
    return n > 0 || (n < 0 && errno != EINTR);
}

// Room for one more piece; one byte beyond the limit marks too large a
// stream.
bool MakeRoom(Reading& r, StreamData& data, uint32_t& error) {
    if (r.done < r.capacity) return true;
    size_t want = std::min(r.capacity * 2, r.limit + 1);
    uint8_t* grown = ResizeFileBlock(data.block, r.capacity, want, error);
    if (grown == nullptr) return false;
    data.block = grown;
    r.capacity = want;
    return true;
}

// One read, measured; ended is set at the end of the input.
LoadResult ReadPiece(Reading& r, StreamData& data, bool& ended, uint32_t& error) {
    if (!MakeRoom(r, data, error)) return LOAD_NO_MEMORY;
    ssize_t got = read(r.fd, data.block + r.done, std::min(READ_PIECE, r.capacity - r.done));
    if (got < 0) {
        if (errno == EINTR || errno == EAGAIN) return LOAD_OK;
        error = static_cast<uint32_t>(errno);
        return LOAD_READ_ERROR;
    }
    ended = got == 0;
    r.done += static_cast<size_t>(got);
    if (r.done > r.limit) return LOAD_TOO_LARGE;
    data.index.resize(LineIndexSize(static_cast<uint32_t>(r.done)));
    r.scan.index = data.index;
    ScanPart(Bytes(data.block, r.done), static_cast<uint32_t>(r.done), r.scan);
    return LOAD_OK;
}

LoadResult ReadToEnd(Reading& r, const StreamWatch& watch, StreamData& data, uint32_t& error) {
    Clock::time_point due = Clock::now() + QUIET_TIME;
    for (bool ended = false; !ended;) {
        if (watch.stop != nullptr && *watch.stop) return LOAD_INTERRUPTED;
        bool ready = WaitForInput(r.fd, watch, due);
        if (Clock::now() >= due) {
            if (watch.progress != nullptr) watch.progress(r.done);
            due = Clock::now() + PROGRESS_STEP;
        }
        if (!ready) continue;
        LoadResult result = ReadPiece(r, data, ended, error);
        if (result != LOAD_OK) return result;
    }
    data.size = static_cast<uint32_t>(r.done);
    data.scan = ScanFinish(Bytes(data.block, r.done), r.scan);
    return LOAD_OK;
}

}  // namespace

LoadResult ReadStream(int fd, uint32_t limit, const StreamWatch& watch, StreamData& data, uint32_t& error) {
    data = StreamData{};
    Reading r;
    r.fd = fd;
    r.limit = limit;
    r.capacity = std::min(FIRST_BLOCK, r.limit + 1);
    r.scan = StartScan(0, {});
    data.block = AllocateFileBlock(r.capacity, error);
    if (data.block == nullptr) return LOAD_NO_MEMORY;
    LoadResult result = ReadToEnd(r, watch, data, error);
    if (result == LOAD_OK && r.done == 0) result = LOAD_EMPTY;
    if (result != LOAD_OK) {
        ReleaseFileBlock(data.block, r.capacity);
        data = StreamData{};
        return result;
    }
    data.block = ResizeFileBlock(data.block, r.capacity, r.done, error);
    return LOAD_OK;
}

}  // namespace pk
