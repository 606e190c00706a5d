// Reserved ranges as anonymous mappings without a commitment of memory
// (MAP_NORESERVE): untouched pages cost nothing, so a stream's block and a
// line index can be reserved at their limit and grow in place.
#include "files/file_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace pk {

uint64_t PageSize() {
    static const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    return page;
}

uint8_t* ReserveBlock(uint64_t want, uint64_t least, uint64_t& size, uint32_t& error) {
    uint64_t length = RoundUp(want == 0 ? 1 : want, PageSize());
    least = RoundUp(least == 0 ? 1 : least, PageSize());
    for (;;) {
        void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p != MAP_FAILED) {
            size = length;
            return static_cast<uint8_t*>(p);
        }
        if (errno != ENOMEM || length <= least) break;
        length = RoundUp(length / 2 < least ? least : length / 2, PageSize());
    }
    error = static_cast<uint32_t>(errno);
    return nullptr;
}

void BackBlock(uint8_t* at, uint64_t bytes) {
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23;  // Linux 5.14; older systems refuse it and fault page by page
#endif
    uint64_t start = reinterpret_cast<uintptr_t>(at) / PageSize() * PageSize();
    uint64_t end = RoundUp(reinterpret_cast<uintptr_t>(at) + bytes, PageSize());
    (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

void ReleaseBlock(uint8_t* block, uint64_t size) {
    if (block != nullptr) munmap(block, RoundUp(size, PageSize()));
}

}  // namespace pk
