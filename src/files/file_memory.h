// Blocks of memory for file contents: whole blocks taken from the system and
// given back whole, backed by huge pages where the system offers them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// size bytes (at least 1) of zeroed read/write memory, or nullptr with the
// errno in error.
uint8_t* AllocateFileBlock(size_t size, uint32_t& error);
// Gives back a block from AllocateFileBlock of the same size; nullptr is
// ignored.
void ReleaseFileBlock(uint8_t* block, size_t size);

}  // namespace pk
