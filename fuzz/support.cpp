#include "support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kd::fuzz {

std::string writeScratchFile(const uint8_t* data, size_t size, const std::string& extension) {
  static const std::string folder = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string dir = base + "/kd-fuzz-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    return dir;
  }();
  const std::string path = folder + "/input." + extension;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

const char* extensionFor(uint8_t selector) {
  static const char* const kExtensions[] = {"kd", "kdx", "kdq", "kdz", "ckd", "dat"};
  return kExtensions[selector % 6];
}

}  // namespace kd::fuzz

#include <memory>
#include <vector>

#include "audio/sound_codec.h"
#include "decode/dct/legacy_dct_decoder.h"
#include "decode/dispatch/decoder_factory.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"

namespace kd::fuzz {

void fuzzVideoDecoder(int family, const uint8_t* data, size_t size) {
  if (size < 2) return;
  static const int kSizes[][2] = {{176, 144}, {352, 288}, {320, 240}, {64, 48}, {704, 576}};
  const int* wh = kSizes[data[0] % 5];
  const uint8_t options = data[1];
  RecordingDecoder d;
  if (family < 0) {
    d.legacy = std::make_unique<LegacyDctDecoder>();
    d.legacy->open(options & 4 ? LegacyDctDecoder::kModeEnlarge : LegacyDctDecoder::kModePlain);
  } else {
    d.decoder = createVideoDecoder(family, wh[0], wh[1]);
    d.family = family;
    if (!d.decoder) return;
  }
  PictureFrame packet(0, wh[0], wh[1]);
  size_t pos = 2;
  for (int frame = 0; frame < 8 && pos + 2 <= size; ++frame) {
    size_t length = size_t(data[pos]) | (size_t(data[pos + 1]) << 8);
    pos += 2;
    length = std::min({length, size - pos, size_t(packet.videoCapacity())});
    std::memcpy(packet.video(), data + pos, length);
    pos += length;
    packet.videoSize = uint32_t(length);
    packet.kind = frame == 0 ? 0 : 1;
    packet.flags = uint16_t((std::max(family, 0) << 4) | (options & 2 ? 0x4000 : 0));
    packet.timeStamp = uint32_t(frame * 40);
    int32_t delay = 0;
    decodeFrameRecord(d, packet, options & 1, delay);
  }
}

void fuzzSoundDecoder(int family, const uint8_t* data, size_t size) {
  auto decoder = makeSoundDecoder(family == 0 ? SoundFamily::G726 : SoundFamily::ImaAdpcm);
  if (!decoder) return;
  decoder->reset();
  const size_t chunk = family == 0 ? 360 : 1016;
  std::vector<int16_t> out;
  for (size_t pos = 0; pos < size; pos += chunk) {
    const size_t n = std::min(chunk, size - pos);
    out.assign(decoder->samplesForBytes(n) + 16, 0);
    size_t samples = 0;
    decoder->decode(data + pos, n, out.data(), samples);
    if (samples > out.size()) __builtin_trap();
  }
}

}  // namespace kd::fuzz
