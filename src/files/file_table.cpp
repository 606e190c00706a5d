// The 16 file slots: which one is current, filling a slot with a loaded
// file, finding a free or an already loaded slot, switching to the next
// loaded file, closing the current one and releasing everything at shutdown.
#include "files/file_table.h"

#include <cstring>
#include <utility>

namespace pk {

FileEntry fileTable[FILE_SLOTS];

// A slot whose bytes are a blank slot's is left alone: writing all 16 (each
// with its full-length name) would copy every page of the table at each
// start. Bytes that differ, padding included, only mean one reset more.
void ResetFileTable() {
    static const FileEntry blank{};
    EndHoldingCounts();
    for (FileEntry& entry : fileTable)
        if (std::memcmp(static_cast<const void*>(&entry), &blank, sizeof entry) != 0) entry = FileEntry{};
}

FileEntry& CurrentEntry() { return fileTable[program.currentEntry]; }

uint64_t WidestLine(const FileEntry& entry, bool cells) {
    if (cells) return settings.tabsOn ? entry.widestCellsExpanded : entry.widestCellsRaw;
    return settings.tabsOn ? entry.longestExpanded : entry.longestRaw;
}

namespace {

bool Loaded(int slot) { return fileTable[slot].data != nullptr; }

void FreeSlot(int slot) {
    FileEntry& entry = fileTable[slot];
    ReleaseFeed(entry.feed);
    ReleaseFeed(entry.other.feed);
    entry = FileEntry{};
}

void StartAtTop(FileEntry& entry) {
    entry.view = FilePosition{1, 1, 0};
    entry.cache = LineCache{};
    entry.findStart = FilePosition{1, 1, 0};
    entry.found = FilePosition{};
    entry.findFlags = 0;
}

void TakeScan(FileEntry& entry, const ScanResult& scan) {
    entry.lineCount = scan.lineCount;
    entry.longestRaw = scan.longestRaw;
    entry.longestExpanded = scan.longestExpanded;
    entry.widestCellsRaw = scan.widestCellsRaw;
    entry.widestCellsExpanded = scan.widestCellsExpanded;
}

}  // namespace

void StoreLoaded(FileEntry& entry, const uint8_t* block, uint64_t size, const ScanResult& scan,
                 std::vector<uint64_t>& index) {
    entry.data = block;
    entry.size = size;
    entry.shownSize = size;
    entry.scanned = size;
    entry.ownIndex = std::move(index);
    entry.lineIndex = entry.ownIndex;
    TakeScan(entry, scan);
    StartAtTop(entry);
}

void StoreFed(FileEntry& entry, Feed* feed) {
    entry.feed = feed;
    RefreshEntry(entry);
    StartAtTop(entry);
}

void RefreshEntry(FileEntry& entry) {
    if (entry.feed == nullptr) return;
    FeedView v = ViewFeed(*entry.feed);
    entry.data = v.data;
    entry.size = v.size;
    entry.lineIndex = LineIndex(entry.feed->index, v.indexEntries);
    entry.counting = !v.counted || v.streaming;
    entry.streaming = v.streaming;
    entry.scanned = v.scanned;
    entry.failure = v.failure;
    entry.failureError = v.error;
    if (v.format != nullptr) entry.format = v.format;  // the raw side has none
    TakeScan(entry, v.scan);
}

int FindFreeEntry() {
    for (int slot = 0; slot < FILE_SLOTS; ++slot) {
        if (!Loaded(slot)) return slot;
    }
    return -1;
}

int FindLoadedFile(const char* fullPath, uint64_t device, uint64_t inode) {
    for (int slot = 0; slot < FILE_SLOTS; ++slot) {
        const FileEntry& entry = fileTable[slot];
        if (!Loaded(slot)) continue;
        if (std::strcmp(entry.name, fullPath) == 0) return slot;
        if (inode != 0 && entry.device == device && entry.inode == inode) return slot;
    }
    return -1;
}

int NextLoadedEntry() {
    for (int step = 1; step < FILE_SLOTS; ++step) {
        int slot = (program.currentEntry + step) % FILE_SLOTS;
        if (Loaded(slot)) {
            program.currentEntry = slot;
            return 1;
        }
    }
    return 0;
}

int CloseCurrentEntry() {
    for (int step = 1; step < FILE_SLOTS; ++step) {
        int slot = (program.currentEntry - step + FILE_SLOTS) % FILE_SLOTS;
        if (Loaded(slot)) {
            FreeSlot(program.currentEntry);
            program.currentEntry = slot;
            return 1;
        }
    }
    return 0;
}

void StartHeldCounts() {
    EndHoldingCounts();
    for (FileEntry& entry : fileTable) {
        if (entry.feed != nullptr) StartCounting(*entry.feed);
        if (entry.other.feed != nullptr) StartCounting(*entry.other.feed);
    }
}

void ReleaseAllEntries() {
    for (int slot = 0; slot < FILE_SLOTS; ++slot) {
        if (Loaded(slot)) FreeSlot(slot);
    }
}

}  // namespace pk
