// Log-like text for the benchmarks: a small fast generator and the bytes it
// makes. Plain C++ with no part of pk, so that programs outside the program's
// libraries (the latency benchmark) make the same text.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace pkbench {

// A small fast generator (xorshift64*), so 1 GiB is made in about a second.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<uint32_t>((state * 0x2545F4914F6CDD1Dull) >> 32);
    }
    uint32_t below(uint32_t n) { return next() % n; }
};

// size bytes of log-like text: lines of 40 to 200 bytes, about one in six
// holding a tab, about one in four ending in CR LF, the rest in LF; the last
// byte is a line feed. The same seed gives the same bytes.
inline std::vector<uint8_t> LogData(size_t size, uint64_t seed = 1) {
    static const char words[] =
        "2024-05-17 12:34:56.789 INFO  [worker-3] request id=8f2a done in 12 ms user=alice "
        "WARN  cache miss key=/api/v2/items/1234 retry=2 ERROR connection reset by peer "
        "DEBUG payload size=4096 bytes checksum=0x5f3e2a1b status=200 path=/index.html ";
    const size_t wordsLength = sizeof words - 1;
    std::vector<uint8_t> data(size);
    Random random(seed);
    size_t pos = 0;
    while (pos < size) {
        size_t length = 40 + random.below(161);  // 40..200 bytes with the line end
        bool crlf = random.below(4) == 0;
        size_t text = length - (crlf ? 2 : 1);
        if (pos + length > size) {
            length = size - pos;
            text = length > 0 ? length - 1 : 0;
            crlf = false;
        }
        size_t from = random.below(static_cast<uint32_t>(wordsLength - text));
        std::memcpy(&data[pos], words + from, text);
        if (random.below(6) == 0 && text > 8) data[pos + random.below(static_cast<uint32_t>(text))] = '\t';
        pos += text;
        if (crlf) data[pos++] = '\r';
        if (pos < size) data[pos++] = '\n';
    }
    if (size > 0) data[size - 1] = '\n';
    return data;
}

}  // namespace pkbench
