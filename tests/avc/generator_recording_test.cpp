// Recordings written by `kdtool synth --codec avc`, read back through the recording reader and
// decoded through the family 4 adapter, against the same encoder run here.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "avc_test_support.h"
#include "common/temp_dir.h"
#include "decode/avc/avc_adapter.h"
#include "decode/yuv_to_bgr.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd::avc::testing {
namespace {

constexpr int kWidth = 352, kHeight = 288;  // resolution code 130, the generator's default
constexpr uint32_t kTimeBase = 100000;      // the generator's default time base
constexpr int kFramesPerBlock = 10, kBlocks = 2;

struct Case {
  int version;
  bool deblock;
  bool bPictures;
  bool swapBytes;
};

std::vector<uint8_t> toBgr(const OutputPicture& p) {
  std::vector<uint8_t> bgr(size_t(kWidth) * kHeight * 3);
  convertYuvToBgr(
      YuvPlanes{p.y.data(), p.u.data(), p.v.data(), kWidth, kWidth / 2, kWidth, kHeight},
      bgr.data(), kWidth, kHeight);
  return bgr;
}

TEST(AvcRecordings, GeneratorRecordingsDecodeToTheEncodersPictures) {
  if (!std::filesystem::exists(KD_KDTOOL)) GTEST_SKIP() << "kdtool is not built";
  QuietDiagnostics quiet;
  kd::testing::TempDir dir;
  const Case cases[] = {{3, true, true, false},   {3, false, false, true}, {4, true, false, true},
                        {4, false, false, false}, {5, true, false, false}, {5, false, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "version " << c.version << " deblock " << c.deblock);
    const std::string path = dir.file("v" + std::to_string(c.version) + (c.deblock ? "d" : "") +
                                      (c.bPictures ? "b" : "") + ".kdz");
    std::string command = std::string(KD_KDTOOL) + " synth --format 3 --codec avc --avc-version " +
                          std::to_string(c.version) + " --blocks " + std::to_string(kBlocks) +
                          " --frames-per-block " + std::to_string(kFramesPerBlock) +
                          " --option deblock=" + (c.deblock ? "1" : "0") +
                          (c.bPictures ? " --b-pictures" : "") +
                          (c.swapBytes ? " --swap-bytes" : "") + " " + path + " 2>/dev/null";
    ASSERT_EQ(kd::testing::runCommand(command), 0) << command;

    // The generator's encoder inputs, repeated here.
    VideoEncoderSettings settings = settingsFor(c.version, kWidth, kHeight);
    settings.quant = 8;  // the generator's default: the encoder's own default quant
    settings.bPictures = c.bPictures;
    settings.swapBytes = c.swapBytes;
    settings.options["deblock"] = c.deblock ? "1" : "0";
    AvcEncoder encoder(settings);
    const int pictures = kBlocks * kFramesPerBlock;
    for (int i = 0; i < pictures; ++i)
      encoder.encode(renderTestScene(kWidth, kHeight, i), kTimeBase + uint32_t(40 * i),
                     i % kFramesPerBlock == 0);
    encoder.flush();

    RecordingInfo info;
    ASSERT_TRUE(info.probe(path));
    RecordingReader reader;
    ASSERT_TRUE(reader.open(info, RecordingReader::kReadMode, -1)) << reader.lastError();
    PictureFrame packet(0, kWidth, kHeight);
    std::unique_ptr<VideoDecoder> decoder = makeAvcDecoderAdapter();
    int shown = 0, records = 0;
    while (reader.readFrame(packet)) {
      ++records;
      ASSERT_EQ(frame_flags::codecFamily(packet.flags), 4);
      int32_t delay = -1;
      if (!decoder->decodeFrameTimed(packet, delay, c.deblock)) continue;
      // Output comes in display order, 40 ms apart.
      const OutputPicture* expected = encoder.reconstructionAt(kTimeBase + uint32_t(40 * shown));
      ASSERT_NE(expected, nullptr) << "picture " << shown;
      const std::vector<uint8_t> bgr = toBgr(*expected);
      EXPECT_EQ(0, std::memcmp(bgr.data(), packet.picture()->pixels(), bgr.size()))
          << "picture " << shown;
      if (shown + 3 < pictures) {
        EXPECT_EQ(delay, 40);
      }
      ++shown;
    }
    EXPECT_EQ(records, pictures);
    EXPECT_EQ(shown, pictures - 2);  // the store hands out two decodes late
  }
}

}  // namespace
}  // namespace kd::avc::testing
