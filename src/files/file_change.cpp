// File changes and the wait for the count. The size comes from the open
// descriptor (the file pk maps), the identity from the name, so a log
// rotated by renaming shows as replaced while pk still holds the old file.
#include "files/file_change.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace pk {

namespace {

CountWaiter countWaiter = nullptr;

// A mapped file, not the raw side of a compressed one (which is not followed).
bool IsFile(const FileEntry& entry) {
    return entry.feed != nullptr && entry.feed->block == nullptr && entry.other.feed == nullptr;
}

}  // namespace

FileChange CheckFileChange(FileEntry& entry) {
    if (!IsFile(entry)) return CHANGE_NONE;
    Feed& feed = *entry.feed;
    struct stat now, named;
    bool cut = TakeCutShort(feed.map);
    if (fstat(feed.fd, &now) != 0) return CHANGE_NONE;
    if (stat(entry.name, &named) == 0 &&
        (uint64_t(named.st_dev) != entry.device || uint64_t(named.st_ino) != entry.inode))
        return CHANGE_REPLACED;
    uint64_t size = static_cast<uint64_t>(now.st_size);
    // A file cut short stays so however it grows again: the pages taken
    // from it read as zeros until it is read again.
    if (cut || size < entry.shownSize || feed.map.covered) {
        CoverPastEnd(feed.map, size);
        return CHANGE_SHRUNK;
    }
    return size > entry.shownSize ? CHANGE_GROWN : CHANGE_NONE;
}

bool TakeFileChange(FileEntry& entry, FileChange change) {
    if (change == CHANGE_NONE || !IsFile(entry)) return true;
    if (change == CHANGE_GROWN) {
        struct stat now;
        if (fstat(entry.feed->fd, &now) != 0) return false;
        uint64_t size = static_cast<uint64_t>(now.st_size);
        if (GrowFileFeed(*entry.feed, size)) {
            entry.shownSize = size;
            RefreshEntry(entry);
            return true;
        }
    }
    // Read again from the start: a new feed takes the old one's place.
    FileEntry fresh;
    std::memcpy(fresh.name, entry.name, sizeof fresh.name);
    FileEntry old = std::move(entry);
    entry = std::move(fresh);
    int slot = int(&entry - fileTable);
    uint32_t error = 0;
    if (ReadFileData(slot, error, true) != LOAD_OK) {
        entry = std::move(old);
        return false;
    }
    ReleaseFeed(old.feed);
    return true;
}

void SetCountWaiter(CountWaiter waiter) { countWaiter = waiter; }

bool CountedTo(const FileEntry& entry, CountNeed need) {
    if (!entry.counting) return true;
    // A stream's bytes are counted as they come: what is there is all there is.
    if (entry.streaming && entry.scanned >= entry.size) return true;
    return entry.scanned >= need.bytes && (need.lines == 0 || entry.lineCount > need.lines);
}

CountNeed WholeCount(const FileEntry& entry) { return CountNeed{entry.size, 0}; }

bool AwaitCounted(FileEntry& entry, CountNeed need) {
    RefreshEntry(entry);
    if (CountedTo(entry, need)) return true;
    if (entry.feed != nullptr) StartCounting(*entry.feed);
    if (countWaiter != nullptr) return countWaiter(entry, need);
    while (!CountedTo(entry, need)) {
        AwaitFeed(*entry.feed, [](const FeedView&) { return false; }, 10);
        RefreshEntry(entry);
    }
    return true;
}

}  // namespace pk
