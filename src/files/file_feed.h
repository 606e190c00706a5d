// A loaded file's bytes and their measure, made in the background: a mapped
// regular file is counted by worker threads, a stream (standard input) is
// read and counted by a thread of its own as its bytes arrive. The screen
// takes a consistent view of what is known so far at any time; the bytes
// under a view never move or change.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "files/file_map.h"
#include "text/line_scan.h"

namespace pk {

enum LoadResult : int;

// What a feed knows at one moment.
struct FeedView {
    const uint8_t* data = nullptr;
    uint64_t size = 0;     // bytes that may be shown
    uint64_t scanned = 0;  // bytes measured
    // Lines and widest lines of data[0, size): the lines ended so far and,
    // while bytes follow the last line feed, the line they start.
    ScanResult scan;
    uint64_t indexEntries = 0;  // line index entries written
    bool counted = false;       // every byte there is has been measured
    bool streaming = false;     // a stream whose end has not come
    LoadResult failure{};       // why a stream stopped early (LOAD_OK: it did not)
    uint64_t error = 0;         // its system error, or the bytes kept before corrupt data
    const char* format = nullptr;  // the compressed format the bytes come out of
};

struct Decompressor;

struct Feed {
    std::mutex lock;
    std::condition_variable changed;
    FeedView shown;  // under lock
    // The area the bytes and the index live in.
    FileMap map;               // a regular file
    uint8_t* block = nullptr;  // a stream's own memory
    uint64_t blockSize = 0;
    uint64_t limit = 0;        // a stream's bytes at most (within blockSize)
    int parts = 0;             // a file is counted in this many parts (0: one per processor)
    uint64_t* index = nullptr;
    uint64_t indexBytes = 0;
    int fd = -1;
    int wake[2] = {-1, -1};    // a stream's reader waits on this too
    // A stream whose first bytes say it is compressed is read through this.
    bool sniff = false;
    Decompressor* decompressor = nullptr;
    const char* format = nullptr;
    // The worker's own.
    ScanState state;
    uint64_t target = 0;   // bytes to count (under lock)
    bool working = false;  // a worker is counting (under lock)
    bool held = false;     // the worker waits for StartCounting (HoldCounts)
    std::thread worker;
    std::atomic<bool> stop{false};
};

// Starts counting size bytes of the regular file fd, mapped, in `parts`
// parts at once (0: as many as pay); the feed owns fd from then on. nullptr
// with the errno when it cannot be mapped.
Feed* StartFileFeed(int fd, uint64_t size, uint32_t& error, int parts = 0);
// From now on a file feed counts only its top lines at once; the rest waits
// for StartCounting. The first screen goes out sooner without counting
// threads beside it.
void HoldCounts();
// Starts the count a held feed waits for; nothing for any other feed.
void StartCounting(Feed& feed);
// Whether feeds started now are held, and ends that: feeds started later
// count at once.
bool CountsHeld();
void EndHoldingCounts();
// Starts reading fd (a pipe or the like) to its end, at most limit bytes;
// the feed owns fd. nullptr with the errno when no memory can be had. With
// sniff, data that starts with the magic number of a compressed format
// (compression.h) is decompressed as it is read.
Feed* StartStreamFeed(int fd, uint64_t limit, uint32_t& error, bool sniff = false);
FeedView ViewFeed(Feed& feed);
// Waits until ready(view) holds, the feed has nothing more to give, or
// timeoutMs passed; returns the last view.
template <typename Ready>
FeedView AwaitFeed(Feed& feed, Ready ready, int timeoutMs) {
    std::unique_lock<std::mutex> hold(feed.lock);
    feed.changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        return ready(feed.shown) || (feed.shown.counted && !feed.shown.streaming);
    });
    return feed.shown;
}
// A regular file that grew to newSize: maps and counts the new bytes. False
// when the mapping cannot follow (read the file again instead).
bool GrowFileFeed(Feed& feed, uint64_t newSize);
// Ends a stream's reading: what arrived stays.
void StopStream(Feed& feed);
// Stops the workers and gives back everything; nullptr is ignored.
void ReleaseFeed(Feed* feed);
// Bytes of a file's index: one entry per LINE_INDEX_STEP bytes of room.
uint64_t IndexBytesFor(uint64_t room);

}  // namespace pk
