#pragma once
// A temporary folder removed with its contents when the test ends, and small file helpers.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kd::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// The pixels of a binary P6 file of the expected size (empty when it is not one).
std::vector<uint8_t> readPpm(const std::string& path, int width, int height);

// Runs a shell command; returns its exit status and fills `output` with its standard output.
int runCommand(const std::string& command, std::string* output = nullptr);

}  // namespace kd::testing
