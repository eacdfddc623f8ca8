#include "convert/conversion_paths.h"

#include <sys/stat.h>

namespace kd {

std::string defaultAviName(const std::string& input) {
  const size_t n = input.size();
  if (n >= 2 && input.compare(n - 2, 2, "kd") == 0) return input.substr(0, n - 2) + "avi";
  return input.substr(0, n >= 3 ? n - 3 : 0) + "avi";
}

PathProblem checkConversionPaths(const std::string& input, const std::string& output) {
  if (input.empty()) return PathProblem::NoInput;
  if (output.empty()) return PathProblem::NoOutput;
  if (output.size() < 3 || output.compare(output.size() - 3, 3, "avi") != 0)
    return PathProblem::NotAviName;
  // Replacing the output would destroy the recording being read.
  struct stat in, out;
  if (::stat(input.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 &&
      in.st_dev == out.st_dev && in.st_ino == out.st_ino)
    return PathProblem::OutputIsInput;
  return PathProblem::None;
}

}  // namespace kd
