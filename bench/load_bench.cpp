// Loading and counting a log-like file (1 GiB; ~4 MiB with PK_BENCH_SMALL=1)
// from a warm page cache: LoadFiles followed by the wait for its background
// count (map, count the lines in parallel parts, record the line index),
// against a plain read() into a fresh malloc block followed by a
// byte-at-a-time scan; and the count in a given number of parts
// (BM_CountInParts/1 is the single-threaded count). Reports throughput, the
// ratio "x_plain", the processor time of all threads per load, and the
// private memory the load took ("private_MiB", RssAnon growth: the file's
// own pages are the system's cache, not pk's).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_data.h"
#include "files/file_change.h"
#include "files/file_feed.h"
#include "files/file_table.h"

namespace {

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

// User and system time of every thread of the process so far.
double ProcessCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

void PlainLoad(const BenchFile& f) {
    int fd = open(f.path.c_str(), O_RDONLY);
    auto* block = static_cast<uint8_t*>(std::malloc(f.size));
    size_t done = 0;
    while (done < f.size) {
        ssize_t n = read(fd, block + done, f.size - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    close(fd);
    benchmark::DoNotOptimize(pkbench::ByteLoopScan(pk::Bytes(block, done)));
    std::free(block);
}

size_t privatePeak = 0;  // RssAnon growth of the last load, at its end

void LoadAndRelease(const BenchFile& f, benchmark::State& state) {
    char full[pk::NAME_SIZE];
    uint32_t error = 0;
    size_t before = StatusBytes("RssAnon:");
    if (pk::LoadFiles(f.path.c_str(), full, error) != pk::LOAD_OK) state.SkipWithError("load failed");
    pk::FileEntry& e = pk::CurrentEntry();
    pk::AwaitCounted(e, pk::WholeCount(e));
    privatePeak = StatusBytes("RssAnon:") - before;
    pk::ReleaseAllEntries();
}

// The count as a load starts it, in a given number of parts.
void CountInParts(const BenchFile& f, int parts, benchmark::State& state) {
    uint32_t error = 0;
    pk::Feed* feed = pk::StartFileFeed(open(f.path.c_str(), O_RDONLY), f.size, error, parts);
    if (feed == nullptr) return state.SkipWithError("map failed");
    pk::AwaitFeed(*feed, [](const pk::FeedView&) { return false; }, 600000);
    pk::ReleaseFeed(feed);
}

// Times job under the benchmark's loop, then reports against the plain load.
void TimeLoad(benchmark::State& state, const BenchFile& f, const std::function<void()>& job) {
    // Warm-up: the page cache, and memory the system has handed out before
    // (on a virtual machine the first touch of fresh memory costs far more).
    PlainLoad(f);
    job();
    double total = 0, cpu = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        double cpuBefore = ProcessCpuSeconds();
        total += pkbench::Seconds(job);
        cpu += ProcessCpuSeconds() - cpuBefore;
        ++runs;
    }
    pkbench::Report(state, f.size, runs, total, [&] { PlainLoad(f); }, "plain");
    state.counters["cpu_ms_all_threads"] = cpu / double(runs) * 1e3;
}

void BM_LoadFiles(benchmark::State& state) {
    const BenchFile& f = File();
    TimeLoad(state, f, [&] { LoadAndRelease(f, state); });
    state.counters["private_MiB"] = double(privatePeak) / (1 << 20);
}

void BM_CountInParts(benchmark::State& state) {
    const BenchFile& f = File();
    int parts = int(state.range(0));
    state.counters["parts"] = parts;
    TimeLoad(state, f, [&] { CountInParts(f, parts, state); });
}

BENCHMARK(BM_LoadFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountInParts)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
