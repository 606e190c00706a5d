// Moving to the end of log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1):
// GoBottom and a typed line number near the end, each followed by finding
// the new top line from the cache as the text view's redraw does, and the
// switch from hex view at the last byte to text view. Each benchmark also
// times a plain byte-at-a-time loop doing the same job and reports the ratio
// as "x_byte_loop".
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>

#include "bench_data.h"
#include "display/display_state.h"
#include "display/screen.h"
#include "files/file_table.h"
#include "files/state.h"
#include "interact/command_state.h"
#include "interact/commands.h"
#include "interact/movement.h"
#include "panel/memory_console.h"
#include "panel/panel.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<uint8_t>& Data() {
    static const std::vector<uint8_t> data = pkbench::LogData(pkbench::DataSize());
    return data;
}

// Slot 0 holds the data as the current file, on an 80 x 24 in-memory screen.
pk::FileEntry& Load() {
    static pk::MemoryConsole console(80, 24);
    pk::FileEntry& e = pk::fileTable[0];
    if (e.data == nullptr) {
        e.data = const_cast<uint8_t*>(Data().data());
        e.size = uint32_t(Data().size());
        pk::ScanResult scan = pk::ScanLines(e.bytes());
        e.lineCount = scan.lineCount;
        e.longestRaw = scan.longestRaw;
        e.longestExpanded = scan.longestExpanded;
        pk::program.screenWidth = 80;
        pk::program.screenHeight = 24;
        pk::program.dataRows = 20;
        pk::program.hexPageBytes = 320;
        pk::program.console = &console;
        pk::fullconsole(&console);
        pk::fullinit();
    }
    e.view = {1, 1, 0};
    e.cache = pk::LineCache{};
    pk::display.hexView = 0;
    return e;
}

double Seconds(const std::function<void()>& job) {
    auto start = Clock::now();
    job();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Compare(benchmark::State& state, const std::function<void()>& ours, const std::function<void()>& byteLoop,
             size_t bytesPerRun) {
    double oursTotal = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        oursTotal += Seconds(ours);
        ++runs;
    }
    int64_t refRuns = std::min<int64_t>(runs, 3);
    double refTotal = 0;
    for (int64_t i = 0; i < refRuns; ++i) refTotal += Seconds(byteLoop);
    double oursEach = oursTotal / double(runs), refEach = refTotal / double(refRuns);
    state.SetBytesProcessed(int64_t(bytesPerRun) * runs);
    state.counters["GB/s"] = double(bytesPerRun) / oursEach / 1e9;
    state.counters["byte_loop_GB/s"] = double(bytesPerRun) / refEach / 1e9;
    state.counters["x_byte_loop"] = refEach / oursEach;
}

// Start of line n, walking byte by byte from the top.
__attribute__((noinline)) size_t ByteLoopLineStart(const pk::FileEntry& e, uint32_t n) {
    size_t p = 0;
    for (uint32_t line = 1; line < n; ++p)
        if (e.data[p] == '\n') ++line;
    return p;
}

// Line number of an offset, walking byte by byte from the top.
__attribute__((noinline)) uint32_t ByteLoopLineOf(const pk::FileEntry& e, size_t offset) {
    uint32_t line = 1;
    for (size_t p = 0; p < offset; ++p)
        if (e.data[p] == '\n' && p + 1 < e.size) ++line;
    return line;
}

// The text view's first step after a move: locate the top line from the
// cache and keep the cache there.
void LocateTopLine(pk::FileEntry& e) {
    pk::LineInfo info;
    pk::LineAt(e.bytes(), e.lineCount, e.cache, e.view.line, info);
    e.cache = pk::LineCache{info.offset, e.view.line, info.start};
    benchmark::DoNotOptimize(info.length);
}

void BM_GoBottom(benchmark::State& state) {
    pk::FileEntry& e = Load();
    auto ours = [&] {
        Load();
        if (pk::GoBottom() != 1) state.SkipWithError("did not move");
        LocateTopLine(e);
    };
    auto byteLoop = [&] { benchmark::DoNotOptimize(ByteLoopLineStart(e, e.lineCount - 19)); };
    Compare(state, ours, byteLoop, e.size);
}

void BM_GoToLineNearEnd(benchmark::State& state) {
    pk::FileEntry& e = Load();
    uint32_t target = e.lineCount - 5;
    char typed[16];
    std::snprintf(typed, sizeof typed, "%u", target);
    auto ours = [&] {
        Load();
        std::memset(pk::commands.commandLine, ' ', pk::COMMAND_SIZE);
        std::memcpy(pk::commands.commandLine, typed, std::strlen(typed));
        pk::ExecuteCommand();
        LocateTopLine(e);
    };
    auto byteLoop = [&] { benchmark::DoNotOptimize(ByteLoopLineStart(e, target)); };
    Compare(state, ours, byteLoop, e.size);
}

void BM_HexToTextAtLastByte(benchmark::State& state) {
    pk::FileEntry& e = Load();
    auto ours = [&] {
        Load();
        pk::display.hexView = 1;
        e.view.offset = e.size - 1;
        pk::ToggleView();
        benchmark::DoNotOptimize(e.view.line);
    };
    auto byteLoop = [&] { benchmark::DoNotOptimize(ByteLoopLineOf(e, e.size - 1)); };
    Compare(state, ours, byteLoop, e.size);
}

BENCHMARK(BM_GoBottom)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GoToLineNearEnd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HexToTextAtLastByte)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
