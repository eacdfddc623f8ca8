#include "cli/play_timing.h"

#include <cstdlib>

namespace kd::cli {

bool readPlayTiming(const Options& options, PlayTiming& timing, std::string& error) {
  bool valid = true;
  const long long speed = options.getInt("speed", 0, valid);
  if (!valid || speed < -4 || speed > 4) {
    error = "--speed must be -4 to 4";
    return false;
  }
  timing.speed = int(speed);
  timing.seconds = -1;
  if (options.has("seconds")) {
    const std::string text = options.get("seconds");
    char* end = nullptr;
    timing.seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(timing.seconds >= 0) || timing.seconds > 4e6) {
      error = "--seconds must be a number of seconds";
      return false;
    }
  }
  return true;
}

}  // namespace kd::cli
