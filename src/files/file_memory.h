// Blocks of memory for file contents: whole blocks taken from the system (a
// stream's block grown as it arrives) and given back whole, backed by huge
// pages where the system offers them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// size bytes (at least 1) of zeroed read/write memory, or nullptr with the
// errno in error.
uint8_t* AllocateFileBlock(size_t size, uint32_t& error);
// The block of oldSize bytes made newSize bytes long, its contents kept
// (bytes added are zero): a smaller block keeps its place and cannot fail; a
// larger one may move, or fail with nullptr and the errno in error, leaving
// the old block as it was.
uint8_t* ResizeFileBlock(uint8_t* block, size_t oldSize, size_t newSize, uint32_t& error);
// Gives back a block from AllocateFileBlock of the same size; nullptr is
// ignored.
void ReleaseFileBlock(uint8_t* block, size_t size);

}  // namespace pk
