// Reading a file whole into its block while measuring its lines: the file is
// cut into parts, one per processor, each read with pread and measured by
// its own thread as its pieces arrive; the parts are then joined in order.
// The result is that of reading and measuring the file in one pass.
#pragma once

#include <cstdint>
#include <span>

#include "files/file_table.h"
#include "text/line_scan.h"

namespace pk {

// How many parts a file of size bytes is read in: one per processor, none
// smaller than 4 MiB.
int ReadParts(uint32_t size);
// Reads size bytes of fd into block in `parts` parts at once, measuring
// them into scan and index (LineIndexSize(size) entries, or none). Returns
// LOAD_OK, or LOAD_READ_ERROR with the errno (0 when the file was shorter).
LoadResult ReadAndMeasure(int fd, uint8_t* block, uint32_t size, int parts, std::span<uint32_t> index,
                          ScanResult& scan, uint32_t& error);

}  // namespace pk
