#pragma once
// A RIFF WAV file of 16-bit mono PCM at 8000 Hz, written as the samples come; the sizes in the
// header are filled in by finish().
#include <cstdint>
#include <cstdio>
#include <string>

namespace kd {

class WavWriter {
 public:
  static constexpr uint32_t kHeaderBytes = 44;

  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  bool open(const std::string& path);
  // False on a write error or when the file would outgrow the 32-bit RIFF sizes.
  bool append(const int16_t* samples, size_t count);
  bool finish();
  uint64_t samplesWritten() const { return samples_; }
  const std::string& error() const { return error_; }

 private:
  bool writeHeader();
  bool failed(const std::string& reason);

  std::FILE* file_ = nullptr;
  uint64_t samples_ = 0;
  std::string error_;
};

}  // namespace kd
