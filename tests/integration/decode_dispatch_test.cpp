// The decode dispatch: the format-version gate, the family table per context, the calling rule
// and the picture layouts.
#include <gtest/gtest.h>

#include <cstring>

#include "decode/dct/dct_decoder.h"
#include "decode/dct/motion_dct_decoder.h"
#include "decode/dispatch/decoder_factory.h"
#include "decode/dispatch/picture_transfer.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "recording/recording_info.h"
#include "synth/base/test_scene.h"
#include "synth/dct/dct_encoder.h"

namespace kd {
namespace {

RecordingInfo header(int formatVersion, uint32_t revision = 0) {
  RecordingInfo info;
  info.formatVersion = formatVersion;
  info.revision = revision;
  info.setResolution(130);
  return info;
}

TEST(DecodeDispatch, FormatGateAndFamilyTable) {
  RecordingDecoder d;
  std::string reason;
  ASSERT_TRUE(openRecordingDecoder(header(3), 0x0000, DecodeContext::PlayerWindow, d, reason));
  EXPECT_EQ(d.family, 0);
  EXPECT_NE(dynamic_cast<DctDecoder*>(d.decoder.get()), nullptr);
  EXPECT_EQ(dynamic_cast<MotionDctDecoder*>(d.decoder.get()), nullptr);
  ASSERT_TRUE(openRecordingDecoder(header(7), 0x4013, DecodeContext::AviConversion, d, reason));
  EXPECT_EQ(d.family, 1);
  EXPECT_NE(dynamic_cast<MotionDctDecoder*>(d.decoder.get()), nullptr);
  for (uint16_t flags : {0x0050, 0x0090, 0x00F0}) {
    EXPECT_FALSE(openRecordingDecoder(header(3), flags, DecodeContext::PlayerWindow, d, reason));
    EXPECT_EQ(reason, "codec family " + std::to_string(flags >> 4) + " is not supported");
    EXPECT_FALSE(d.decoder || d.legacy);
  }
  // Families of outside decoders play only in player windows.
  for (uint16_t flags : {0x0030, 0x0060, 0x0070, 0x0080}) {
    EXPECT_FALSE(openRecordingDecoder(header(8), flags, DecodeContext::QuadPlayback, d, reason));
    EXPECT_EQ(reason,
              "codec family " + std::to_string(flags >> 4) + " is not supported in quad playback");
    EXPECT_FALSE(openRecordingDecoder(header(3), flags, DecodeContext::AviConversion, d, reason));
    EXPECT_NE(reason.find("family " + std::to_string(flags >> 4)), std::string::npos);
  }
  EXPECT_TRUE(familyAllowed(6, DecodeContext::PlayerWindow));
  EXPECT_TRUE(familyAllowed(4, DecodeContext::QuadPlayback));
  EXPECT_FALSE(familyAllowed(5, DecodeContext::PlayerWindow));
  // Other format versions ignore the nibble: the legacy decoder, mode by revision.
  for (int version : {0, 1, 2}) {
    ASSERT_TRUE(
        openRecordingDecoder(header(version), 0x0050, DecodeContext::PlayerWindow, d, reason));
    ASSERT_TRUE(d.legacy);
    EXPECT_EQ(d.legacy->mode(), LegacyDctDecoder::kModePlain);
    EXPECT_EQ(d.family, -1);
  }
  ASSERT_TRUE(
      openRecordingDecoder(header(1, 4096), 0x0040, DecodeContext::PlayerWindow, d, reason));
  EXPECT_EQ(d.legacy->mode(), LegacyDctDecoder::kModeEnlarge);
  // The gate differs per context: 8 is a family format only in quad playback, 7 only outside it.
  ASSERT_TRUE(openRecordingDecoder(header(8), 0x0010, DecodeContext::QuadPlayback, d, reason));
  EXPECT_EQ(d.family, 1);
  ASSERT_TRUE(openRecordingDecoder(header(7), 0x0050, DecodeContext::QuadPlayback, d, reason));
  EXPECT_TRUE(d.legacy);
  EXPECT_EQ(createVideoDecoder(5, 352, 288), nullptr);
  EXPECT_NE(unavailableFamilyReason(9).find("family 9"), std::string::npos);
}

TEST(DecodeDispatch, CallingRule) {
  VideoEncoderSettings s;
  s.width = 352;
  s.height = 288;
  DctEncoder encoder(s, false);
  const auto frames = encoder.encode(renderTestScene(352, 288, 0), 0, true);
  RecordingDecoder d;
  std::string reason;
  ASSERT_TRUE(
      openRecordingDecoder(header(3), frames[0].flags, DecodeContext::PlayerWindow, d, reason));
  PictureFrame packet(0, 352, 288);
  std::memcpy(packet.video(), frames[0].payload.data(), frames[0].payload.size());
  packet.videoSize = uint32_t(frames[0].payload.size());
  std::memset(packet.picture()->pixels(), 0x33, packet.picture()->byteSize());
  int32_t delay = -5;
  // Bit 0: no decoder call, the picture stays.
  packet.flags = frame_flags::kNoPicture;
  EXPECT_FALSE(decodeFrameRecord(d, packet, true, delay));
  EXPECT_EQ(packet.picture()->pixels()[1000], 0x33);
  // The family of the first record serves every later one, whatever its nibble says.
  packet.flags = 0x0040;
  EXPECT_TRUE(decodeFrameRecord(d, packet, true, delay));
  EXPECT_NE(packet.picture()->pixels()[1000], 0x33);
  EXPECT_EQ(delay, -5);
  // The legacy path writes the packet's picture as well.
  ASSERT_TRUE(openRecordingDecoder(header(0), 0, DecodeContext::PlayerWindow, d, reason));
  std::memset(packet.picture()->pixels(), 0x33, packet.picture()->byteSize());
  packet.flags = 0;
  EXPECT_TRUE(decodeFrameRecord(d, packet, false, delay));
  EXPECT_NE(packet.picture()->pixels()[1000], 0x33);
}

TEST(DecodeDispatch, PictureLayoutsAndTopDownRgb) {
  const auto player = DecodeContext::PlayerWindow;
  EXPECT_TRUE(pictureLayout(3, 0x0010, player).planar);
  EXPECT_FALSE(pictureLayout(3, 0x0010, player).topFirst);
  EXPECT_TRUE(pictureLayout(7, 0x4000, player).topFirst);
  EXPECT_FALSE(pictureLayout(3, 0x0040, player).planar);
  EXPECT_TRUE(pictureLayout(3, 0x0040, player).topFirst);
  EXPECT_TRUE(pictureLayout(8, 0x0000, DecodeContext::QuadPlayback).planar);
  EXPECT_FALSE(pictureLayout(8, 0x0000, player).planar);  // not a family format there
  EXPECT_TRUE(pictureLayout(2, 0x0010, player).topFirst);
  EXPECT_FALSE(pictureLayout(1, 0x4010, player).topFirst);

  DecodedPicture p(2, 2);
  // Planar: red plane 1, 2 / 3, 4; green +10; blue +20. Row 0 is the bottom without bit 14.
  const uint8_t planar[] = {1, 2, 3, 4, 11, 12, 13, 14, 21, 22, 23, 24};
  std::memcpy(p.pixels(), planar, sizeof planar);
  EXPECT_EQ(toTopDownRgb(p, {true, false}),
            (std::vector<uint8_t>{3, 13, 23, 4, 14, 24, 1, 11, 21, 2, 12, 22}));
  EXPECT_EQ(toTopDownRgb(p, {true, true}),
            (std::vector<uint8_t>{1, 11, 21, 2, 12, 22, 3, 13, 23, 4, 14, 24}));
  // Interleaved blue, green, red.
  EXPECT_EQ(toTopDownRgb(p, {false, true}),
            (std::vector<uint8_t>{3, 2, 1, 12, 11, 4, 21, 14, 13, 24, 23, 22}));
  EXPECT_EQ(toTopDownRgb(p, {false, false}),
            (std::vector<uint8_t>{21, 14, 13, 24, 23, 22, 3, 2, 1, 12, 11, 4}));
}

}  // namespace
}  // namespace kd
