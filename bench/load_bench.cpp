// Loading a log-like file whole (1 GiB; ~4 MiB with PK_BENCH_SMALL=1) from a
// warm page cache: LoadFiles (allocate, read, measure the lines) against a
// plain read() into a fresh malloc block followed by a byte-at-a-time scan.
// Reports throughput, the ratio "x_plain" and the peak memory beyond the
// file's size ("peak_over_size_MiB", from VmHWM after resetting it).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_data.h"
#include "files/file_table.h"

namespace {

using Clock = std::chrono::steady_clock;

// The file, written once into a private folder and removed at exit.
struct BenchFile {
    std::string folder;
    std::string path;
    size_t size = 0;
    BenchFile() {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp != nullptr ? tmp : "/tmp") + "/pk-load-bench-XXXXXX";
        if (mkdtemp(folder.data()) == nullptr) std::abort();
        path = folder + "/log.txt";
        std::vector<uint8_t> data = pkbench::LogData(pkbench::DataSize());
        size = data.size();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
    }
    ~BenchFile() {
        unlink(path.c_str());
        rmdir(folder.c_str());
    }
};

const BenchFile& File() {
    static BenchFile file;
    return file;
}

// VmHWM or VmRSS from /proc/self/status, in bytes.
size_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string key;
    size_t kib = 0;
    while (status >> key) {
        if (key == field) {
            status >> kib;
            return kib * 1024;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

__attribute__((noinline)) uint32_t ByteLoopLines(const uint8_t* d, size_t n) {
    uint32_t lines = 0, longest = 0, raw = 1;
    for (size_t p = 0; p < n; ++p) {
        if (d[p] == '\n') {
            ++lines;
            if (raw - 1 > longest) longest = raw - 1;
            raw = 1;
        } else if (!(d[p] == '\r' && p + 1 < n && d[p + 1] == '\n')) {
            ++raw;
        }
    }
    return lines + longest;
}

double PlainLoad(const BenchFile& f) {
    auto start = Clock::now();
    int fd = open(f.path.c_str(), O_RDONLY);
    auto* block = static_cast<uint8_t*>(std::malloc(f.size));
    size_t done = 0;
    while (done < f.size) {
        ssize_t n = read(fd, block + done, f.size - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    close(fd);
    benchmark::DoNotOptimize(ByteLoopLines(block, done));
    std::free(block);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_LoadFiles(benchmark::State& state) {
    const BenchFile& f = File();
    // Warm-up: the page cache, and memory the system has handed out before
    // (on a virtual machine the first touch of fresh memory costs far more).
    PlainLoad(f);
    {
        char full[pk::NAME_SIZE];
        uint32_t error = 0;
        pk::LoadFiles(f.path.c_str(), full, error);
        pk::ReleaseAllEntries();
    }
    double total = 0, peakOver = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        size_t before = StatusBytes("VmRSS:");
        ResetPeak();
        auto start = Clock::now();
        char full[pk::NAME_SIZE];
        uint32_t error = 0;
        if (pk::LoadFiles(f.path.c_str(), full, error) != pk::LOAD_OK) state.SkipWithError("load failed");
        total += std::chrono::duration<double>(Clock::now() - start).count();
        peakOver = std::max(peakOver, double(StatusBytes("VmHWM:")) - double(before) - double(f.size));
        pk::ReleaseAllEntries();
        ++runs;
    }
    double plain = 0;
    int64_t plainRuns = std::min<int64_t>(runs, 3);
    for (int64_t i = 0; i < plainRuns; ++i) plain += PlainLoad(f);
    double oursEach = total / runs, plainEach = plain / plainRuns;
    state.SetBytesProcessed(int64_t(f.size) * runs);
    state.counters["GB/s"] = f.size / oursEach / 1e9;
    state.counters["plain_GB/s"] = f.size / plainEach / 1e9;
    state.counters["x_plain"] = plainEach / oursEach;
    state.counters["peak_over_size_MiB"] = peakOver / (1 << 20);
}

BENCHMARK(BM_LoadFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
