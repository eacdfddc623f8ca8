#include "playback/block_search.h"

namespace kd {

int blockForTime(const std::function<int64_t(int)>& startOf, int count, int64_t t) {
  // The recorder's binary search, started from the last block rather than one past it (which
  // would read the start of a block that does not exist).
  int low = 0, high = count - 1, mid = 0;
  do {
    mid = (low + high) / 2;
    if (t < startOf(mid)) {
      high = low < mid ? mid - 1 : mid;
    } else {
      low = mid < high ? mid + 1 : mid;
    }
  } while (!(mid == low && low == high));
  if (t < startOf(mid) && mid > 0) --mid;
  return mid;
}

}  // namespace kd
