#pragma once
// The play window's search for the block to start from when jumping to a time: the last block
// whose start time is not later than the time (block 0 when every block starts later).
#include <cstdint>
#include <functional>

namespace kd {

// `startOf(b)` gives the start time of block b, 0 <= b < count; count must be positive.
int blockForTime(const std::function<int64_t(int)>& startOf, int count, int64_t t);

}  // namespace kd
