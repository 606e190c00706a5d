// The workers behind a feed (file_feed.h), shared by the files that make
// them: publishing what a worker knows, counting a mapped file, reading a
// stream.
#pragma once

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
// Reads feed.fd to its end into feed.block, counting as it goes.
void ReadStream(Feed& feed);
// The line index as the scans write it.
std::span<uint64_t> IndexSpan(Feed& feed);
// The bytes of a feed, wherever they live.
const uint8_t* FeedData(const Feed& feed);

}  // namespace pk
