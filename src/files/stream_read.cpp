// Reading a stream into its feed: wait for input (or the wake pipe, which
// StopStream writes), read what is there into the block, measure it and
// publish. The first bytes of a stream that may be compressed are read
// first; when they are a compressed format's magic number, the rest comes
// out of a decompressor (decompress.cpp) through the same loop. The block is
// reserved at the stream's limit and only grows into memory as bytes
// arrive; a stream that fills it stops with LOAD_TOO_LARGE, keeping what it
// read; compressed data that breaks off stops with LOAD_CORRUPT.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/feed_work.h"
#include "files/file_table.h"

namespace pk {

namespace {

constexpr uint64_t READ_PIECE = uint64_t(1) << 20;

void Fail(Feed& feed, LoadResult failure, uint64_t error) {
    std::lock_guard<std::mutex> hold(feed.lock);
    feed.shown.failure = failure;
    feed.shown.error = error;
}

}  // namespace

SourceRead ReadSource(Feed& feed, uint8_t* out, uint64_t room) {
    if (feed.decompressor != nullptr) return ReadDecompressed(*feed.decompressor, out, room);
    return ReadPlain(feed, out, room);
}

uint64_t SniffStream(Feed& feed) {
    uint64_t size = 0;
    Bytes start(feed.block, 0);
    while (size < MAGIC_BYTES && FormatOf(start) == nullptr && MayBeCompressed(start)) {
        SourceRead got = ReadPlain(feed, feed.block + size, MAGIC_BYTES - size);
        if (got.status == SOURCE_AGAIN) continue;
        if (got.status != SOURCE_BYTES || got.bytes == 0) break;
        size += got.bytes;
        start = Bytes(feed.block, size);
    }
    const CompressionFormat* format = FormatOf(start);
    if (format == nullptr) return size;
    std::vector<uint8_t> taken;
    feed.decompressor = OpenDecompressor(feed, *format, start, taken);
    if (feed.decompressor != nullptr) {
        feed.format = format->name;
        return 0;
    }
    // Not that format after all: what was read is shown as it is.
    size = std::min<uint64_t>(taken.size(), feed.limit);
    if (size > 0) std::memcpy(feed.block, taken.data(), size);
    return size;
}

bool WaitForInput(Feed& feed) {
    struct pollfd fds[2] = {{feed.fd, POLLIN, 0}, {feed.wake[0], POLLIN, 0}};
    while (!feed.stop) {
        int n = poll(fds, 2, -1);
        if (n > 0) return !feed.stop;
        if (n < 0 && errno != EINTR) return true;  // the read reports it
    }
    return false;
}

SourceRead ReadPlain(Feed& feed, uint8_t* out, uint64_t room) {
    if (!WaitForInput(feed)) return {0, SOURCE_STOPPED, 0};
    ssize_t got = read(feed.fd, out, room);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return {0, SOURCE_AGAIN, 0};
    if (got < 0) return {0, SOURCE_FAILED, static_cast<uint32_t>(errno)};
    if (got == 0) return {0, SOURCE_END, 0};
    return {uint64_t(got), SOURCE_BYTES, 0};
}

void ReadStream(Feed& feed) {
    uint64_t size = feed.sniff ? SniffStream(feed) : 0;
    if (size > 0) {
        ScanPart(Bytes(feed.block, size), size, feed.state);
        Publish(feed, size, true, true);
    }
    for (;;) {
        // Full: too large unless the stream ends right here.
        uint64_t room = std::min(READ_PIECE, feed.limit - size);
        uint8_t spare;
        SourceRead got = ReadSource(feed, room > 0 ? feed.block + size : &spare, room > 0 ? room : 1);
        if (got.status == SOURCE_AGAIN) continue;
        if (got.status == SOURCE_FAILED) Fail(feed, LOAD_READ_ERROR, got.error);
        if (got.status == SOURCE_CORRUPT) Fail(feed, LOAD_CORRUPT, size);
        if (got.status != SOURCE_BYTES) break;
        if (got.bytes == 0) continue;
        if (room == 0) {
            Fail(feed, LOAD_TOO_LARGE, 0);
            break;
        }
        size += got.bytes;
        ScanPart(Bytes(feed.block, size), size, feed.state);
        Publish(feed, size, true, true);
    }
    Publish(feed, size, true, false);
}

}  // namespace pk
