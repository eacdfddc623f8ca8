// The family 2 decoder at the edges: how a stream may start, what it refuses, damaged payloads
// and layers of another size; the control call's parameter checks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decode/mpeg4/mpeg4_adapter.h"
#include "decode/mpeg4/mpeg4_control.h"
#include "decode/mpeg4/mpeg4_decoder.h"
#include "recording/frame_packet.h"
#include "stream_fixtures.h"

namespace kd::testing {

namespace {

using mpeg4::Mpeg4Decoder;

void load(PictureFrame& f, const std::vector<uint8_t>& payload, uint16_t kind) {
  ASSERT_LE(payload.size(), f.videoCapacity());
  if (!payload.empty()) std::memcpy(f.video(), payload.data(), payload.size());
  f.videoSize = uint32_t(payload.size());
  f.kind = kind;
  f.flags = 0x20;
}

// Everything from the VOP start code on.
std::vector<uint8_t> vopOnly(const std::vector<uint8_t>& payload) {
  for (size_t i = 0; i + 4 <= payload.size(); ++i)
    if (!payload[i] && !payload[i + 1] && payload[i + 2] == 1 && payload[i + 3] == 0xB6)
      return {payload.begin() + long(i), payload.end()};
  return {};
}

// A BGR output with guard bytes after it, to see that nothing is written past its rows.
struct GuardedOutput {
  static constexpr size_t kGuard = 4096;
  int width, height;
  std::vector<uint8_t> bytes;
  GuardedOutput(int w, int h) : width(w), height(h), bytes(size_t(w) * h * 3 + kGuard, 0xA5) {}
  Mpeg4Decoder::Output output() { return {bytes.data(), width, height}; }
  bool guardIntact() const {
    for (size_t i = size_t(width) * height * 3; i < bytes.size(); ++i)
      if (bytes[i] != 0xA5) return false;
    return true;
  }
};

}  // namespace

TEST(Mpeg4Edges, AdapterDropsAFirstFrameThatIsNotAKeyFrame) {
  const Stream s = xvidStream(176, 144, 3, 10);
  ASSERT_EQ(s.frames.size(), 3u);
  auto adapter = makeMpeg4DecoderAdapter();
  PictureFrame f(0, 176, 144);
  std::memset(f.picture()->pixels(), 0x33, f.picture()->byteSize());
  load(f, s.frames[0], 1);  // a decodable picture, but not marked as a key frame
  EXPECT_EQ(adapter->decodeFrame(f), 0);
  EXPECT_EQ(f.picture()->pixels()[1000], 0x33);
  // Later frames decode whatever their kind.
  load(f, s.frames[0], 1);
  EXPECT_EQ(adapter->decodeFrame(f), 1);
  EXPECT_NE(f.picture()->pixels()[1000], 0x33);
  load(f, s.frames[1], 1);
  EXPECT_EQ(adapter->decodeFrame(f), 1);
}

TEST(Mpeg4Edges, APayloadWithOnlyAVopDecodesAtTheCreationSize) {
  // Recorders that leave the layer header out use a time resolution of 30000.
  const Stream s = xvidStream(176, 144, 2, 10, {{"time_resolution", "30000"}});
  ASSERT_EQ(s.frames.size(), 2u);
  Mpeg4Decoder full, bare;
  ASSERT_TRUE(full.initialise(176, 144));
  ASSERT_TRUE(bare.initialise(176, 144));
  const std::vector<uint8_t> first = vopOnly(s.frames[0]);
  ASSERT_LT(first.size(), s.frames[0].size());
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(full.decode(s.frames[size_t(i)].data(), s.frames[size_t(i)].size(), nullptr));
    const std::vector<uint8_t> payload = i == 0 ? first : s.frames[1];
    ASSERT_TRUE(bare.decode(payload.data(), payload.size(), nullptr)) << bare.lastError();
    EXPECT_FALSE(bare.layer().present);
    EXPECT_EQ(psnr(copyPlanes(full.lastPicture()), copyPlanes(bare.lastPicture())), 99.0);
  }
}

TEST(Mpeg4Edges, HeadersInAPayloadOfTheirOwnSetUpTheLayer) {
  const Stream s = xvidStream(176, 144, 2, 10);
  const std::vector<uint8_t> vop = vopOnly(s.frames[0]);
  const std::vector<uint8_t> headers(s.frames[0].begin(), s.frames[0].end() - long(vop.size()));
  Mpeg4Decoder split, whole;
  ASSERT_TRUE(split.initialise(352, 288));  // the headers also bring the layer's size
  ASSERT_TRUE(whole.initialise(176, 144));
  EXPECT_FALSE(split.decode(headers.data(), headers.size(), nullptr));  // no picture in it
  EXPECT_TRUE(split.layer().present);
  EXPECT_EQ(split.width(), 176);
  ASSERT_TRUE(split.decode(vop.data(), vop.size(), nullptr)) << split.lastError();
  ASSERT_TRUE(whole.decode(s.frames[0].data(), s.frames[0].size(), nullptr));
  EXPECT_EQ(psnr(copyPlanes(split.lastPicture()), copyPlanes(whole.lastPicture())), 99.0);
  EXPECT_TRUE(split.lastError().empty());
}

TEST(Mpeg4Edges, GroupOfVopAndUserDataHeadersAreSkipped) {
  const Stream s = xvidStream(176, 144, 1, 10);
  std::vector<uint8_t> p = s.frames[0];
  const size_t vop = p.size() - vopOnly(p).size();
  // group_of_vop with time_code 0:0:0, closed_gov 1, then user data, both before the VOP.
  const std::vector<uint8_t> extra = {0, 0, 1, 0xB3, 0x00, 0x10, 0x27,
                                      0, 0, 1, 0xB2, 'k',  'd',  0xFF};
  p.insert(p.begin() + long(vop), extra.begin(), extra.end());
  Mpeg4Decoder plain, withHeaders;
  ASSERT_TRUE(plain.initialise(176, 144));
  ASSERT_TRUE(withHeaders.initialise(176, 144));
  ASSERT_TRUE(plain.decode(s.frames[0].data(), s.frames[0].size(), nullptr));
  ASSERT_TRUE(withHeaders.decode(p.data(), p.size(), nullptr)) << withHeaders.lastError();
  EXPECT_EQ(psnr(copyPlanes(plain.lastPicture()), copyPlanes(withHeaders.lastPicture())), 99.0);
}

TEST(Mpeg4Edges, RefusedVopsLeaveThePictureAsItWas) {
  const Stream s = xvidStream(176, 144, 1, 10);
  auto adapter = makeMpeg4DecoderAdapter();
  PictureFrame f(0, 176, 144);
  load(f, s.frames[0], 0);
  ASSERT_EQ(adapter->decodeFrame(f), 1);
  const std::vector<uint8_t> shown(f.picture()->pixels(),
                                   f.picture()->pixels() + f.picture()->byteSize());
  auto expectUnchanged = [&](const std::vector<uint8_t>& payload, const char* what) {
    load(f, payload, 1);
    EXPECT_EQ(adapter->decodeFrame(f), 0) << what;
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), f.picture()->pixels())) << what;
  };
  // The stream's layer has 25 ticks a second: 5 bits of vop_time_increment.
  // 00 00 01 B6 | 01 (P) 0 (modulo) 1 00001 (increment) 1 0 (vop_coded = 0) 0111...
  expectUnchanged({0, 0, 1, 0xB6, 0b01010000, 0b11001111, 0xFF}, "vop_coded = 0");
  expectUnchanged({0, 0, 1, 0xB6, 0b10010000, 0b11100000}, "B-VOP");
  expectUnchanged({0, 0, 1, 0xB5, 0x09, 0x00, 0x00, 0x01, 0xB2, 'x'}, "no VOP start code");
  expectUnchanged({}, "empty payload");
  const Stream interlaced = ffmpegStream(176, 144, 1, "-flags +ildct");
  if (!interlaced.frames.empty()) {
    expectUnchanged(interlaced.frames[0], "interlaced layer");
    Mpeg4Decoder d;
    ASSERT_TRUE(d.initialise(176, 144));
    EXPECT_FALSE(d.decode(interlaced.frames[0].data(), interlaced.frames[0].size(), nullptr));
    EXPECT_NE(d.lastError().find("interlaced"), std::string::npos) << d.lastError();
  }
}

TEST(Mpeg4Edges, DamagedPayloadsStayInsideTheBuffers) {
  const Stream s = xvidStream(176, 144, 12, 6, {{"slices", "3"}});
  ASSERT_EQ(s.frames.size(), 12u);
  std::mt19937 rng(2024);
  Mpeg4Decoder decoder;
  ASSERT_TRUE(decoder.initialise(176, 144));
  GuardedOutput out(176, 144);
  const Mpeg4Decoder::Output o = out.output();
  int failed = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> p = s.frames[size_t(round) % s.frames.size()];
    switch (round % 4) {
      case 0:  // flipped bits
        for (int k = 0; k < 1 + round % 7; ++k) p[rng() % p.size()] ^= uint8_t(1u << (rng() % 8));
        break;
      case 1:  // truncated
        p.resize(rng() % p.size());
        break;
      case 2:  // a run of random bytes
        for (size_t k = rng() % p.size(), n = 0; k < p.size() && n < 40; ++k, ++n)
          p[k] = uint8_t(rng());
        break;
      default:  // random bytes behind a valid start
        p.resize(std::min<size_t>(p.size(), 12));
        for (int k = 0; k < 200; ++k) p.push_back(uint8_t(rng()));
    }
    if (!decoder.decode(p.data(), p.size(), &o)) ++failed;
    ASSERT_TRUE(out.guardIntact()) << "round " << round;
  }
  EXPECT_GT(failed, 0);
  // An intact key frame decodes again afterwards.
  EXPECT_TRUE(decoder.decode(s.frames[0].data(), s.frames[0].size(), &o)) << decoder.lastError();
}

TEST(Mpeg4Edges, ALayerOfAnotherSizeRecreatesTheBuffers) {
  const Stream big = xvidStream(352, 288, 3, 10);
  Mpeg4Decoder reference, small;
  ASSERT_TRUE(reference.initialise(352, 288));
  ASSERT_TRUE(small.initialise(176, 144));
  GuardedOutput full(352, 288), cut(176, 144);
  const Mpeg4Decoder::Output fo = full.output(), co = cut.output();
  for (const auto& p : big.frames) {
    ASSERT_TRUE(reference.decode(p.data(), p.size(), &fo));
    ASSERT_TRUE(small.decode(p.data(), p.size(), &co)) << small.lastError();
  }
  EXPECT_EQ(small.width(), 352);
  EXPECT_TRUE(cut.guardIntact());
  for (int row = 0; row < 144; ++row)
    ASSERT_EQ(0, std::memcmp(&cut.bytes[size_t(row) * 176 * 3], &full.bytes[size_t(row) * 352 * 3],
                             176 * 3))
        << "row " << row;
  // And a smaller layer leaves the rest of a larger output alone.
  const Stream little = xvidStream(176, 144, 1, 10);
  GuardedOutput wide(352, 288);
  const Mpeg4Decoder::Output wo = wide.output();
  ASSERT_TRUE(reference.decode(little.frames[0].data(), little.frames[0].size(), &wo));
  EXPECT_EQ(wide.bytes[size_t(200) * 352 * 3 + 300 * 3], 0xA5);
  EXPECT_NE(wide.bytes[0], 0xA5);
}

TEST(Mpeg4Edges, ControlCallChecksItsParameters) {
  using namespace mpeg4;
  EXPECT_EQ(mpeg4Control(nullptr, control_option::kRelease, nullptr, nullptr),
            control_result::kBadParameter);
  Mpeg4Decoder d;
  MemoryQuery q;
  q.width = 352;
  q.height = 288;
  ASSERT_EQ(mpeg4Control(&d, control_option::kQueryMemory, nullptr, &q), control_result::kDone);
  EXPECT_EQ(q.blockSizes[0], size_t(352 + 64) * (288 + 64) + 2 * size_t(176 + 32) * (144 + 32));
  EXPECT_EQ(q.blockSizes[2], size_t(352) * 288 * 3 / 2);
  std::vector<uint8_t> a(q.blockSizes[0]), b(q.blockSizes[1]);
  InitialiseParameters init;
  init.width = 352;
  init.height = 288;
  init.blocks[0] = a.data();
  init.blocks[1] = b.data();
  init.outputFormat = 3;
  EXPECT_EQ(mpeg4Control(&d, control_option::kInitialise, &init, nullptr),
            control_result::kBadParameter);
  init.outputFormat = kOutputFormatBgr24;
  init.width = 100000;
  EXPECT_EQ(mpeg4Control(&d, control_option::kInitialise, &init, nullptr),
            control_result::kBadParameter);
  init.width = 352;
  ASSERT_EQ(mpeg4Control(&d, control_option::kInitialise, &init, nullptr), control_result::kDone);
  for (auto [level, expected] : {std::pair{0, 0}, {40, 40}, {100, 100}, {101, 2}, {5000, 2}}) {
    EXPECT_EQ(mpeg4Control(&d, control_option::kPostProcessing, &level, nullptr),
              control_result::kDone);
    EXPECT_EQ(d.postProcessing(), expected) << level;
  }
  DecodeParameters p;  // rendering without an output
  const uint8_t bytes[4] = {0, 0, 1, 0xB6};
  p.payload = bytes;
  p.length = 4;
  EXPECT_EQ(mpeg4Control(&d, control_option::kDecode, &p, nullptr), control_result::kBadParameter);
  p.render = false;
  EXPECT_EQ(mpeg4Control(&d, control_option::kDecode, &p, nullptr), control_result::kFrameFailed);
  EXPECT_EQ(mpeg4Control(&d, control_option::kRelease, nullptr, nullptr), control_result::kDone);
}

}  // namespace kd::testing
