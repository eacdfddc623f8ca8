// Decoding speed of the two sound families on one core, as multiples of real time: ten minutes
// of the generator's sound, encoded by our encoders, decoded payload by payload as playback
// does. FFmpeg's decoder of the same stream is timed as a peer when installed (its process
// start-up included). Usage: bench_sound_decode [--minutes N] [--repeat N]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/g726_codec.h"
#include "audio/ima_adpcm_codec.h"
#include "synth/base/tone.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Stream {
  std::vector<uint8_t> bytes;
  size_t payloadBytes;
};

Stream encode(kd::SoundEncoder& encoder, const std::vector<int16_t>& pcm) {
  Stream s;
  const size_t n = encoder.samplesPerPayload();
  for (size_t at = 0; at + n <= pcm.size(); at += n) {
    const std::vector<uint8_t> payload = encoder.encode(pcm.data() + at, n);
    s.payloadBytes = payload.size();
    s.bytes.insert(s.bytes.end(), payload.begin(), payload.end());
  }
  return s;
}

// Seconds of sound decoded per second, best of `repeat` runs.
double decodeSpeed(kd::SoundFamily family, const Stream& s, int repeat, int64_t& checksum) {
  double best = 0;
  for (int r = 0; r < repeat; ++r) {
    auto decoder = kd::makeSoundDecoder(family);
    std::vector<int16_t> out(decoder->samplesForBytes(s.payloadBytes));
    size_t total = 0;
    const auto start = Clock::now();
    for (size_t at = 0; at + s.payloadBytes <= s.bytes.size(); at += s.payloadBytes) {
      size_t samples = 0;
      decoder->decode(s.bytes.data() + at, s.payloadBytes, out.data(), samples);
      total += samples;
      checksum += out[samples / 2];
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::max(best, double(total) / kd::kSoundRate / seconds);
  }
  return best;
}

// The same for FFmpeg through its command line, or 0 when it is not installed.
double ffmpegSpeed(const Stream& s, const std::string& inputOptions, const std::string& name,
                   double soundSeconds) {
  const auto path =
      std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()) + ".bin");
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(s.bytes.data(), 1, s.bytes.size(), f);
  std::fclose(f);
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -threads 1 " +
                              inputOptions + " -i '" + path.string() + "' -f null - 2>/dev/null";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::filesystem::remove(path);
  return status == 0 ? soundSeconds / seconds : 0;
}

}  // namespace

int main(int argc, char** argv) {
  int minutes = 10, repeat = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--minutes")) minutes = std::atoi(argv[i + 1]);
    if (!std::strcmp(argv[i], "--repeat")) repeat = std::atoi(argv[i + 1]);
  }
  if (minutes <= 0 || repeat <= 0) {
    std::fprintf(stderr, "usage: bench_sound_decode [--minutes N] [--repeat N]\n");
    return 2;
  }
  const std::vector<int16_t> pcm = kd::generateTone(0, size_t(minutes) * 60 * kd::kSoundRate);
  const double soundSeconds = double(pcm.size()) / kd::kSoundRate;
  int64_t checksum = 0;

  kd::G726Encoder g726Encoder;
  const Stream g726 = encode(g726Encoder, pcm);
  kd::ImaAdpcmEncoder imaEncoder;
  const Stream ima = encode(imaEncoder, pcm);

  std::printf("%d min of sound, best of %d runs, x real time (one core)\n", minutes, repeat);
  std::printf("G.726 24k, %zu-byte payloads: ours %.0f x", g726.payloadBytes,
              decodeSpeed(kd::SoundFamily::G726, g726, repeat, checksum));
  const double g726Peer =
      ffmpegSpeed(g726, "-f g726le -code_size 3 -sample_rate 8000", "bench-g726", soundSeconds);
  if (g726Peer > 0) std::printf(", ffmpeg %.0f x", g726Peer);
  std::printf("\nIMA ADPCM, %zu-byte blocks: ours %.0f x\n", ima.payloadBytes,
              decodeSpeed(kd::SoundFamily::ImaAdpcm, ima, repeat, checksum));
  std::printf("(checksum %lld)\n", static_cast<long long>(checksum));
  return 0;
}
