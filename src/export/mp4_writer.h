#pragma once
// An MP4 file of H.264 (yuv420p) pictures at their own times and 8 kHz mono AAC sound. The
// writer lives in a module loaded at its first use, so that only an export loads FFmpeg's
// libraries and every other start of the programs stays quick.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kd {

class Mp4Writer {
 public:
  static constexpr int kSoundRate = 8000;

  struct Settings {
    int width = 0, height = 0;  // even
    int crf = 23;
    int threads = 0;  // the encoder's threads; 0 lets it choose
    bool sound = false;
  };

  virtual ~Mp4Writer() = default;
  // Creates `path` (replacing it). False with error() on a failure.
  virtual bool open(const std::string& path, const Settings& settings) = 0;
  // One picture, width × height top-down RGB, shown from `ms`; times must grow.
  virtual bool addPicture(const std::vector<uint8_t>& rgb, int64_t ms) = 0;
  // Sound samples following those given before; the sound ends with the last picture.
  virtual bool addSound(const int16_t* samples, size_t count) = 0;
  // Flushes the encoders and writes the index; the file is complete when this returns true.
  virtual bool finish() = 0;
  virtual const std::string& error() const = 0;
};

// A new writer from the module; null with `error` saying why when it cannot be loaded.
std::unique_ptr<Mp4Writer> makeMp4Writer(std::string& error);

}  // namespace kd
