// The workers behind a feed (file_feed.h), shared by the files that make
// them: publishing what a worker knows, counting a mapped file, reading a
// stream.
#pragma once

#include "files/compression.h"
#include "files/file_feed.h"

namespace pk {

// Copies the worker's state into the feed's view under its lock and wakes
// whoever waits. size: bytes there are; counted: all of them measured.
void Publish(Feed& feed, uint64_t size, bool counted, bool streaming);
// Counts a mapped file's bytes [state.scanned, target), in parts at once
// when there are many, until the target stops moving.
void CountFile(Feed& feed);
// CountFile as a thread below the screen's priority.
void CountInBackground(Feed& feed);
// Counts the lines at the top at once, in this thread: at least a screenful,
// within a few pieces, so that a first screen need not wait for a worker.
void CountTop(Feed& feed);
// What one read of a stream's source gave.
enum SourceStatus : int {
    SOURCE_BYTES = 0,    // bytes came
    SOURCE_AGAIN = 1,    // nothing yet: try again
    SOURCE_END = 2,
    SOURCE_STOPPED = 3,  // StopStream
    SOURCE_FAILED = 4,   // a read failed (error)
    SOURCE_CORRUPT = 5,  // compressed data that cannot be decompressed further
};

struct SourceRead {
    uint64_t bytes = 0;
    SourceStatus status = SOURCE_BYTES;
    uint32_t error = 0;
};

// Waits for input on feed.fd or a stop; false when the stream is to stop.
bool WaitForInput(Feed& feed);
// Reads at most room bytes of feed.fd as they come.
SourceRead ReadPlain(Feed& feed, uint8_t* out, uint64_t room);
// Starts decompressing feed.fd as `format`, whose first bytes were already
// read (first). nullptr when it cannot: failure says why (the data is
// corrupt, a read failed, the stream was stopped).
Decompressor* OpenDecompressor(Feed& feed, const CompressionFormat& format, Bytes first, SourceRead& failure);
// Decompresses at most room bytes into out.
SourceRead ReadDecompressed(Decompressor& d, uint8_t* out, uint64_t room);
// Gives back a decompressor; nullptr is ignored.
void CloseDecompressor(Decompressor* d);
// Reads a stream's first bytes into feed.block and, when they are a
// compressed format's magic number, sets up its decompressor. Returns the
// bytes of the stream now in the block (none when decompressing) and
// whether the stream goes on (SOURCE_BYTES) or why not.
SourceRead SniffStream(Feed& feed);
// Reads at most room bytes of the stream: decompressed, or as they come.
SourceRead ReadSource(Feed& feed, uint8_t* out, uint64_t room);
// Reads feed.fd to its end into feed.block, counting as it goes.
void ReadStream(Feed& feed);
// The line index as the scans write it.
std::span<uint64_t> IndexSpan(Feed& feed);
// The bytes of a feed, wherever they live.
const uint8_t* FeedData(const Feed& feed);

}  // namespace pk
