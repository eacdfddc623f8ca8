#include "support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace kd::fuzz {

std::string writeScratchFile(const uint8_t* data, size_t size, const std::string& extension) {
  static const std::string folder = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string dir = base + "/kd-fuzz-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    return dir;
  }();
  const std::string path = folder + "/input." + extension;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

const char* extensionFor(uint8_t selector) {
  static const char* const kExtensions[] = {"kd", "kdx", "kdq", "kdz", "ckd", "dat"};
  return kExtensions[selector % 6];
}

}  // namespace kd::fuzz
