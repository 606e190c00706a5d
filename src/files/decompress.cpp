// Decompressing a stream as it is read. The compressed bytes are pulled as
// a plain read takes them (waiting on the descriptor and the stop pipe),
// starting with the bytes already read to recognise the format. gzip goes
// through zlib, which checks each member's CRC and length (libarchive's gzip
// reader does not, so corrupt data that still inflates would pass); the
// other formats through libarchive's raw reading with only the recognised
// filter enabled, so no other filter (and no outside program) is ever tried
// on the data. libarchive hands out what it decompressed in blocks of its
// own: data that breaks off loses the block it breaks off in.
#include <archive.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
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
    // gzip: zlib's stream, whether it is between members, and whether the
    // data broke after the bytes last handed out.
    bool zlib = false;
    z_stream z{};
    bool memberDone = false;
    bool broken = false;
};

namespace {

constexpr size_t INPUT_BYTES = 256 * 1024;

// The next compressed bytes: their count (0 at the end or a stop, negative
// when the read failed), at *buffer.
la_ssize_t Pull(Decompressor& d, const void** buffer) {
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

la_ssize_t Supply(struct archive*, void* data, const void** buffer) {
    return Pull(*static_cast<Decompressor*>(data), buffer);
}

}  // namespace

// Why the library stopped: a stop, a failed read, or the data.
SourceRead Failure(const Decompressor& d) {
    if (d.feed->stop) return {0, SOURCE_STOPPED, 0};
    if (d.readError != 0) return {0, SOURCE_FAILED, d.readError};
    return {0, SOURCE_CORRUPT, 0};
}

// Inflates gzip members one after another into out, as gzip itself does;
// bytes after the last member that start no other are ignored.
SourceRead Inflate(Decompressor& d, uint8_t* out, uint64_t room) {
    if (d.broken) return Failure(d);
    z_stream& z = d.z;
    z.next_out = out;
    z.avail_out = uInt(std::min<uint64_t>(room, uint64_t(1) << 30));
    for (;;) {
        if (z.avail_in == 0) {
            const void* buffer = nullptr;
            la_ssize_t n = Pull(d, &buffer);
            if (n < 0 || (n == 0 && (d.feed->stop || !d.memberDone))) return Failure(d);
            if (n == 0) return {0, SOURCE_END, 0};
            z.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
            z.avail_in = uInt(n);
        }
        if (d.memberDone) {
            if (z.next_in[0] != 0x1F) return {0, SOURCE_END, 0};
            inflateReset(&z);
            d.memberDone = false;
        }
        int r = inflate(&z, Z_NO_FLUSH);
        uint64_t made = uint64_t(z.next_out - out);
        d.memberDone = r == Z_STREAM_END;
        d.broken = r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR;
        if (made > 0) return {made, SOURCE_BYTES, 0};
        if (d.broken) return Failure(d);
    }
}

Decompressor* OpenDecompressor(Feed& feed, const CompressionFormat& format, Bytes first, SourceRead& failure) {
    Decompressor* d = new Decompressor;
    d->feed = &feed;
    d->input.assign(first.begin(), first.end());
    d->firstSize = first.size();
    if (format.filter == nullptr) {
        // 16 + 15: a gzip wrapper around a window of up to 32 KiB.
        d->zlib = inflateInit2(&d->z, 16 + 15) == Z_OK;
        if (d->zlib) return d;
        failure = {0, SOURCE_FAILED, ENOMEM};
        CloseDecompressor(d);
        return nullptr;
    }
    d->archive = archive_read_new();
    struct archive_entry* entry = nullptr;
    bool open = d->archive != nullptr && format.filter(d->archive) == ARCHIVE_OK &&
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
    if (d.zlib) return Inflate(d, out, room);
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
    if (d->zlib) inflateEnd(&d->z);
    delete d;
}

}  // namespace pk
