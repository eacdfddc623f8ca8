#include "recording/fixtures.h"

#include <stdexcept>

#include "recording/frame_packet.h"

namespace kd::testing {

RecordingInfo fixtureHeader(int format, bool longVariant) {
  RecordingInfo h;
  h.formatVersion = format;
  if (longVariant) h.signature = {'S', 'X', 'D', 'K'};
  h.revision = format <= 2 ? 300 : 17;
  h.flags = 0x100;
  h.reserved = 0xABCD;
  h.camera = 3;
  h.card = format == 3 && longVariant ? 3 : 2;
  h.spare1 = 5;
  h.startTime = 1700000000;
  h.endTime = 1700003600;
  h.timeBase = 5000;
  h.gmtOffset = -5;
  h.cameraName = "Gate";
  h.cardName = "Card B";
  h.hostName = "HOST-9";
  h.streamWord = format == 7 ? 0x11223344 : 0;
  h.spare2 = format <= 2 ? 6 : 0;
  h.spare3 = 0;  // carried in the flags' low byte
  for (int c = 0; c < 4; ++c) {
    h.channelCameraNames[size_t(c)] = format == 8 ? "Cam" + std::to_string(c) : "";
    h.channelCardNames[size_t(c)] = format == 8 ? "Card" + std::to_string(c) : "";
  }
  h.setResolution(format == 8 || format == 7 ? 135 : format == 3 && longVariant ? 130 : 83);
  return h;
}

FixtureFrame fixtureFrame(int block, int frame, bool withAudio) {
  FixtureFrame f;
  f.kind = frame == 0 ? 0 : 1;
  f.flags = 0x20 | (withAudio ? 0x8000 : 0);
  f.stamp = 5000 + uint32_t(block * 1000 + frame * 40);
  f.video.resize(size_t(10 + block * 7 + frame * 3));
  for (size_t i = 0; i < f.video.size(); ++i) f.video[i] = uint8_t(block * 31 + frame * 7 + i);
  if (withAudio) f.audio.assign(size_t(24 + frame), uint8_t(0x40 + frame));
  return f;
}

namespace {

WriterRecord recordOf(const FixtureFrame& f, uint32_t stamp) {
  return {f.kind,
          f.flags,
          stamp,
          f.video.data(),
          uint32_t(f.video.size()),
          f.audio.data(),
          uint32_t(f.audio.size())};
}

}  // namespace

RecordingInfo writeFixture(const std::string& path, RecordingInfo header, int blocks,
                           int framesPerBlock, bool withAudio) {
  RecordingWriter w;
  if (!w.create(path, header)) throw std::runtime_error(w.error());
  for (int b = 0; b < blocks; ++b) {
    w.beginBlock(fixtureFrame(b, 0, false).stamp);
    for (int j = 0; j < framesPerBlock; ++j) {
      FixtureFrame f = fixtureFrame(b, j, withAudio);
      if (header.formatVersion == 8) {
        WriterRecord channels[4];
        std::vector<FixtureFrame> others(4);
        for (int c = 0; c < 4; ++c) {
          others[size_t(c)] = fixtureFrame(b + 10 * c, j, withAudio);
          // The four channels of a record share the first channel's time stamp.
          channels[c] = recordOf(others[size_t(c)], f.stamp);
        }
        w.addMultiFrame(f.stamp, channels);
      } else {
        w.addFrame(recordOf(f, f.stamp));
      }
    }
  }
  if (!w.finish()) throw std::runtime_error(w.error());
  return header;
}

bool openFixture(RecordingReader& reader, const std::string& path, int channel) {
  RecordingInfo info;
  info.path = path;
  return reader.open(info, 1, channel);
}

}  // namespace kd::testing
