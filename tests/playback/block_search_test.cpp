// The block search of seek to time against a plain scan, over many block layouts.
#include "playback/block_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kd::testing {
namespace {

int lastBlockNotAfter(const std::vector<int64_t>& starts, int64_t t) {
  int found = 0;
  for (size_t b = 0; b < starts.size(); ++b) {
    if (starts[b] <= t) found = int(b);
  }
  return found;
}

TEST(BlockSearch, FindsTheLastBlockNotLaterThanTheTime) {
  std::mt19937 random(7);
  for (int layout = 0; layout < 400; ++layout) {
    const int count = 1 + layout % 23;
    std::vector<int64_t> starts;
    int64_t start = 1000;
    for (int b = 0; b < count; ++b) {
      starts.push_back(start);
      start += int64_t(random() % 4);  // equal starts happen (blocks shorter than a second)
    }
    auto startOf = [&](int b) {
      EXPECT_GE(b, 0);
      EXPECT_LT(b, count);  // never past the last block
      return starts[size_t(b)];
    };
    for (int64_t t = 995; t <= start + 3; ++t) {
      ASSERT_EQ(blockForTime(startOf, count, t), lastBlockNotAfter(starts, t))
          << "layout " << layout << " t " << t;
    }
  }
}

}  // namespace
}  // namespace kd::testing
