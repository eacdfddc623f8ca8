#include "synth/generator.h"

#include <memory>
#include <vector>

#include "audio/sound_codec.h"
#include "platform/big5_text.h"
#include "recording/frame_packet.h"
#include "synth/base/recording_writer.h"
#include "synth/base/tone.h"
#include "synth/encoder_factory.h"

namespace kd {

namespace {

RecordingInfo makeHeader(const GeneratorOptions& o) {
  RecordingInfo h;
  h.formatVersion = o.formatVersion;
  if (o.formatVersion == 3 && o.longVariant) h.signature = {'S', 'X', 'D', 'K'};
  h.revision = o.revision;
  h.flags = o.headerFlags;
  h.camera = uint8_t(o.camera);
  h.card = uint8_t(o.card);
  h.startTime = int32_t(o.startTime);
  h.timeBase = o.timeBase;
  h.gmtOffset = o.gmtOffset;
  h.cameraName = utf8ToBig5(o.cameraName);
  h.cardName = utf8ToBig5(o.cardName);
  h.hostName = utf8ToBig5(o.hostName);
  for (int c = 0; c < 4; ++c) {
    h.channelCameraNames[size_t(c)] = utf8ToBig5(o.channelCameraNames[c]);
    h.channelCardNames[size_t(c)] = utf8ToBig5(o.channelCardNames[c]);
  }
  h.setResolution(o.resolutionCode);
  return h;
}

// Sound for the frames: payloads are handed out so that the sound written never runs ahead of
// the video time by more than one payload.
class SoundTrack {
 public:
  bool start(const std::string& name, std::string& error) {
    if (name == "none") return true;
    SoundFamily family;
    if (name == "g726")
      family = SoundFamily::G726;
    else if (name == "ima")
      family = SoundFamily::ImaAdpcm;
    else
      return error = "unknown sound codec " + name, false;
    encoder_ = makeSoundEncoder(family);
    if (!encoder_) return error = "no encoder for sound codec " + name, false;
    return true;
  }
  // The payload for a frame whose display interval ends at `untilMs` since the start.
  std::vector<uint8_t> payloadUntil(uint64_t untilMs) {
    if (!encoder_) return {};
    const uint64_t wanted = untilMs * kSoundRate / 1000;
    if (written_ >= wanted) return {};
    const size_t n = encoder_->samplesPerPayload();
    std::vector<int16_t> pcm = generateTone(written_, n);
    written_ += n;
    return encoder_->encode(pcm.data(), pcm.size());
  }
  bool active() const { return encoder_ != nullptr; }

 private:
  std::unique_ptr<SoundEncoder> encoder_;
  uint64_t written_ = 0;
};

struct PendingFrame {
  EncodedFrame frame;
  std::vector<uint8_t> sound;
};

// The container writer's view of a pending record; sound sets the audio flag.
WriterRecord writerRecordOf(const PendingFrame& r) {
  WriterRecord w{r.frame.kind,
                 r.frame.flags,
                 r.frame.timeStamp,
                 r.frame.payload.data(),
                 uint32_t(r.frame.payload.size()),
                 r.sound.data(),
                 uint32_t(r.sound.size())};
  if (!r.sound.empty()) w.flags |= frame_flags::kAudio;
  return w;
}

bool generate(const GeneratorOptions& o, std::string& error);

}  // namespace

bool generateRecording(const GeneratorOptions& o, std::string& error) {
  if (o.blocks <= 0 || o.framesPerBlock <= 0 || o.framesPerBlock > 65535 ||
      o.frameIntervalMs <= 0) {
    error = "blocks, frames per block and frame interval must be positive";
    return false;
  }
  GeneratorOptions withDefaults = o;
  // Players read IMA ADPCM sound only from recordings whose codec nibble is 2.
  if (o.audio == "ima" && o.codec == "opaque" && !o.encoder.options.count("nibble"))
    withDefaults.encoder.options["nibble"] = std::string(1, '2');
  if (withDefaults.resolutionCode < 0)
    withDefaults.resolutionCode = o.formatVersion == 7 || o.formatVersion == 8 ? 135 : 130;
  return generate(withDefaults, error);
}

namespace {

bool generate(const GeneratorOptions& o, std::string& error) {
  const int stored = resolutionAfterRoundTrip(o.formatVersion, o.resolutionCode);
  if (stored != o.resolutionCode) {
    // The file would claim another picture size than the one encoded.
    error = "resolution code " + std::to_string(o.resolutionCode) +
            " cannot be stored in a format " + std::to_string(o.formatVersion) +
            " header (it reads back as " + std::to_string(stored) + ")";
    return false;
  }
  RecordingInfo header = makeHeader(o);
  const int width = header.pictureWidth(), height = header.pictureHeight();
  if (width <= 0 || height <= 0) {
    error = "resolution code " + std::to_string(o.resolutionCode) + " has no picture size";
    return false;
  }
  VideoEncoderSettings settings = o.encoder;
  settings.width = width;
  settings.height = height;
  settings.formatVersion = o.formatVersion;
  settings.revision = o.revision;
  const int channels = o.formatVersion == 8 ? 4 : 1;
  std::vector<std::unique_ptr<VideoEncoder>> encoders;
  for (int c = 0; c < channels; ++c) {
    encoders.push_back(makeVideoEncoder(o.codec, settings));
    if (!encoders.back()) {
      error = "no encoder for codec " + o.codec;
      return false;
    }
  }
  SoundTrack sound;
  if (!sound.start(o.audio, error)) return false;

  const int pictures = o.blocks * o.framesPerBlock;
  auto stampOf = [&](int i) {
    uint32_t t = o.timeBase + uint32_t(i) * uint32_t(o.frameIntervalMs);
    if (o.gapAfterFrame >= 0 && i > o.gapAfterFrame) t += uint32_t(o.gapMs);
    return t;
  };
  header.endTime = int32_t(header.secondsAt(stampOf(pictures - 1)));

  RecordingWriter writer;
  if (!writer.create(o.path, header)) {
    error = writer.error();
    return false;
  }
  // Records are written in coded order; a block starts at a key record once the current block
  // holds its share of frames.
  int recordsInBlock = 0;
  int recordsWritten = 0;
  bool anyBlock = false;
  auto place = [&](std::vector<PendingFrame>& records) -> bool {
    if (records.empty()) return true;
    const EncodedFrame& first = records[0].frame;
    if (!anyBlock || (first.key && recordsInBlock >= o.framesPerBlock) || recordsInBlock >= 65535) {
      if (!writer.beginBlock(first.timeStamp)) return false;
      anyBlock = true;
      recordsInBlock = 0;
    }
    if (channels == 1) {
      if (!writer.addFrame(writerRecordOf(records[0]))) return false;
    } else {
      WriterRecord w[4];
      for (size_t c = 0; c < 4 && c < records.size(); ++c) w[c] = writerRecordOf(records[c]);
      if (!writer.addMultiFrame(first.timeStamp, w)) return false;
    }
    ++recordsInBlock;
    ++recordsWritten;
    if (o.noPictureEvery > 0 && recordsWritten % o.noPictureEvery == 0 && channels == 1) {
      // An extra record without a picture (flags bit 0): players show the previous picture.
      WriterRecord w{records[0].frame.kind,
                     uint16_t(records[0].frame.flags | 1u),
                     records[0].frame.timeStamp,
                     nullptr,
                     0,
                     nullptr,
                     0};
      if (!writer.addFrame(w)) return false;
      ++recordsInBlock;
    }
    return true;
  };

  std::vector<std::vector<EncodedFrame>> outputs(static_cast<size_t>(channels));
  for (int i = 0; i <= pictures; ++i) {
    const bool last = i == pictures;
    for (int c = 0; c < channels; ++c) {
      std::vector<EncodedFrame> got;
      if (last) {
        got = encoders[size_t(c)]->flush();
      } else {
        RgbImage picture = renderTestScene(width, height, i + 37 * c, o.scene);
        got = encoders[size_t(c)]->encode(picture, stampOf(i), i % o.framesPerBlock == 0);
      }
      for (auto& f : got) outputs[size_t(c)].push_back(std::move(f));
    }
    // Write as many complete records (one per channel) as are ready.
    for (;;) {
      bool ready = true;
      for (auto& out : outputs) ready = ready && !out.empty();
      if (!ready) break;
      std::vector<PendingFrame> records(static_cast<size_t>(channels));
      for (int c = 0; c < channels; ++c) {
        records[size_t(c)].frame = std::move(outputs[size_t(c)].front());
        outputs[size_t(c)].erase(outputs[size_t(c)].begin());
        EncodedFrame& f = records[size_t(c)].frame;
        f.flags |= o.extraFlags;
      }
      if (sound.active() &&
          (frame_flags::codecFamily(records[0].frame.flags) == 2) != (o.audio == "ima")) {
        // The sound family follows the video codec nibble: 2 means IMA ADPCM, others G.726.
        error = "sound " + o.audio + " cannot go with codec nibble " +
                std::to_string(frame_flags::codecFamily(records[0].frame.flags)) +
                " (players read IMA ADPCM only with nibble 2, G.726 with any other)";
        return false;
      }
      const uint32_t stamp = records[0].frame.timeStamp;
      const uint64_t elapsed = uint64_t(stamp - o.timeBase) + uint64_t(o.frameIntervalMs);
      std::vector<uint8_t> soundPayload = sound.payloadUntil(elapsed);
      for (auto& r : records) r.sound = soundPayload;
      if (!place(records)) {
        error = writer.error();
        return false;
      }
    }
  }
  if (!anyBlock) {
    error = "the encoder produced no frames";
    return false;
  }
  if (!writer.finish()) {
    error = writer.error();
    return false;
  }
  return true;
}

}  // namespace

}  // namespace kd
