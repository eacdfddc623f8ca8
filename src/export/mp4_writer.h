#pragma once
// An MP4 file of H.264 (yuv420p) pictures at their own times and 8 kHz mono AAC sound, through
// FFmpeg's libraries. The times are milliseconds; the pictures keep gaps between them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct SwsContext;

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

  Mp4Writer() = default;
  ~Mp4Writer();
  Mp4Writer(const Mp4Writer&) = delete;
  Mp4Writer& operator=(const Mp4Writer&) = delete;

  // Creates `path` (replacing it). False with error() on a failure.
  bool open(const std::string& path, const Settings& settings);
  // One picture, width × height top-down RGB, shown from `ms`; times must grow.
  bool addPicture(const std::vector<uint8_t>& rgb, int64_t ms);
  // Sound samples following those given before.
  bool addSound(const int16_t* samples, size_t count);
  // Flushes the encoders and writes the index; the file is complete when this returns true.
  bool finish();
  const std::string& error() const { return error_; }

 private:
  bool fail(const std::string& what, int code = 0);
  bool openVideo();
  bool openSound();
  bool encodeVideo(AVFrame* frame);
  bool encodeSound(AVFrame* frame);
  bool encodeSoundBlock(size_t count);
  bool writeVideoPacket(AVPacket* packet);
  void close();

  Settings settings_;
  std::string error_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVCodecContext* sound_ = nullptr;
  AVStream* videoStream_ = nullptr;
  AVStream* soundStream_ = nullptr;
  SwsContext* toYuv_ = nullptr;
  AVFrame* picture_ = nullptr;
  AVFrame* soundFrame_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVPacket* heldVideo_ = nullptr;  // written once the next one gives its duration
  bool holding_ = false;
  bool headerWritten_ = false;
  int64_t lastMs_ = -1, lastInterval_ = 40;
  std::vector<int16_t> pendingSound_;
  int64_t soundSamples_ = 0;  // samples handed to the encoder so far
};

}  // namespace kd
