#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace kd {

File::~File() { close(); }

File::File(File&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      position_(other.position_),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    position_ = other.position_;
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

bool File::open(const std::string& path, Mode mode) {
  close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
  }
  fd_ = ::open(path.c_str(), flags, 0644);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    error_ = "is a folder";
    return false;
  }
  path_ = path;
  position_ = 0;
  error_.clear();
  return true;
}

void File::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  position_ = 0;
}

size_t File::read(void* buffer, size_t size) {
  if (fd_ < 0) return 0;
  size_t done = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (done < size) {
    ssize_t n = ::pread(fd_, out + done, size - done, off_t(position_ + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      break;
    }
    if (n == 0) break;
    done += size_t(n);
  }
  position_ += done;
  return done;
}

bool File::write(const void* buffer, size_t size) {
  if (fd_ < 0) return false;
  size_t done = 0;
  auto* in = static_cast<const uint8_t*>(buffer);
  while (done < size) {
    ssize_t n = ::pwrite(fd_, in + done, size - done, off_t(position_ + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      position_ += done;
      return false;
    }
    done += size_t(n);
  }
  position_ += done;
  return true;
}

bool File::seek(uint64_t offset) {
  if (fd_ < 0) return false;
  position_ = offset;
  return true;
}

bool File::skip(int64_t delta) {
  if (fd_ < 0) return false;
  if (delta < 0 && uint64_t(-delta) > position_) return false;
  position_ = uint64_t(int64_t(position_) + delta);
  return true;
}

uint64_t File::length() const {
  if (fd_ < 0) return 0;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return 0;
  return uint64_t(st.st_size);
}

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  File f;
  if (!f.open(path, File::Mode::Read)) return false;
  uint64_t len = f.length();
  if (len > maxBytes) return false;
  bytes.resize(size_t(len));
  return f.readExact(bytes.data(), bytes.size());
}

bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  File f;
  return f.open(path, File::Mode::Create) && f.write(bytes.data(), bytes.size());
}

}  // namespace kd
