#pragma once
// A file written front to back through a large buffer, with the few patches a container needs
// (sizes and headers filled in once known). The first failure sticks: every later call does
// nothing and returns false, and error() says what failed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

namespace kd {

class BufferedOutput {
 public:
  explicit BufferedOutput(size_t bufferBytes = size_t(4) << 20);
  ~BufferedOutput();
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  // Creates (or truncates) `path`.
  bool create(const std::string& path);
  bool append(const void* data, size_t size);
  bool appendZeros(size_t size);
  // Overwrites bytes already appended, at `offset` from the start of the file.
  bool patch(uint64_t offset, const void* data, size_t size);
  // Writes out what is buffered and closes the file.
  bool close();
  // Logical end of the file: what is on disk plus what is buffered.
  uint64_t position() const { return written_ + buffer_.size(); }
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  bool flush();
  bool failed(const std::string& what);

  File file_;
  std::vector<uint8_t> buffer_;
  size_t capacity_;
  uint64_t written_ = 0;
  std::string error_;
};

}  // namespace kd
