#include "cli/motion_options.h"

#include <cerrno>
#include <cstdlib>

namespace kd::cli {

namespace {

// A whole decimal number in [low, high]; nothing else in the text.
bool parseNumber(const std::string& text, long long low, long long high, long long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && out >= low && out <= high;
}

bool parseZone(const std::string& text, MotionZone& zone) {
  long long v[4];
  size_t from = 0;
  for (int i = 0; i < 4; ++i) {
    const size_t comma = text.find(',', from);
    if ((comma == std::string::npos) != (i == 3)) return false;
    const std::string part = text.substr(from, comma == std::string::npos ? comma : comma - from);
    if (!parseNumber(part, 0, 1 << 16, v[i])) return false;
    from = comma + 1;
  }
  // Right and bottom are exclusive: an empty zone could never see change.
  if (v[2] <= v[0] || v[3] <= v[1]) return false;
  zone = MotionZone{int32_t(v[0]), int32_t(v[1]), int32_t(v[2]), int32_t(v[3]), 0, 0};
  return true;
}

// Every value of --name (also written --name=value), in order.
std::vector<std::string> valuesOf(const std::vector<std::string>& args, const std::string& name) {
  std::vector<std::string> values;
  const std::string flag = "--" + name;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == flag && i + 1 < args.size()) {
      values.push_back(args[++i]);
    } else if (args[i].compare(0, flag.size() + 1, flag + "=") == 0) {
      values.push_back(args[i].substr(flag.size() + 1));
    }
  }
  return values;
}

}  // namespace

bool readMotionSettings(const std::vector<std::string>& args, MotionSettings& settings,
                        std::string& error) {
  settings = MotionSettings{};
  for (const std::string& text : valuesOf(args, "zone")) {
    MotionZone zone;
    if (!parseZone(text, zone)) {
      error = "--zone " + text + ": must be LEFT,TOP,RIGHT,BOTTOM with LEFT < RIGHT, TOP < BOTTOM";
      return false;
    }
    if (settings.zones.size() == MotionZoneBlock::kMaxZones) {
      error = "--zone " + text + ": at most three zones";
      return false;
    }
    settings.zones.push_back(zone);
  }
  long long value = 0;
  const std::vector<std::string> sensitivity = valuesOf(args, "sensitivity");
  if (!sensitivity.empty()) {
    if (!parseNumber(sensitivity.back(), 0, 10, value)) {
      error = "--sensitivity must be 0 to 10";
      return false;
    }
    settings.sensitivity = int(value);
  }
  const std::vector<std::string> count = valuesOf(args, "count");
  if (!count.empty()) {
    if (!parseNumber(count.back(), 1, 1000000, value)) {
      error = "--count must be 1 to 1000000";
      return false;
    }
    settings.requiredCount = uint32_t(value);
  }
  return true;
}

}  // namespace kd::cli
