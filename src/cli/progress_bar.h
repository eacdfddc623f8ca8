#pragma once
// A progress bar on standard error, redrawn only when it grows by a step.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace kd::cli {

class ProgressBar {
 public:
  // `label` is printed before the bar (empty for none).
  explicit ProgressBar(std::string label = {}) : label_(std::move(label)) {}
  void operator()(uint32_t done, uint32_t total) {
    const int width = 40;
    const int filled = total ? int(uint64_t(std::min(done, total)) * width / total) : width;
    if (filled == shown_ && done != total) return;
    shown_ = filled;
    std::fprintf(stderr, "\r%s%s[%s%s] %u/%u", label_.c_str(), label_.empty() ? "" : " ",
                 std::string(filled, '#').c_str(), std::string(width - filled, ' ').c_str(), done,
                 total);
    std::fflush(stderr);
  }
  void end() {
    if (shown_ >= 0) std::fputc('\n', stderr);
    shown_ = -1;
  }

 private:
  std::string label_;
  int shown_ = -1;
};

}  // namespace kd::cli
