// Moving to the end of log-like text (1 GiB; ~4 MiB with PK_BENCH_SMALL=1):
// GoBottom and a typed line number near the end, each followed by finding
// the new top line from the cache as the text view's redraw does, and the
// switch from hex view at the last byte to text view. Each benchmark also
// times a plain byte-at-a-time loop doing the same job and reports the ratio
// as "x_byte_loop".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "bench_data.h"
#include "display/display_state.h"
#include "display/screen.h"
#include "interact/command_state.h"
#include "interact/commands.h"
#include "interact/movement.h"

namespace {

// Slot 0 holds the data at the top in text view, on an 80 x 24 screen.
pk::FileEntry& Load() {
    static pkbench::BenchScreen screen(80, 24);
    pk::display.hexView = 0;
    return screen.use(pkbench::SharedLogData());
}

// The text view's first step after a move: locate the top line from the
// cache and keep the cache there.
void LocateTopLine(pk::FileEntry& e) {
    pk::LineInfo info;
    pk::LineAt(e.lines(), e.cache, e.view.line, info);
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
    auto byteLoop = [&] { benchmark::DoNotOptimize(pkbench::ByteLoopLineStart(e.bytes(), e.lineCount - 19)); };
    pkbench::Compare(state, ours, byteLoop, e.size);
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
    auto byteLoop = [&] { benchmark::DoNotOptimize(pkbench::ByteLoopLineStart(e.bytes(), target)); };
    pkbench::Compare(state, ours, byteLoop, e.size);
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
    auto byteLoop = [&] {
        size_t start = 0;
        benchmark::DoNotOptimize(pkbench::ByteLoopLineOf(e.bytes(), e.size - 1, start));
    };
    pkbench::Compare(state, ours, byteLoop, e.size);
}

BENCHMARK(BM_GoBottom)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_GoToLineNearEnd)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_HexToTextAtLastByte)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
