#pragma once
// Motion JPEG frames through libjpeg-turbo: one baseline JPEG per output frame, encoded
// straight from the bottom-up blue-green-red rows the conversion fits. One compressor is kept
// for all frames.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kd {

class MjpegEncoder {
 public:
  // `quality` 1 … 100 (libjpeg's scale).
  MjpegEncoder(int width, int height, int quality);
  ~MjpegEncoder();
  MjpegEncoder(const MjpegEncoder&) = delete;
  MjpegEncoder& operator=(const MjpegEncoder&) = delete;

  // Encodes one frame of bottom-up rows `stride` bytes apart; the JPEG stays valid until the
  // next call. False with error() when libjpeg refused.
  bool encode(const uint8_t* bottomUpBgr, size_t stride, const uint8_t*& jpeg, size_t& size);
  const std::string& error() const { return error_; }

  // The compressor's state, kept from frame to frame.
  struct Job;

 private:
  std::unique_ptr<Job> job_;
  int width_;
  int height_;
  int quality_;
  std::string error_;
};

}  // namespace kd
