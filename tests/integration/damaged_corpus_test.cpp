// Generator recordings of every format and codec, damaged deterministically, run through the
// reader, the decoder choice and the calling rule exactly as kdtool decode runs them: nothing
// crashes, every failure says why, and frames before the damage still come out.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "common/temp_dir.h"
#include "decode/diagnostics.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/byte_order.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/encoder_factory.h"
#include "synth/generator.h"

using namespace kd;
using kd::testing::TempDir;

namespace {

struct Outcome {
  bool opened = false;
  std::string openError;
  int frames = 0;
  std::string stopReason;
};

// The kdtool decode path without the PPM output.
Outcome decodeAll(const std::string& path) {
  Outcome o;
  RecordingInfo info;
  if (!info.probe(path)) {
    o.openError = info.parseError();
    return o;
  }
  RecordingReader reader;
  if (!reader.open(info, 1, info.formatVersion == 8 ? 0 : -1)) {
    o.openError = reader.lastError();
    return o;
  }
  PictureFrame packet(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  if (!reader.readFrame(packet)) {
    o.openError = reader.lastError();
    return o;
  }
  RecordingDecoder decoder;
  const DecodeContext context =
      info.formatVersion == 8 ? DecodeContext::QuadPlayback : DecodeContext::PlayerWindow;
  if (!openRecordingDecoder(info, packet.flags, context, decoder, o.openError)) return o;
  o.opened = true;
  do {
    int32_t delay = 0;
    decodeFrameRecord(decoder, packet, true, delay);
    ++o.frames;
  } while (reader.readFrame(packet));
  o.stopReason = reader.lastError();
  return o;
}

struct Source {
  std::string name;
  int format;
  bool longVariant;
  std::string codec;
  int resolution;
};

std::vector<Source> sources() {
  std::vector<Source> list;
  for (const char* codec : {"legacy"})
    for (int f : {0, 1, 2})
      list.push_back({std::string{'f', char('0' + f)} + codec, f, false, codec, 2});
  for (const char* codec : {"dct", "dct-mc", "mpeg4", "xvid", "avc"}) {
    list.push_back({std::string("s3") + codec, 3, false, codec, 130});
    list.push_back({std::string("l3") + codec, 3, true, codec, 130});
    list.push_back({std::string("f7") + codec, 7, false, codec, 3});
  }
  for (const char* codec : {"dct-mc", "avc"})
    list.push_back({std::string("f8") + codec, 8, false, codec, 135});
  return list;
}

const char* extensionOf(int format) {
  switch (format) {
    case 0:
      return ".kd";
    case 1:
      return ".kdx";
    case 2:
      return ".kdq";
    case 7:
      return ".ckd";
    case 8:
      return ".dat";
    default:
      return ".kdz";
  }
}

}  // namespace

TEST(DamagedCorpus, EveryFormatAndCodecSurvivesDamage) {
  setDiagnosticStream(nullptr);
  TempDir dir;
  std::mt19937 random(20261209);
  int files = 0, variants = 0;
  for (const Source& s : sources()) {
    VideoEncoderSettings probe;
    probe.width = 352;
    probe.height = 288;
    if (!makeVideoEncoder(s.codec, probe)) continue;  // codec not built yet
    SCOPED_TRACE(s.name);
    GeneratorOptions g;
    g.path = dir.file(s.name + extensionOf(s.format));
    g.formatVersion = s.format;
    g.longVariant = s.longVariant;
    g.codec = s.codec;
    g.resolutionCode = s.resolution;
    g.blocks = 3;
    g.framesPerBlock = 4;
    g.audio = s.format == 3 && !s.longVariant ? "g726" : "none";
    std::string error;
    if (!generateRecording(g, error)) {
      g.audio = "none";  // sound codecs may not be built yet
      ASSERT_TRUE(generateRecording(g, error)) << error;
    }
    ++files;
    const Outcome intact = decodeAll(g.path);
    ASSERT_TRUE(intact.opened) << intact.openError;
    ASSERT_EQ(intact.frames, 12);
    const auto bytes = kd::testing::readFileBytes(g.path);

    RecordingReader layout;
    RecordingInfo info;
    info.path = g.path;
    ASSERT_TRUE(layout.open(info, 1, s.format == 8 ? 0 : -1));
    const size_t lastBlock = layout.blockOffset(2), secondBlock = layout.blockOffset(1);
    const size_t dataOffset = layout.dataOffset;
    layout.close();

    const std::string damaged = dir.file("damaged" + std::string(extensionOf(s.format)));
    auto check = [&](const std::vector<uint8_t>& file, const std::string& what, int atLeastFrames) {
      ++variants;
      kd::testing::writeFileBytes(damaged, file);
      const Outcome o = decodeAll(damaged);
      if (!o.opened) {
        EXPECT_FALSE(o.openError.empty()) << what;
      } else {
        EXPECT_FALSE(o.stopReason.empty()) << what;
      }
      if (atLeastFrames > 0) {
        EXPECT_GE(o.frames, atLeastFrames) << what;
      }
    };
    // Truncation: every cut inside the last block keeps the first two blocks' frames.
    for (size_t cut = bytes.size() - 1; cut > lastBlock;
         cut -= std::max<size_t>(1, (bytes.size() - lastBlock) / 12))
      check({bytes.begin(), bytes.begin() + long(cut)}, "cut at " + std::to_string(cut), 8);
    for (size_t cut = 0; cut < lastBlock; cut += std::max<size_t>(1, lastBlock / 16))
      check({bytes.begin(), bytes.begin() + long(cut)}, "cut at " + std::to_string(cut), 0);
    // Flipped bytes in the header, the block headers, record headers and payloads.
    for (int i = 0; i < 24; ++i) {
      auto file = bytes;
      size_t at;
      switch (i % 4) {
        case 0:
          at = random() % dataOffset;
          break;
        case 1:
          at = secondBlock + random() % 32;
          break;
        case 2:
          at = dataOffset + random() % 64;
          break;
        default:
          at = dataOffset + random() % (bytes.size() - dataOffset);
          break;
      }
      file[at] ^= uint8_t(1 + random() % 255);
      check(file, "byte " + std::to_string(at) + " flipped", 0);
    }
    // A zeroed block and a chain that points back to the first block.
    auto zeroed = bytes;
    std::fill(zeroed.begin() + long(secondBlock), zeroed.begin() + long(lastBlock), 0);
    check(zeroed, "second block zeroed", 0);
    if (!s.longVariant && s.format != 8) {
      auto loop = bytes;
      put32(&loop[lastBlock + 4], uint32_t(dataOffset));
      check(loop, "chain loop", 12);
    }
    // Random payload garbage inside the frames of the second block.
    auto garbage = bytes;
    for (size_t at = secondBlock + 40; at < lastBlock; at += 3) garbage[at] = uint8_t(random());
    check(garbage, "garbage payloads", 0);
  }
  EXPECT_GT(files, 0);
  std::printf("[ damaged corpus ] %d recordings, %d damaged variants\n", files, variants);
  setDiagnosticStream(stdout);
}
