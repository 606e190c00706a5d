// The magic numbers of the compressed formats (compression.h).
#include "files/compression.h"

#include <archive.h>

#include <algorithm>
#include <cstring>

namespace pk {

namespace {

constexpr CompressionFormat FORMATS[] = {
    {"gzip", {0x1F, 0x8B, 0x08}, 3, archive_read_support_filter_gzip},
    {"xz", {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00}, 6, archive_read_support_filter_xz},
    {"zstd", {0x28, 0xB5, 0x2F, 0xFD}, 4, archive_read_support_filter_zstd},
    {"bzip2", {0x42, 0x5A, 0x68}, 3, archive_read_support_filter_bzip2},
    {"lz4", {0x04, 0x22, 0x4D, 0x18}, 4, archive_read_support_filter_lz4},
};

}  // namespace

const CompressionFormat* FormatOf(Bytes start) {
    for (const CompressionFormat& format : FORMATS) {
        if (start.size() >= format.magicLength && std::memcmp(start.data(), format.magic, format.magicLength) == 0)
            return &format;
    }
    return nullptr;
}

bool MayBeCompressed(Bytes start) {
    if (start.empty()) return true;
    for (const CompressionFormat& format : FORMATS) {
        size_t n = std::min<size_t>(start.size(), format.magicLength);
        if (std::memcmp(start.data(), format.magic, n) == 0) return true;
    }
    return false;
}

}  // namespace pk
