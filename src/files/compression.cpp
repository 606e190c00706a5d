// The magic numbers of the compressed formats (compression.h).
#include "files/compression.h"

#include <archive.h>

#include <algorithm>

namespace pk {

namespace {

// bzip2's "BZh" could start a text: its magic goes on with the block size
// (a digit 1-9 at digitAt) and the first block's magic number.
constexpr CompressionFormat FORMATS[] = {
    {"gzip", {0x1F, 0x8B, 0x08}, 3, 0, nullptr},
    {"xz", {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00}, 6, 0, archive_read_support_filter_xz},
    {"zstd", {0x28, 0xB5, 0x2F, 0xFD}, 4, 0, archive_read_support_filter_zstd},
    {"bzip2", {'B', 'Z', 'h', 0, 0x31, 0x41, 0x59, 0x26, 0x53, 0x59}, 10, 3, archive_read_support_filter_bzip2},
    {"lz4", {0x04, 0x22, 0x4D, 0x18}, 4, 0, archive_read_support_filter_lz4},
};

// Whether the first n bytes of start match the format's magic number.
bool Matches(const CompressionFormat& format, Bytes start, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        bool digit = format.digitAt != 0 && i == format.digitAt;
        if (digit ? start[i] < '1' || start[i] > '9' : start[i] != format.magic[i]) return false;
    }
    return true;
}

}  // namespace

const CompressionFormat* FormatOf(Bytes start) {
    for (const CompressionFormat& format : FORMATS) {
        if (start.size() >= format.magicLength && Matches(format, start, format.magicLength)) return &format;
    }
    return nullptr;
}

bool MayBeCompressed(Bytes start) {
    for (const CompressionFormat& format : FORMATS) {
        if (Matches(format, start, std::min<size_t>(start.size(), format.magicLength))) return true;
    }
    return false;
}

}  // namespace pk
