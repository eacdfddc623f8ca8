#include "engine_fixtures.h"

#include <gtest/gtest.h>

#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "synth/base/recording_writer.h"

namespace kd::testing {

GeneratorOptions opaqueRecording(const std::string& path, int nibble, int blocks,
                                 int framesPerBlock) {
  GeneratorOptions o;
  o.path = path;
  o.codec = "opaque";
  o.encoder.options["nibble"] = std::to_string(nibble);
  o.encoder.options["size"] = "64";
  o.blocks = blocks;
  o.framesPerBlock = framesPerBlock;
  return o;
}

void generate(const GeneratorOptions& options) {
  std::string error;
  ASSERT_TRUE(generateRecording(options, error)) << error;
}

void writeRecording(const std::string& path, const std::vector<std::vector<PlainFrame>>& blocks) {
  RecordingInfo header;
  header.formatVersion = 3;
  header.startTime = 1767254400;
  header.timeBase = 100000;
  header.setResolution(130);
  RecordingWriter writer;
  ASSERT_TRUE(writer.create(path, header)) << writer.error();
  const std::vector<uint8_t> video(64, 0x5A);
  const std::vector<uint8_t> audio(4096, 0);
  for (const auto& block : blocks) {
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(writer.beginBlock(block.front().stamp)) << writer.error();
    for (const PlainFrame& f : block) {
      WriterRecord r{f.kind, f.flags, f.stamp, video.data(), uint32_t(video.size()), nullptr, 0};
      if (f.audioBytes) {
        r.flags |= frame_flags::kAudio;
        r.audio = audio.data();
        r.audioSize = f.audioBytes;
      }
      ASSERT_TRUE(writer.addFrame(r)) << writer.error();
    }
  }
  ASSERT_TRUE(writer.finish()) << writer.error();
}

namespace {

class SceneDecoder : public PlayDecoder {
 public:
  SceneDecoder(const RecordingReader& reader, SceneOptions scene, std::vector<uint32_t>* decoded)
      : reader_(reader), scene_(scene), decoded_(decoded) {}

  bool decode(PictureFrame& frame, bool, int32_t&) override {
    const uint32_t number = reader_.frameNumber(frame.block, frame.frameInBlock);
    if (decoded_) decoded_->push_back(number);
    DecodedPicture& picture = *frame.picture();
    const RgbImage image = renderTestScene(picture.width(), picture.height(), int(number), scene_);
    uint8_t* out = picture.pixels();
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x, out += 3) {
        const uint8_t* p = image.pixel(x, y);
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
      }
    }
    return true;
  }
  bool planar() const override { return false; }

 private:
  const RecordingReader& reader_;
  SceneOptions scene_;
  std::vector<uint32_t>* decoded_;
};

}  // namespace

PlayDecoderFactory sceneDecoders(SceneOptions scene, std::vector<uint32_t>* decoded) {
  return [scene, decoded](const RecordingInfo& info, const FramePacket& first,
                          std::string& reason) -> std::unique_ptr<PlayDecoder> {
    const int family = frame_flags::codecFamily(first.flags);
    if (family == 5 || family > 8) {
      reason = "codec family " + std::to_string(family) + " is not supported";
      return nullptr;
    }
    // The play window hands over its reader, which the decoder needs for frame numbers.
    const auto* reader = dynamic_cast<const RecordingReader*>(&info);
    if (!reader) return nullptr;
    return std::make_unique<SceneDecoder>(*reader, scene, decoded);
  };
}

std::vector<PlayEvent> EventLog::frames() const {
  std::vector<PlayEvent> out;
  for (const auto& e : events) {
    if (e.code == PN_FRAME) out.push_back(e);
  }
  return out;
}

int EventLog::count(PlayerNotifyCode code) const {
  int n = 0;
  for (const auto& e : events) n += e.code == code;
  return n;
}

int64_t EventLog::tickOf(uint32_t number) const {
  for (const auto& e : events) {
    if (e.code == PN_FRAME && e.number == number) return e.tick;
  }
  return -1;
}

}  // namespace kd::testing
