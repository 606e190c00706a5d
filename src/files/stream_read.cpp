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

#include "files/feed_work.h"
#include "files/file_memory.h"
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

SourceRead SniffStream(Feed& feed) {
    uint64_t size = 0;
    Bytes start(feed.block, 0);
    SourceRead got;
    while (size < MAGIC_BYTES && FormatOf(start) == nullptr && MayBeCompressed(start)) {
        got = ReadPlain(feed, feed.block + size, MAGIC_BYTES - size);
        if (got.status == SOURCE_AGAIN) continue;
        if (got.status != SOURCE_BYTES) break;
        size += got.bytes;
        start = Bytes(feed.block, size);
    }
    const CompressionFormat* format = FormatOf(start);
    // Bytes read are handed on first; the next read meets the end again.
    if (format == nullptr) return size > 0 ? SourceRead{size, SOURCE_BYTES, 0} : got;
    feed.format = format->name;
    SourceRead opened;
    feed.decompressor = OpenDecompressor(feed, *format, start, opened);
    return opened;
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
    SourceRead got = feed.sniff ? SniffStream(feed) : SourceRead{};
    uint64_t size = got.bytes;
    while (got.status == SOURCE_BYTES || got.status == SOURCE_AGAIN) {
        if (got.bytes > 0) {
            ScanPart(Bytes(feed.block, size), size, feed.state);
            Publish(feed, size, true, true);
        }
        // Full: too large unless the stream ends right here.
        uint64_t room = std::min(READ_PIECE, feed.limit - size);
        uint8_t spare;
        // Decompressed data fills the whole piece: its pages are backed at once.
        if (room > 0 && feed.decompressor != nullptr) BackBlock(feed.block + size, room);
        got = ReadSource(feed, room > 0 ? feed.block + size : &spare, room > 0 ? room : 1);
        if (room == 0 && got.bytes > 0) {
            Fail(feed, LOAD_TOO_LARGE, 0);
            break;
        }
        size += got.bytes;
    }
    if (got.status == SOURCE_FAILED) Fail(feed, LOAD_READ_ERROR, got.error);
    if (got.status == SOURCE_CORRUPT) Fail(feed, LOAD_CORRUPT, size);
    Publish(feed, size, true, false);
}

}  // namespace pk
