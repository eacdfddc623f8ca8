#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace kd {

uint32_t tickCount() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int localGmtOffsetHours() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return int(local.tm_gmtoff / 3600);
}

std::string formatLocalTime(int64_t secondsSince1970, const char* pattern) {
  std::time_t t = std::time_t(secondsSince1970);
  std::tm local{};
  if (!localtime_r(&t, &local)) return {};
  char buffer[128];
  size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
  return std::string(buffer, n);
}

std::string gmtOffsetLabel(int hours) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "GMT%c%02d:00", hours < 0 ? '-' : '+', std::abs(hours));
  return buffer;
}

}  // namespace kd
