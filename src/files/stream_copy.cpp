// Copying a stream through the reader a feed uses (stream_copy.h): the same
// recognition of compressed data and the same reads, into one block that is
// handed on and used again, with nothing to stop it but its end.
#include "files/stream_copy.h"

#include <memory>

#include "files/feed_work.h"

namespace pk {

namespace {

constexpr uint64_t BLOCK = uint64_t(1) << 20;

}  // namespace

CopyRun CopyStream(int fd, bool (*take)(Bytes)) {
    // Room for the bytes read to recognise the format besides the block.
    std::unique_ptr<uint8_t[]> block(new uint8_t[4 * BLOCK]);
    Feed feed;
    feed.fd = fd;
    feed.block = block.get();
    feed.limit = 4 * BLOCK;
    CopyRun run;
    uint64_t size = SniffStream(feed);
    for (;;) {
        if (size > 0 && !take(Bytes(block.get(), size))) {
            run.takeFailed = true;
            break;
        }
        run.bytes += size;
        SourceRead got = ReadSource(feed, block.get(), BLOCK);
        size = got.bytes;
        if (got.status == SOURCE_BYTES || got.status == SOURCE_AGAIN) continue;
        if (got.status == SOURCE_FAILED) run.failure = LOAD_READ_ERROR, run.error = got.error;
        if (got.status == SOURCE_CORRUPT) run.failure = LOAD_CORRUPT, run.error = run.bytes;
        break;
    }
    CloseDecompressor(feed.decompressor);
    feed.block = nullptr;
    feed.fd = -1;
    return run;
}

}  // namespace pk
