#include "ffmpeg_oracle.h"

#include <cstdio>

#include "common/temp_dir.h"

namespace kd::testing {

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, uint16_t(v));
  put16(out, uint16_t(v >> 16));
}

void putTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

std::vector<uint8_t> bytesOf(const std::vector<int16_t>& pcm) {
  std::vector<uint8_t> out;
  for (int16_t s : pcm) put16(out, uint16_t(s));
  return out;
}

// Runs ffmpeg quietly on `input` and returns the bytes of its output file, empty on failure.
std::vector<uint8_t> runFfmpeg(const std::vector<uint8_t>& input, const std::string& inName,
                               const std::string& inputOptions, const std::string& outputOptions) {
  TempDir dir;
  writeFileBytes(dir.file(inName), input);
  const std::string out = dir.file("out.bin");
  const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + inputOptions +
                              " -i '" + dir.file(inName) + "' " + outputOptions + " '" + out +
                              "' 2>&1";
  std::string messages;
  if (runCommand(command, &messages) != 0) {
    std::fprintf(stderr, "ffmpeg failed: %s\n", messages.c_str());
    return {};
  }
  return readFileBytes(out);
}

}  // namespace

bool ffmpegAvailable() {
  return runCommand("ffmpeg -hide_banner -version >/dev/null 2>&1") == 0;
}

std::vector<int16_t> samplesOf(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> out(bytes.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = int16_t(uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
  }
  return out;
}

std::vector<uint8_t> ffmpegEncodeG726(const std::vector<int16_t>& pcm) {
  return runFfmpeg(bytesOf(pcm), "in.raw", "-f s16le -ar 8000 -ac 1",
                   "-c:a g726le -code_size 3 -f g726le");
}

std::vector<int16_t> ffmpegDecodeG726(const std::vector<uint8_t>& bytes) {
  return samplesOf(
      runFfmpeg(bytes, "in.g726", "-f g726le -code_size 3 -sample_rate 8000", "-f s16le"));
}

std::vector<int16_t> ffmpegDecodeIma(const std::vector<uint8_t>& blocks) {
  constexpr uint16_t kBlock = 508;
  constexpr uint16_t kSamplesPerBlock = 1009;
  const uint32_t blockCount = uint32_t(blocks.size() / kBlock);
  std::vector<uint8_t> wav;
  putTag(wav, "RIFF");
  put32(wav, uint32_t(4 + 28 + 12 + 8 + blocks.size()));
  putTag(wav, "WAVE");
  putTag(wav, "fmt ");
  put32(wav, 20);
  put16(wav, 0x11);  // IMA ADPCM
  put16(wav, 1);
  put32(wav, 8000);
  put32(wav, 8000u * kBlock / kSamplesPerBlock);
  put16(wav, kBlock);
  put16(wav, 4);
  put16(wav, 2);
  put16(wav, kSamplesPerBlock);
  putTag(wav, "fact");
  put32(wav, 4);
  put32(wav, blockCount * kSamplesPerBlock);
  putTag(wav, "data");
  put32(wav, uint32_t(blocks.size()));
  wav.insert(wav.end(), blocks.begin(), blocks.end());
  return samplesOf(runFfmpeg(wav, "in.wav", "", "-f s16le"));
}

std::vector<int16_t> ffmpegDecodeImaNibbles(const std::vector<uint8_t>& bytes) {
  return samplesOf(
      runFfmpeg(bytes, "in.raw", "-f u8 -ar 8000 -ac 1 -c:a adpcm_ima_ssi", "-f s16le"));
}

}  // namespace kd::testing
