#pragma once
// FFmpeg as the independent reader of our AVI files: what ffprobe sees of each stream, and
// the decoded bytes of one stream.
#include <cstdint>
#include <string>
#include <vector>

namespace kd::testing {

struct ProbedStream {
  std::string type;   // video, audio, subtitle
  std::string codec;  // rawvideo, mjpeg, pcm_s16le, ...
  long frames = -1;   // nb_frames from the header
  long packets = -1;  // packets read through the whole file
  std::string rate;   // r_frame_rate, "300/10" style
  int width = 0, height = 0;
  int sampleRate = 0;
};

// Empty when ffprobe fails.
std::vector<ProbedStream> probeStreams(const std::string& path);
// Presentation times (in stream time base units) of the packets of stream `index`.
std::vector<long> packetTimes(const std::string& path, int index);
// ffmpeg -i PATH -map 0:INDEX OUTPUT_OPTIONS -: the stream decoded to raw bytes.
std::vector<uint8_t> decodeStream(const std::string& path, int index, const std::string& options);

}  // namespace kd::testing
