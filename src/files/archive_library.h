// libarchive, loaded when the first file that needs it is met: the library
// and those it brings along (XML, ICU, crypto) would otherwise lengthen
// every start of pk by several milliseconds, for files that are rarely
// compressed in its formats.
#pragma once

#include <archive.h>

namespace pk {

// The calls pk makes, as the header declares them.
struct ArchiveLibrary {
    decltype(&archive_read_new) readNew;
    decltype(&archive_read_support_format_raw) supportFormatRaw;
    decltype(&archive_read_open) readOpen;
    decltype(&archive_read_next_header) readNextHeader;
    decltype(&archive_read_data_block) readDataBlock;
    decltype(&archive_read_free) readFree;
};

using ArchiveFilter = int (*)(struct archive*);

// The library, loaded on the first call; nullptr when it cannot be had.
const ArchiveLibrary* Archive();
// The library's call that enables the named filter (for example
// "archive_read_support_filter_xz"); nullptr when there is none.
ArchiveFilter ArchiveFilterNamed(const char* name);

}  // namespace pk
