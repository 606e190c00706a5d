// Decompressing a stream as it is read: the decompression library pulls the
// compressed bytes through a callback that waits on the descriptor and the
// stop pipe as a plain read does, starting with the bytes already read to
// recognise the format. Only the one recognised format is enabled, so no
// other filter (and no outside program) is ever tried on the data. The
// library hands out what it decompressed in blocks of its own (64 KiB for
// gzip): data that breaks off loses the block it breaks off in.
#include <archive.h>

#include <algorithm>
#include <cstring>

#include "files/feed_work.h"

namespace pk {

struct Decompressor {
    Feed* feed = nullptr;
    struct archive* archive = nullptr;
    std::vector<uint8_t> input;    // the compressed bytes the library reads now
    uint64_t firstSize = 0;        // input holds bytes read before: hand them over first
    uint32_t readError = 0;
    // Decompressed bytes the library gave that did not fit the last read.
    const uint8_t* left = nullptr;
    size_t leftSize = 0;
};

namespace {

constexpr size_t INPUT_BYTES = 256 * 1024;

la_ssize_t Supply(struct archive*, void* data, const void** buffer) {
    Decompressor& d = *static_cast<Decompressor*>(data);
    uint64_t n = 0;
    if (d.firstSize > 0) {
        n = d.firstSize;
        d.firstSize = 0;
    } else {
        d.input.resize(INPUT_BYTES);
        SourceRead got;
        do got = ReadPlain(*d.feed, d.input.data(), d.input.size());
        while (got.status == SOURCE_AGAIN);
        if (got.status == SOURCE_FAILED) {
            d.readError = got.error;
            return ARCHIVE_FATAL;
        }
        n = got.bytes;  // 0 at the end, and when the stream is stopped
    }
    *buffer = d.input.data();
    return la_ssize_t(n);
}

}  // namespace

// Why the library stopped: a stop, a failed read, or the data.
SourceRead Failure(const Decompressor& d) {
    if (d.feed->stop) return {0, SOURCE_STOPPED, 0};
    if (d.readError != 0) return {0, SOURCE_FAILED, d.readError};
    return {0, SOURCE_CORRUPT, 0};
}

Decompressor* OpenDecompressor(Feed& feed, const CompressionFormat& format, Bytes first, SourceRead& failure) {
    Decompressor* d = new Decompressor;
    d->feed = &feed;
    d->input.assign(first.begin(), first.end());
    d->firstSize = first.size();
    d->archive = archive_read_new();
    struct archive_entry* entry = nullptr;
    bool open = d->archive != nullptr && format.support(d->archive) == ARCHIVE_OK &&
                archive_read_support_format_raw(d->archive) == ARCHIVE_OK &&
                archive_read_open(d->archive, d, nullptr, Supply, nullptr) == ARCHIVE_OK &&
                archive_read_next_header(d->archive, &entry) == ARCHIVE_OK;
    if (!open) {
        failure = Failure(*d);
        CloseDecompressor(d);
        return nullptr;
    }
    return d;
}

SourceRead ReadDecompressed(Decompressor& d, uint8_t* out, uint64_t room) {
    if (d.leftSize == 0) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r = archive_read_data_block(d.archive, &block, &size, &offset);
        if (r == ARCHIVE_EOF) return {0, SOURCE_END, 0};
        if (r != ARCHIVE_OK || d.feed->stop) return Failure(d);
        d.left = static_cast<const uint8_t*>(block);
        d.leftSize = size;
    }
    size_t n = size_t(std::min<uint64_t>(room, d.leftSize));
    if (n > 0) std::memcpy(out, d.left, n);
    d.left += n;
    d.leftSize -= n;
    return {n, SOURCE_BYTES, 0};
}

void CloseDecompressor(Decompressor* d) {
    if (d == nullptr) return;
    if (d->archive != nullptr) archive_read_free(d->archive);
    delete d;
}

}  // namespace pk
