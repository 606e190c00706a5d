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
    std::unique_ptr<uint8_t[]> block(new uint8_t[BLOCK]);
    Feed feed;
    feed.fd = fd;
    feed.block = block.get();
    feed.limit = BLOCK;
    CopyRun run;
    SourceRead got = SniffStream(feed);
    while (got.status == SOURCE_BYTES || got.status == SOURCE_AGAIN) {
        if (got.bytes > 0 && !take(Bytes(block.get(), got.bytes))) {
            run.takeFailed = true;
            break;
        }
        run.bytes += got.bytes;
        got = ReadSource(feed, block.get(), BLOCK);
    }
    if (got.status == SOURCE_FAILED) run.failure = LOAD_READ_ERROR, run.error = got.error;
    if (got.status == SOURCE_CORRUPT) run.failure = LOAD_CORRUPT, run.error = run.bytes;
    CloseDecompressor(feed.decompressor);
    feed.block = nullptr;
    feed.fd = -1;
    return run;
}

}  // namespace pk
