// Frames per second of the motion-compensated DCT decoder (family 1) on one core: a generated
// recording is read into memory, then decoded start to end several times, picture conversion
// included. Usage: bench_dct_decode [--frames N] [--repeat N] [--quant Q] [--key-every N]
// [--top-down] (an intra picture every N pictures, 25 by default).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/generator.h"

namespace {

struct Size {
  int resolutionCode;
  int width;
  int height;
};

double run(const Size& size, int frames, int repeat, int quant, bool topDown, int keyEvery) {
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("bench-dct-" + std::to_string(size.width) + "-" + std::to_string(::getpid()) + ".kdz"))
          .string();
  kd::GeneratorOptions g;
  g.path = path;
  g.formatVersion = 3;
  g.codec = "dct-mc";
  g.resolutionCode = size.resolutionCode;
  g.framesPerBlock = keyEvery;
  g.blocks = (frames + keyEvery - 1) / keyEvery;
  g.encoder.quant = quant;
  g.encoder.topDown = topDown;
  std::string error;
  if (!kd::generateRecording(g, error)) {
    std::fprintf(stderr, "generator: %s\n", error.c_str());
    std::exit(1);
  }
  kd::RecordingInfo info;
  kd::RecordingReader reader;
  if (!info.probe(path) || !reader.open(info)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::exit(1);
  }
  std::vector<std::unique_ptr<kd::PictureFrame>> packets;
  size_t bytes = 0;
  for (;;) {
    auto p = std::make_unique<kd::PictureFrame>(0, info.pictureWidth(), info.pictureHeight());
    if (!reader.readFrame(*p)) break;
    bytes += p->videoSize;
    packets.push_back(std::move(p));
  }
  reader.close();
  std::filesystem::remove(path);
  kd::RecordingDecoder decoder;
  if (!kd::openRecordingDecoder(info, packets.at(0)->flags, kd::DecodeContext::PlayerWindow,
                                decoder, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::exit(1);
  }
  // Every packet decodes into the first one's picture, as a play window does.
  kd::PictureFrame& target = *packets[0];
  int decoded = 0;
  // Processor time of this process: the figure does not depend on what else the machine runs.
  const std::clock_t startCpu = std::clock();
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeat; ++r) {
    for (auto& p : packets) {
      int32_t delay = 0;
      std::memcpy(target.video(), p->video(), p->videoSize);
      target.videoSize = p->videoSize;
      target.flags = p->flags;
      decoded += kd::decodeFrameRecord(decoder, target, false, delay) ? 1 : 0;
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double seconds = double(std::clock() - startCpu) / CLOCKS_PER_SEC;
  const double fps = decoded / seconds;
  std::printf(
      "%dx%d family 1%s quant %d, intra every %d: %zu frames (%.1f KB/frame), %d decoded in %.3f s "
      "processor time "
      "(%.3f s wall): %.0f fps\n",
      size.width, size.height, topDown ? " top-down" : "", quant, keyEvery, packets.size(),
      double(bytes) / 1024.0 / double(packets.size()), decoded, seconds, wall, fps);
  return fps;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 100, repeat = 5, quant = 8, keyEvery = 25;
  bool topDown = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--frames") && i + 1 < argc)
      frames = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc)
      repeat = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--quant") && i + 1 < argc)
      quant = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "--key-every") && i + 1 < argc)
      keyEvery = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--top-down"))
      topDown = true;
  }
  run({137, 704, 576}, frames, repeat, quant, topDown, keyEvery);
  run({130, 352, 288}, frames, repeat, quant, topDown, keyEvery);
  return 0;
}
