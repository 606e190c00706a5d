// Address ranges for file contents and line indexes: reserved whole, up to a
// size that may never be reached, and backed by memory only where they are
// written, so a block never moves while it grows and other threads may keep
// reading it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pk {

// A zero-filled, writable range of at least `want` bytes (whole pages), or
// nullptr with the errno in error. Where the system refuses so large a range
// it is halved down to `least` bytes; size gets what was reserved.
uint8_t* ReserveBlock(uint64_t want, uint64_t least, uint64_t& size, uint32_t& error);
// Backs the pages of [at, at + bytes) of a reserved range with memory in one
// call, where the system can, rather than one fault per page as they are
// first written.
void BackBlock(uint8_t* at, uint64_t bytes);
// Gives back a range from ReserveBlock; nullptr is ignored.
void ReleaseBlock(uint8_t* block, uint64_t size);
// Bytes of the system's memory pages.
uint64_t PageSize();
constexpr uint64_t RoundUp(uint64_t n, uint64_t unit) { return (n + unit - 1) / unit * unit; }

}  // namespace pk
