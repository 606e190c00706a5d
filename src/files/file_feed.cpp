// Starting, viewing, growing and ending feeds. The view a reader takes is
// copied under the feed's lock; the worker writes the index and the bytes
// before it publishes a view that covers them, so whatever a view shows is
// complete.
#include "files/file_feed.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "files/feed_work.h"
#include "files/file_memory.h"
#include "files/file_table.h"

namespace pk {

namespace {

// Files up to this size are counted as they load (well under a millisecond).
constexpr uint64_t COUNT_AT_ONCE = uint64_t(1) << 20;

bool holding = false;  // HoldCounts

}  // namespace

uint64_t IndexBytesFor(uint64_t room) { return LineIndexSize(room) * sizeof(uint64_t); }

std::span<uint64_t> IndexSpan(Feed& feed) { return {feed.index, feed.indexBytes / sizeof(uint64_t)}; }

const uint8_t* FeedData(const Feed& feed) { return feed.block != nullptr ? feed.block : feed.map.base; }

namespace {

// An unended line longer than this is measured in cells only at the end: a
// line that grows without end is not walked again at every view.
constexpr uint64_t OPEN_LINE_MEASURED = uint64_t(1) << 20;

// The scan with a long line still open at size, its cells taken at most
// as many as its bytes until it is measured.
ScanResult LongOpenLine(const ScanState& s, uint64_t size) {
    ScanResult r = s.result;
    uint64_t raw = size - s.lineStart, expanded = s.tabColumn - 1 + (size - s.tabEnd);
    r.lineCount += 1;
    r.longestRaw = std::max(r.longestRaw, raw);
    r.longestExpanded = std::max(r.longestExpanded, expanded);
    r.widestCellsRaw = std::max(r.widestCellsRaw, raw);
    r.widestCellsExpanded = std::max(r.widestCellsExpanded, expanded);
    return r;
}

}  // namespace

void Publish(Feed& feed, uint64_t size, bool counted, bool streaming) {
    const ScanState& s = feed.state;
    FeedView v;
    v.data = FeedData(feed);
    v.size = size;
    v.scanned = s.scanned;
    v.scan = s.result;
    if (s.scanned == size && ((counted && !streaming) || size - s.lineStart <= OPEN_LINE_MEASURED)) {
        // The bytes after the last line feed are a line of their own.
        ScanState rest = s;
        v.scan = ScanFinish(Bytes(v.data, size), rest);
    } else if (s.scanned == size) {
        v.scan = LongOpenLine(s, size);
    } else if (s.lineStart < size) {
        v.scan.lineCount += 1;
    }
    v.indexEntries = std::min<uint64_t>(LineIndexSize(s.scanned), feed.indexBytes / sizeof(uint64_t));
    v.counted = counted;
    v.streaming = streaming;
    v.format = feed.format;
    {
        std::lock_guard<std::mutex> hold(feed.lock);
        v.failure = feed.shown.failure;
        v.error = feed.shown.error;
        feed.shown = v;
    }
    feed.changed.notify_all();
}

namespace {

// The index, reserved for every byte the data area can hold.
bool ReserveIndex(Feed& feed, uint64_t room, uint32_t& error) {
    uint64_t bytes = IndexBytesFor(room);
    feed.index = reinterpret_cast<uint64_t*>(ReserveBlock(bytes, bytes, feed.indexBytes, error));
    return feed.index != nullptr;
}

}  // namespace

Feed* StartFileFeed(int fd, uint64_t size, uint32_t& error, int parts) {
    Feed* feed = new Feed;
    feed->fd = fd;
    feed->parts = parts;
    if (!MapFile(fd, size, feed->map, error) || !ReserveIndex(*feed, feed->map.reserved, error)) {
        ReleaseFeed(feed);
        return nullptr;
    }
    feed->state = StartScan(0, IndexSpan(*feed));
    feed->target = size;
    feed->working = true;
    Publish(*feed, size, false, false);
    // A small file is counted before its first screen: no "+" to flicker.
    if (size <= COUNT_AT_ONCE) {
        CountFile(*feed);
    } else if (holding) {
        CountTop(*feed);
        feed->held = true;
    } else {
        feed->worker = std::thread(CountInBackground, std::ref(*feed));
    }
    return feed;
}

void HoldCounts() { holding = true; }
bool CountsHeld() { return holding; }
void EndHoldingCounts() { holding = false; }

void StartCounting(Feed& feed) {
    if (!feed.held) return;
    feed.held = false;
    feed.worker = std::thread(CountInBackground, std::ref(feed));
}

Feed* StartStreamFeed(int fd, uint64_t limit, uint32_t& error, bool sniff) {
    Feed* feed = new Feed;
    feed->fd = fd;
    feed->sniff = sniff;
    constexpr uint64_t LEAST = uint64_t(64) << 20;
    feed->block = ReserveBlock(limit, std::min(limit, LEAST), feed->blockSize, error);
    feed->limit = std::min(limit, feed->blockSize);
    if (feed->block == nullptr || !ReserveIndex(*feed, feed->blockSize, error) ||
        pipe2(feed->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (feed->block != nullptr && feed->wake[0] < 0) error = static_cast<uint32_t>(errno);
        ReleaseFeed(feed);
        return nullptr;
    }
    feed->state = StartScan(0, IndexSpan(*feed));
    Publish(*feed, 0, true, true);
    feed->worker = std::thread(ReadStream, std::ref(*feed));
    return feed;
}

FeedView ViewFeed(Feed& feed) {
    std::lock_guard<std::mutex> hold(feed.lock);
    return feed.shown;
}

bool GrowFileFeed(Feed& feed, uint64_t newSize) {
    std::unique_lock<std::mutex> hold(feed.lock);
    if (feed.block != nullptr || newSize <= feed.target) return true;
    if (!ExtendMap(feed.map, feed.fd, newSize)) return false;
    feed.target = newSize;
    // A worker that has finished is started again; one still at work sees
    // the new target when it ends its pass.
    bool idle = !feed.working;
    feed.working = true;
    hold.unlock();
    if (idle) {
        if (feed.worker.joinable()) feed.worker.join();
        // Until the new worker publishes, the view says there is more.
        hold.lock();
        feed.shown.size = newSize;
        feed.shown.counted = false;
        hold.unlock();
        feed.worker = std::thread(CountInBackground, std::ref(feed));
    }
    return true;
}

void StopStream(Feed& feed) {
    feed.stop = true;
    if (feed.wake[1] >= 0) (void)!write(feed.wake[1], "s", 1);
}

void ReleaseFeed(Feed* feed) {
    if (feed == nullptr) return;
    StopStream(*feed);
    if (feed->worker.joinable()) feed->worker.join();
    CloseDecompressor(feed->decompressor);
    UnmapFile(feed->map);
    ReleaseBlock(feed->block, feed->blockSize);
    ReleaseBlock(reinterpret_cast<uint8_t*>(feed->index), feed->indexBytes);
    for (int fd : {feed->fd, feed->wake[0], feed->wake[1]})
        if (fd >= 0) close(fd);
    delete feed;
}

}  // namespace pk
