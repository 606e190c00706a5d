// Reading a stream into its feed: wait for input (or the wake pipe, which
// StopStream writes), read what is there into the block, measure it and
// publish. The block is reserved at the stream's limit and only grows into
// memory as bytes arrive; a stream that fills it stops with LOAD_TOO_LARGE,
// keeping what it read.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "files/feed_work.h"
#include "files/file_table.h"

namespace pk {

namespace {

constexpr uint64_t READ_PIECE = uint64_t(1) << 20;

// Waits for input; false when the stream is to stop.
bool WaitForInput(Feed& feed) {
    struct pollfd fds[2] = {{feed.fd, POLLIN, 0}, {feed.wake[0], POLLIN, 0}};
    while (!feed.stop) {
        int n = poll(fds, 2, -1);
        if (n > 0) return !feed.stop;
        if (n < 0 && errno != EINTR) return true;  // the read reports it
    }
    return false;
}

void Fail(Feed& feed, LoadResult failure, uint32_t error) {
    std::lock_guard<std::mutex> hold(feed.lock);
    feed.shown.failure = failure;
    feed.shown.error = error;
}

}  // namespace

void ReadStream(Feed& feed) {
    uint64_t size = 0;
    while (WaitForInput(feed)) {
        uint64_t room = std::min(READ_PIECE, feed.limit - size);
        if (room == 0) {
            // Full: too large unless the stream ends right here.
            char more;
            ssize_t got = read(feed.fd, &more, 1);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got != 0) Fail(feed, LOAD_TOO_LARGE, 0);
            break;
        }
        ssize_t got = read(feed.fd, feed.block + size, room);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) Fail(feed, LOAD_READ_ERROR, static_cast<uint32_t>(errno));
        if (got <= 0) break;
        size += static_cast<uint64_t>(got);
        ScanPart(Bytes(feed.block, size), size, feed.state);
        Publish(feed, size, true, true);
    }
    Publish(feed, size, true, false);
}

}  // namespace pk
