// File content blocks as anonymous mappings. Large blocks start on a 2 MiB
// boundary and ask for transparent huge pages, which makes the first touch
// of each page (during the read) far cheaper.
#include "files/file_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

namespace pk {

namespace {

constexpr size_t HUGE_PAGE = size_t(2) << 20;

size_t PageSize() {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

size_t MappedLength(size_t size) { return RoundUp(size == 0 ? 1 : size, PageSize()); }

}  // namespace

uint8_t* AllocateFileBlock(size_t size, uint32_t& error) {
    size_t length = MappedLength(size);
    bool huge = length >= HUGE_PAGE;
    size_t mapped = huge ? length + HUGE_PAGE : length;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    uint8_t* base = static_cast<uint8_t*>(p);
    if (!huge) return base;
    // Keep the 2 MiB aligned part; give back the head and tail around it.
    uintptr_t aligned = RoundUp(reinterpret_cast<uintptr_t>(base), HUGE_PAGE);
    uint8_t* block = reinterpret_cast<uint8_t*>(aligned);
    size_t head = static_cast<size_t>(block - base);
    if (head != 0) munmap(base, head);
    size_t tail = mapped - head - length;
    if (tail != 0) munmap(block + length, tail);
    madvise(block, length, MADV_HUGEPAGE);
    return block;
}

uint8_t* ResizeFileBlock(uint8_t* block, size_t oldSize, size_t newSize, uint32_t& error) {
    size_t from = MappedLength(oldSize), to = MappedLength(newSize);
    if (to <= from) {
        if (to < from) munmap(block + to, from - to);
        return block;
    }
    void* p = mremap(block, from, to, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) {
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    if (to >= HUGE_PAGE) madvise(p, to, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(p);
}

void ReleaseFileBlock(uint8_t* block, size_t size) {
    if (block == nullptr) return;
    munmap(block, MappedLength(size));
}

}  // namespace pk
