#pragma once
// File access as the recording code uses it: read-only with sharing, create, read, write, seek,
// length. Errors come back as values (false, or a short count), never as exceptions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

class File {
 public:
  enum class Mode { Read, Create, ReadWrite };

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`; other readers and writers may keep the file open (POSIX never locks).
  bool open(const std::string& path, Mode mode);
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  // Reason of the last failure ("No such file or directory" and the like).
  const std::string& lastError() const { return error_; }

  // Reads up to `size` bytes; returns the count read (short at the end of the file or on error).
  size_t read(void* buffer, size_t size);
  // True only when all `size` bytes were read.
  bool readExact(void* buffer, size_t size) { return read(buffer, size) == size; }
  bool write(const void* buffer, size_t size);
  bool seek(uint64_t offset);
  bool skip(int64_t delta);
  uint64_t position() const { return position_; }
  // Current length of the file; 0 on error.
  uint64_t length() const;

 private:
  int fd_ = -1;
  uint64_t position_ = 0;
  std::string path_;
  std::string error_;
};

// Whole-file helpers for small files.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes);
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace kd
