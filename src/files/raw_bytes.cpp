// Switching a compressed file between its decompressed and raw bytes
// (raw_bytes.h). The raw side maps the same open file a second time: a
// descriptor of its own whose offset nothing reads by.
#include "files/raw_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pk {

namespace {

// A file feed over the raw bytes of the stream feed's descriptor.
Feed* MapRaw(const Feed& stream, RawResult& result, uint32_t& error) {
    struct stat st;
    if (fstat(stream.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        result = RAW_NOT_KEPT;
        return nullptr;
    }
    int fd = fcntl(stream.fd, F_DUPFD_CLOEXEC, 3);
    Feed* feed = fd >= 0 ? StartFileFeed(fd, uint64_t(st.st_size), error) : nullptr;
    if (fd < 0) error = static_cast<uint32_t>(errno);
    result = feed != nullptr ? RAW_SHOWN : RAW_FAILED;
    return feed;
}

void SwapSides(FileEntry& entry) {
    FileSide& other = entry.other;
    std::swap(entry.feed, other.feed);
    std::swap(entry.view, other.view);
    std::swap(entry.cache, other.cache);
    std::swap(entry.findStart, other.findStart);
    std::swap(entry.found, other.found);
    std::swap(entry.findFlags, other.findFlags);
    entry.rawShown = !entry.rawShown;
    RefreshEntry(entry);
}

}  // namespace

RawResult ShowRawBytes(FileEntry& entry, bool raw, uint32_t& error) {
    if (entry.format == nullptr || entry.feed == nullptr || raw == entry.rawShown) return RAW_SHOWN;
    if (entry.other.feed == nullptr) {
        RawResult result = RAW_SHOWN;
        entry.other = FileSide{};
        entry.other.feed = MapRaw(*entry.feed, result, error);
        if (entry.other.feed == nullptr) return result;
    }
    SwapSides(entry);
    return RAW_SHOWN;
}

}  // namespace pk
