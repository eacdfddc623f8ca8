#include "app/start_time.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace kd {

long long millisecondsSinceProcessStart() {
  static const auto firstCall = std::chrono::steady_clock::now();
  std::ifstream stat("/proc/self/stat");
  std::string line;
  std::getline(stat, line);
  // Field 22 is the start time in clock ticks since boot; the name in field 2 may hold spaces.
  const size_t close = line.rfind(')');
  timespec boot{};
  if (close != std::string::npos && clock_gettime(CLOCK_BOOTTIME, &boot) == 0) {
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
      if (i != 22) continue;
      const double ticks = std::stod(field);
      const double started = ticks / double(sysconf(_SC_CLK_TCK));
      const double now = double(boot.tv_sec) + double(boot.tv_nsec) / 1e9;
      return (long long)((now - started) * 1000.0);
    }
  }
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               firstCall)
      .count();
}

void traceStartUp(const char* name) {
  static const bool on = std::getenv("KD_TRACE_FIRST_PICTURE") != nullptr;
  if (on) std::fprintf(stderr, "%s: %lld ms\n", name, millisecondsSinceProcessStart());
}

}  // namespace kd
