// Loading a log-like file whole (1 GiB; ~4 MiB with PK_BENCH_SMALL=1) from a
// warm page cache: LoadFiles (allocate, read in parallel parts, measure the
// lines and record the line index) against a plain read() into a fresh
// malloc block followed by a byte-at-a-time scan; and the read in a given
// number of parts (BM_ReadInParts/1 is the single-threaded load). Reports
// throughput, the ratio "x_plain", the parts used, the processor time of
// all threads per load, and the peak memory beyond the file's size
// ("peak_over_size_MiB", from VmHWM after resetting it).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_data.h"
#include "files/file_memory.h"
#include "files/file_read.h"
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

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

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

void LoadAndRelease(const BenchFile& f, benchmark::State& state) {
    char full[pk::NAME_SIZE];
    uint32_t error = 0;
    if (pk::LoadFiles(f.path.c_str(), full, error) != pk::LOAD_OK) state.SkipWithError("load failed");
    pk::ReleaseAllEntries();
}

// The block, the read and the measure as ReadFileData does them, in parts.
void ReadInParts(const BenchFile& f, int parts, benchmark::State& state) {
    uint32_t size = uint32_t(f.size), error = 0;
    uint8_t* block = pk::AllocateFileBlock(size, error);
    std::vector<uint32_t> index(pk::LineIndexSize(size));
    pk::ScanResult scan;
    int fd = open(f.path.c_str(), O_RDONLY);
    if (pk::ReadAndMeasure(fd, block, size, parts, index, scan, error) != pk::LOAD_OK) state.SkipWithError("read failed");
    close(fd);
    pk::ReleaseFileBlock(block, size);
}

// Times job under the benchmark's loop with the peak memory beyond the
// file's size, then reports against the plain load.
void TimeLoad(benchmark::State& state, const BenchFile& f, const std::function<void()>& job) {
    // Warm-up: the page cache, and memory the system has handed out before
    // (on a virtual machine the first touch of fresh memory costs far more).
    PlainLoad(f);
    job();
    double total = 0, peakOver = -double(f.size), cpu = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        size_t before = StatusBytes("VmRSS:");
        ResetPeak();
        double cpuBefore = ProcessCpuSeconds();
        total += pkbench::Seconds(job);
        cpu += ProcessCpuSeconds() - cpuBefore;
        // Negative when not even the whole file was resident at once.
        peakOver = std::max(peakOver, double(StatusBytes("VmHWM:")) - double(before) - double(f.size));
        ++runs;
    }
    pkbench::Report(state, f.size, runs, total, [&] { PlainLoad(f); }, "plain");
    state.counters["peak_over_size_MiB"] = peakOver / (1 << 20);
    state.counters["cpu_ms_all_threads"] = cpu / double(runs) * 1e3;
}

void BM_LoadFiles(benchmark::State& state) {
    const BenchFile& f = File();
    state.counters["parts"] = pk::ReadParts(uint32_t(f.size));
    TimeLoad(state, f, [&] { LoadAndRelease(f, state); });
}

void BM_ReadInParts(benchmark::State& state) {
    const BenchFile& f = File();
    int parts = int(state.range(0));
    state.counters["parts"] = parts;
    TimeLoad(state, f, [&] { ReadInParts(f, parts, state); });
}

BENCHMARK(BM_LoadFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadInParts)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
