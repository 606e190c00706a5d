// Counting a mapped file in the background. A long stretch is cut into
// parts, one per processor, that start on LINE_INDEX_STEP boundaries so each
// thread writes its own index entries; each part is measured as if a line
// began at its first byte, and JoinPart mends the lines that run across the
// joins, so nothing depends on where the cuts fall. The first part is
// counted by the feed's own worker, which publishes its progress as it goes,
// so the screen can use the lines at the top at once. Counting threads run
// at a lower priority, so the screen never waits for them, and map each
// piece's pages in one call before they read it instead of faulting them in
// one by one.
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "files/feed_work.h"

namespace pk {

namespace {

constexpr int MAX_PARTS = 64;
constexpr uint64_t MIN_PART = uint64_t(64) << 20;
// Progress is published after each piece.
constexpr uint64_t PIECE = uint64_t(1) << 20;

int CountParts(const Feed& feed, uint64_t bytes) {
    if (feed.parts > 0) return std::min(feed.parts, MAX_PARTS);
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    uint64_t bySize = bytes / MIN_PART;
    return int(std::clamp<uint64_t>(std::min<uint64_t>(uint64_t(std::max(processors, 1L)), bySize), 1, MAX_PARTS));
}

// Start of part i of `parts` over [from, to) (i == parts: to).
uint64_t PartStart(uint64_t from, uint64_t to, int parts, int i) {
    if (i == 0) return from;
    if (i == parts) return to;
    uint64_t at = from + (to - from) / uint64_t(parts) * uint64_t(i);
    return std::max(from, at - at % LINE_INDEX_STEP);
}

// Below the screen's thread: counting uses whatever the screen leaves.
constexpr int COUNT_NICENESS = 10;

void LowerPriority() { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), COUNT_NICENESS); }

// The pages of data[from, to) mapped at once (where the system can).
void Populate(const uint8_t* data, uint64_t from, uint64_t to) {
#ifdef MADV_POPULATE_READ
    uint64_t page = uint64_t(sysconf(_SC_PAGESIZE));
    uint64_t start = from / page * page;
    madvise(const_cast<uint8_t*>(data) + start, to - start, MADV_POPULATE_READ);
#else
    (void)data, (void)from, (void)to;
#endif
}

// Measures state up to end in pieces; after each, publishes a view of size
// bytes when size is not 0.
void CountPart(Feed& feed, ScanState& state, uint64_t end, uint64_t size) {
    Bytes data(FeedData(feed), end);
    while (state.scanned < end && !feed.stop) {
        uint64_t next = std::min(end, state.scanned + PIECE);
        Populate(data.data(), state.scanned, next);
        ScanPart(data, next, state);
        if (size != 0) Publish(feed, size, false, false);
    }
}

// One pass over [state.scanned, to).
void CountPass(Feed& feed, uint64_t to) {
    uint64_t from = feed.state.scanned;
    int parts = CountParts(feed, to - from);
    ScanState others[MAX_PARTS];
    std::thread threads[MAX_PARTS];
    for (int i = 1; i < parts; ++i) {
        others[i] = StartScan(PartStart(from, to, parts, i), IndexSpan(feed));
        uint64_t end = PartStart(from, to, parts, i + 1);
        threads[i] = std::thread([&feed, &state = others[i], end] {
            LowerPriority();
            CountPart(feed, state, end, 0);
        });
    }
    CountPart(feed, feed.state, PartStart(from, to, parts, 1), to);
    for (int i = 1; i < parts; ++i) threads[i].join();
    if (feed.stop) return;
    for (int i = 1; i < parts; ++i) JoinPart(Bytes(FeedData(feed), to), feed.state, others[i]);
}

}  // namespace

void CountFile(Feed& feed) {
    for (;;) {
        uint64_t to;
        {
            std::lock_guard<std::mutex> hold(feed.lock);
            to = feed.target;
            if (feed.state.scanned >= to || feed.stop) {
                feed.working = false;
                break;
            }
        }
        CountPass(feed, to);
        Publish(feed, to, false, false);
    }
    if (!feed.stop) Publish(feed, feed.state.scanned, true, false);
}

void CountTop(Feed& feed) {
    // Enough lines for any screen, unless they are very long.
    constexpr uint64_t LINES = 256;
    constexpr uint64_t STEP = uint64_t(16) << 10;
    const uint64_t end = std::min(feed.target, PIECE);
    Bytes data(FeedData(feed), end);
    while (feed.state.scanned < end && feed.state.result.lineCount < LINES)
        ScanPart(data, std::min(end, feed.state.scanned + STEP), feed.state);
    Publish(feed, feed.target, false, false);
}

void CountInBackground(Feed& feed) {
    LowerPriority();
    CountFile(feed);
}

}  // namespace pk
