#pragma once
// The options both play schedules take: --speed (−4 … 4) and --seconds (how long to play;
// −1 when not given, meaning to the end).
#include <string>

#include "cli/command.h"

namespace kd::cli {

struct PlayTiming {
  int speed = 0;
  double seconds = -1;
};

// False with `error` set when an option is malformed or out of range.
bool readPlayTiming(const Options& options, PlayTiming& timing, std::string& error);

}  // namespace kd::cli
