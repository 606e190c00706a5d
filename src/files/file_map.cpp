// File mappings and their guard. Each mapping takes a slot in a fixed table
// of ranges that the SIGBUS handler reads without locks; the handler maps
// zero pages over the rest of the range from the faulting page and returns,
// so the read that faulted is made again and sees zeros.
#include "files/file_map.h"

#include <signal.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>

#include "files/file_memory.h"

namespace pk {

namespace {

constexpr int GUARDED = 64;
// Room to grow beyond the size at the start: follows any log for long.
constexpr uint64_t GROWTH_ROOM = uint64_t(64) << 30;

struct GuardedRange {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> cut{false};
};

GuardedRange guarded[GUARDED];
struct sigaction previousBus;

void PassOn(int sig, siginfo_t* info, void* context) {
    if (previousBus.sa_flags & SA_SIGINFO) {
        if (previousBus.sa_sigaction != nullptr) previousBus.sa_sigaction(sig, info, context);
        return;
    }
    if (previousBus.sa_handler != SIG_DFL && previousBus.sa_handler != SIG_IGN) {
        previousBus.sa_handler(sig);
        return;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

// Zero pages over [from, from + length) of a mapping: reads there see
// nothing instead of faulting. Async-signal-safe.
bool CoverWithZeros(uintptr_t from, uint64_t length) {
    return mmap(reinterpret_cast<void*>(from), length, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED | MAP_NORESERVE,
                -1, 0) != MAP_FAILED;
}

void OnBus(int sig, siginfo_t* info, void* context) {
    uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (GuardedRange& r : guarded) {
        uintptr_t begin = r.begin.load(), end = r.end.load();
        if (at < begin || at >= end) continue;
        uintptr_t page = at / PageSize() * PageSize();
        int saved = errno;
        bool covered = CoverWithZeros(page, end - page);
        errno = saved;
        if (!covered) break;
        r.cut = true;
        return;
    }
    PassOn(sig, info, context);
}

int TakeSlot(uint8_t* base, uint64_t reserved) {
    for (int i = 0; i < GUARDED; ++i) {
        uintptr_t none = 0;
        if (guarded[i].begin.compare_exchange_strong(none, reinterpret_cast<uintptr_t>(base))) {
            guarded[i].end = reinterpret_cast<uintptr_t>(base) + reserved;
            guarded[i].cut = false;
            return i;
        }
    }
    return -1;
}

bool MapPart(FileMap& map, int fd, uint64_t from, uint64_t to) {
    if (to <= from) return true;
    void* p = mmap(map.base + from, to - from, PROT_READ, MAP_SHARED | MAP_FIXED, fd, static_cast<off_t>(from));
    return p != MAP_FAILED;
}

}  // namespace

void GuardMappedFiles() {
    struct sigaction current {};
    sigaction(SIGBUS, nullptr, &current);
    if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == OnBus) return;
    struct sigaction guard {};
    guard.sa_sigaction = OnBus;
    guard.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&guard.sa_mask);
    sigaction(SIGBUS, &guard, &previousBus);
}

bool MapFile(int fd, uint64_t size, FileMap& map, uint32_t& error) {
    GuardMappedFiles();
    map = FileMap{};
    uint64_t length = RoundUp(size, PageSize());
    map.reserved = length + GROWTH_ROOM;
    void* p = mmap(nullptr, map.reserved, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) {
        error = static_cast<uint32_t>(errno);
        return false;
    }
    map.base = static_cast<uint8_t*>(p);
    if (!MapPart(map, fd, 0, length)) {
        error = static_cast<uint32_t>(errno);
        munmap(p, map.reserved);
        map = FileMap{};
        return false;
    }
    map.mapped = length;
    map.slot = TakeSlot(map.base, map.reserved);
    madvise(map.base, length, MADV_SEQUENTIAL);
    return true;
}

bool ExtendMap(FileMap& map, int fd, uint64_t newSize) {
    uint64_t length = RoundUp(newSize, PageSize());
    if (length > map.reserved) return false;
    // The last page mapped may have been covered with zeros: map it again.
    uint64_t from = std::min(map.mapped, length) / PageSize() * PageSize();
    if (map.mapped > 0 && from == map.mapped) from -= PageSize();
    if (!MapPart(map, fd, from, length)) return false;
    map.mapped = std::max(map.mapped, length);
    return true;
}

void CoverPastEnd(FileMap& map, uint64_t newSize) {
    uint64_t from = RoundUp(newSize, PageSize());
    if (from >= map.mapped) return;
    CoverWithZeros(reinterpret_cast<uintptr_t>(map.base + from), map.mapped - from);
    map.mapped = from;
    map.covered = true;
}

void UnmapFile(FileMap& map) {
    if (map.base == nullptr) return;
    if (map.slot >= 0) {
        guarded[map.slot].end = 0;
        guarded[map.slot].begin = 0;
    }
    munmap(map.base, map.reserved);
    map = FileMap{};
}

bool TakeCutShort(const FileMap& map) { return map.slot >= 0 && guarded[map.slot].cut.exchange(false); }

}  // namespace pk
