#include "audio/wav_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kd {

namespace {

constexpr uint32_t kRate = 8000;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - WavWriter::kHeaderBytes;

void put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
  put16(p, uint16_t(v));
  put16(p + 2, uint16_t(v >> 16));
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_) std::fclose(file_);
}

bool WavWriter::failed(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return false;
}

bool WavWriter::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return failed(std::strerror(errno));
  return writeHeader();
}

bool WavWriter::writeHeader() {
  const uint32_t dataBytes = uint32_t(samples_ * 2);
  uint8_t h[kHeaderBytes];
  std::memcpy(h, "RIFF", 4);
  put32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  put32(h + 16, 16);
  put16(h + 20, 1);  // PCM
  put16(h + 22, 1);  // mono
  put32(h + 24, kRate);
  put32(h + 28, kRate * 2);
  put16(h + 32, 2);
  put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  put32(h + 40, dataBytes);
  if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(h, 1, sizeof h, file_) != sizeof h) {
    return failed(std::strerror(errno));
  }
  return true;
}

bool WavWriter::append(const int16_t* samples, size_t count) {
  if (!file_) return failed("not open");
  if ((samples_ + count) * 2 > kMaxDataBytes) return failed("too much sound for a WAV file");
  uint8_t buffer[4096];
  size_t done = 0;
  while (done < count) {
    const size_t n = std::min(count - done, sizeof buffer / 2);
    for (size_t i = 0; i < n; ++i) put16(buffer + 2 * i, uint16_t(samples[done + i]));
    if (std::fwrite(buffer, 2, n, file_) != n) return failed(std::strerror(errno));
    done += n;
  }
  samples_ += count;
  return true;
}

bool WavWriter::finish() {
  if (!file_) return failed("not open");
  const bool ok = writeHeader() && std::fflush(file_) == 0;
  if (std::fclose(file_) != 0 && ok) failed(std::strerror(errno));
  file_ = nullptr;
  return ok && error_.empty();
}

}  // namespace kd
