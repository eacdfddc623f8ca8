#include "convert/buffered_output.h"

#include <cstring>

namespace kd {

BufferedOutput::BufferedOutput(size_t bufferBytes) : capacity_(bufferBytes) {}

BufferedOutput::~BufferedOutput() {
  file_.close();
}

bool BufferedOutput::create(const std::string& path) {
  buffer_.clear();
  buffer_.reserve(capacity_);
  written_ = 0;
  error_.clear();
  if (!file_.open(path, File::Mode::Create)) return failed("cannot create the file");
  return true;
}

bool BufferedOutput::failed(const std::string& what) {
  if (error_.empty()) error_ = what + ": " + file_.lastError();
  return false;
}

bool BufferedOutput::flush() {
  if (!ok()) return false;
  if (buffer_.empty()) return true;
  if (!file_.seek(written_) || !file_.write(buffer_.data(), buffer_.size()))
    return failed("cannot write at byte " + std::to_string(written_));
  written_ += buffer_.size();
  buffer_.clear();
  return true;
}

bool BufferedOutput::append(const void* data, size_t size) {
  if (!ok()) return false;
  // Large pieces (whole pictures) go straight to the file rather than through the buffer.
  const bool large = size >= capacity_ / 16;
  if (!large && buffer_.size() + size <= capacity_) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
  }
  if (!flush()) return false;
  if (large) {
    if (!file_.seek(written_) || !file_.write(data, size))
      return failed("cannot write at byte " + std::to_string(written_));
    written_ += size;
    return true;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  buffer_.insert(buffer_.end(), bytes, bytes + size);
  return true;
}

bool BufferedOutput::appendZeros(size_t size) {
  static const uint8_t zeros[4096] = {};
  while (size > 0) {
    const size_t part = size < sizeof zeros ? size : sizeof zeros;
    if (!append(zeros, part)) return false;
    size -= part;
  }
  return ok();
}

bool BufferedOutput::patch(uint64_t offset, const void* data, size_t size) {
  if (!ok()) return false;
  if (offset >= written_ && offset + size <= position()) {
    std::memcpy(buffer_.data() + (offset - written_), data, size);
    return true;
  }
  if (!flush()) return false;
  if (offset + size > written_) {
    error_ = "patch past the end of the file";
    return false;
  }
  if (!file_.seek(offset) || !file_.write(data, size))
    return failed("cannot write at byte " + std::to_string(offset));
  return true;
}

bool BufferedOutput::close() {
  const bool flushed = flush();
  file_.close();
  return flushed;
}

}  // namespace kd
