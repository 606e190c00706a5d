// A regular file shown where the system caches it: mapped read-only into an
// address range reserved beyond its size, so the mapping can follow the file
// as it grows without moving. A file cut short by another program would make
// a read of the lost pages raise SIGBUS; the guard covers such pages with
// zeros instead, so pk reads nothing there and lives on.
#pragma once

#include <atomic>
#include <cstdint>

namespace pk {

struct FileMap {
    uint8_t* base = nullptr;  // none = not mapped
    uint64_t reserved = 0;    // bytes of the range
    uint64_t mapped = 0;      // bytes of the file mapped (whole pages)
    bool covered = false;     // CoverPastEnd took pages from the file: the map is stale
    int slot = -1;            // its place among the guarded ranges
};

// Maps size bytes of fd (open for reading) into a new range with room to
// grow. False with the errno in error.
bool MapFile(int fd, uint64_t size, FileMap& map, uint32_t& error);
// Maps the file up to newSize bytes (after it grew). False when the range
// has no room for that size or the mapping fails; the old part stays.
bool ExtendMap(FileMap& map, int fd, uint64_t newSize);
// Covers the pages past newSize (the file shrank) with zeros, so nothing is
// read from where the file no longer is. Once covered, the map no longer
// shows the file whatever it becomes: it is to be read again.
void CoverPastEnd(FileMap& map, uint64_t newSize);
void UnmapFile(FileMap& map);
// Whether a read of the range met a page the file no longer has (the guard
// covered it) since the last call.
bool TakeCutShort(const FileMap& map);
// Installs the SIGBUS guard, passing other faults on to whatever handler
// was there before. Again after another handler took the signal.
void GuardMappedFiles();

}  // namespace pk
