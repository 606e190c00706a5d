// The parallel read. Parts start on LINE_INDEX_STEP boundaries, so each
// thread writes its own index entries; a thread that cannot be started has
// its part read by the calling thread instead. Each part is measured as if
// a line began at its first byte, and JoinPart mends the lines that run
// across the joins, so nothing depends on where the cuts fall.
#include "files/file_read.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pk {

namespace {

constexpr int MAX_PARTS = 64;
constexpr uint32_t MIN_PART = uint32_t(4) << 20;
// Each piece is measured right after it is read, while it is still in the
// processor's cache.
constexpr size_t PIECE = size_t(256) << 10;

struct PartJob {
    int fd = -1;
    Bytes whole;
    uint32_t end = 0;
    ScanState state;
    bool failed = false;
    uint32_t error = 0;
};

void ReadPart(PartJob& job) {
    uint8_t* block = const_cast<uint8_t*>(job.whole.data());
    for (uint32_t done = job.state.begin; done < job.end;) {
        size_t want = std::min<size_t>(PIECE, job.end - done);
        ssize_t got = pread(job.fd, block + done, want, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            job.failed = true;
            job.error = got < 0 ? static_cast<uint32_t>(errno) : 0;
            return;
        }
        done += static_cast<uint32_t>(got);
        ScanPart(job.whole, done, job.state);
    }
}

void* RunPart(void* job) {
    ReadPart(*static_cast<PartJob*>(job));
    return nullptr;
}

// Offset where part i of `parts` starts (i == parts: the end).
uint32_t PartStart(uint32_t size, int parts, int i) {
    if (i == parts) return size;
    uint64_t at = uint64_t(size) * uint64_t(i) / uint64_t(parts);
    return static_cast<uint32_t>(at - at % LINE_INDEX_STEP);
}

}  // namespace

int ReadParts(uint32_t size) {
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    long bySize = long(size / MIN_PART);
    return int(std::clamp<long>(std::min(processors, bySize), 1, MAX_PARTS));
}

LoadResult ReadAndMeasure(int fd, uint8_t* block, uint32_t size, int parts, std::span<uint32_t> index,
                          ScanResult& scan, uint32_t& error) {
    parts = std::clamp(parts, 1, MAX_PARTS);
    Bytes whole(block, size);
    PartJob jobs[MAX_PARTS];
    pthread_t threads[MAX_PARTS];
    bool started[MAX_PARTS] = {};
    for (int i = 0; i < parts; ++i) {
        jobs[i].fd = fd;
        jobs[i].whole = whole;
        jobs[i].end = PartStart(size, parts, i + 1);
        jobs[i].state = StartScan(PartStart(size, parts, i), index);
    }
    for (int i = 1; i < parts; ++i) started[i] = pthread_create(&threads[i], nullptr, RunPart, &jobs[i]) == 0;
    ReadPart(jobs[0]);
    for (int i = 1; i < parts; ++i) {
        if (started[i]) {
            pthread_join(threads[i], nullptr);
        } else {
            ReadPart(jobs[i]);
        }
    }
    for (int i = 0; i < parts; ++i) {
        if (jobs[i].failed) {
            error = jobs[i].error;
            return LOAD_READ_ERROR;
        }
    }
    ScanState state = jobs[0].state;
    for (int i = 1; i < parts; ++i) JoinPart(whole, state, jobs[i].state);
    scan = ScanFinish(whole, state);
    return LOAD_OK;
}

}  // namespace pk
