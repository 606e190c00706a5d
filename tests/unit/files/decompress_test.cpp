// Compressed data: the magic numbers told apart, and streams that fill the
// limit (a bomb) or end in a bad CRC stop with what they decompressed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <string>

#include "files/compression.h"
#include "files/file_feed.h"
#include "files/file_table.h"

namespace {

pk::Bytes B(const std::string& s) { return pk::Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

TEST(Decompress, MagicNumbersAreToldApart) {
    struct Case { std::string start; const char* format; bool maybe; };
    const Case cases[] = {
        {"\x1f\x8b\x08\x00", "gzip", true},
        {"\xfd" "7zXZ" + std::string(1, '\0'), "xz", true},
        {"\x28\xb5\x2f\xfd", "zstd", true},
        {"BZh91AY&SY", "bzip2", true},
        {"BZh0" "1AY&SY", nullptr, false},  // no block size 0
        {"BZhello!!!", nullptr, false},     // a text that starts alike
        {"\x04\x22\x4d\x18", "lz4", true},
        {"\x1f\x8b", nullptr, true},        // too short yet
        {"BZh9", nullptr, true},
        {"", nullptr, true},
        {"\x1f\x8b\x09", nullptr, false},
        {"plain text", nullptr, false},
    };
    for (const Case& c : cases) {
        const pk::CompressionFormat* f = pk::FormatOf(B(c.start));
        EXPECT_STREQ(f != nullptr ? f->name : nullptr, c.format) << c.start;
        if (f == nullptr) {
            EXPECT_EQ(pk::MayBeCompressed(B(c.start)), c.maybe) << c.start;
        }
    }
}

// A memory file holding data, at offset 0.
int MemoryFile(const std::string& data) {
    int fd = memfd_create("pk-test", MFD_CLOEXEC);
    EXPECT_EQ(write(fd, data.data(), data.size()), ssize_t(data.size()));
    lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string Gzip(const std::string& text) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, uLong(text.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Reads data to its end through a stream feed of the given limit; start
// gets its first bytes (the view's own go with the feed).
pk::FeedView ReadAll(const std::string& data, uint64_t limit, std::string* start = nullptr) {
    uint32_t error = 0;
    pk::Feed* feed = pk::StartStreamFeed(MemoryFile(data), limit, error, true);
    EXPECT_NE(feed, nullptr);
    pk::FeedView v = pk::AwaitFeed(*feed, [](const pk::FeedView&) { return false; }, 60000);
    if (start != nullptr) start->assign(reinterpret_cast<const char*>(v.data), std::min<uint64_t>(v.size, 11));
    pk::ReleaseFeed(feed);
    v.data = nullptr;
    return v;
}

TEST(Decompress, StreamsStopWithWhatTheyDecompressed) {
    const uint64_t limit = 1 << 20;
    pk::FeedView bomb = ReadAll(Gzip(std::string(4 << 20, '\0')), limit);
    EXPECT_EQ(bomb.failure, pk::LOAD_TOO_LARGE);
    EXPECT_EQ(bomb.size, limit);
    EXPECT_FALSE(bomb.streaming);
    EXPECT_STREQ(bomb.format, "gzip");

    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i) + "\n";
    std::string good = Gzip(text), badCrc = good;
    badCrc[badCrc.size() - 6] ^= 1;  // the CRC, after the data
    pk::FeedView whole = ReadAll(good + good, limit);  // two members
    EXPECT_EQ(whole.failure, pk::LOAD_OK);
    EXPECT_EQ(whole.size, 2 * text.size());
    EXPECT_EQ(whole.scan.lineCount, 10000u);
    std::string start;
    pk::FeedView broken = ReadAll(badCrc, limit, &start);
    EXPECT_EQ(broken.failure, pk::LOAD_CORRUPT);
    EXPECT_EQ(broken.size, text.size());
    EXPECT_EQ(broken.error, text.size());
    EXPECT_EQ(start, "line 0\nline");
}

}  // namespace
