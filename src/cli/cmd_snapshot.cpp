// kdtool snapshot: one frame's picture saved as a BMP or JPEG snapshot with its metadata. The
// frame is reached as a seek reaches it: decoding starts at the first frame of its block.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/recording_open.h"
#include "decode/dispatch/picture_transfer.h"
#include "decode/dispatch/recording_decoder.h"
#include "platform/clock.h"
#include "recording/frame_packet.h"
#include "recording/snapshot_image.h"

namespace kd::cli {

namespace {

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool parseAddress(const std::string& text, long long& block, long long& frame) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  try {
    size_t used = 0;
    block = std::stoll(text.substr(0, colon), &used);
    if (used != colon) return false;
    frame = std::stoll(text.substr(colon + 1), &used);
    if (used != text.size() - colon - 1) return false;
  } catch (...) {
    return false;
  }
  return block >= 0 && frame >= 0 && block <= 0x7FFFFFFF && frame <= 0x7FFFFFFF;
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("snapshot", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out") || !opt.has("frame"))
    return usageError("snapshot");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("snapshot", "malformed --channel");
  long long block = 0, frame = 0;
  if (!parseAddress(opt.get("frame"), block, frame))
    return fail("snapshot", "--frame takes BLOCK:FRAME");
  const std::string out = opt.get("out");
  int type;
  if (endsWith(out, ".bmp"))
    type = SnapshotImage::kBmp;
  else if (endsWith(out, ".jpg"))
    type = SnapshotImage::kJpeg;
  else
    return fail(out, "the snapshot name must end with .bmp or .jpg");

  const std::string& path = opt.positional()[0];
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);
  if (block >= reader.blockCount() || uint64_t(frame) >= reader.framesInBlock(int(block)))
    return fail(path, "no frame " + std::to_string(block) + ":" + std::to_string(frame));
  const int width = info.pictureWidth(), height = info.pictureHeight();
  if (width <= 0 || height <= 0) return fail(path, "the recording has no picture size");
  PictureFrame packet(info.sourceKey(), width, height);
  if (!reader.readFrame(packet, int(block), 0)) return fail(path, reader.lastError());
  const DecodeContext context =
      info.formatVersion == 8 ? DecodeContext::QuadPlayback : DecodeContext::PlayerWindow;
  RecordingDecoder decoder;
  if (!openRecordingDecoder(info, packet.flags, context, decoder, reason))
    return fail(path, reason);
  // A frame without a new picture keeps the last one as the last decode laid it out.
  uint16_t layoutFlags = packet.flags;
  for (long long n = 0;; ++n) {
    int32_t delay = 0;
    if (!(packet.flags & frame_flags::kNoPicture)) layoutFlags = packet.flags;
    decodeFrameRecord(decoder, packet, true, delay);
    if (n == frame) break;
    if (!reader.readFrame(packet)) return fail(path, reader.lastError());
  }

  const PictureLayout layout = pictureLayout(info.formatVersion, layoutFlags, context);
  const std::vector<uint8_t> rgb = toTopDownRgb(*packet.picture(), layout);
  std::vector<uint8_t> bgr(rgb.size());
  const size_t row = size_t(width) * 3;
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = rgb.data() + size_t(y) * row;
    uint8_t* d = bgr.data() + size_t(height - 1 - y) * row;
    for (int x = 0; x < width; ++x) {
      d[3 * x] = s[3 * x + 2];
      d[3 * x + 1] = s[3 * x + 1];
      d[3 * x + 2] = s[3 * x];
    }
  }
  SnapshotImage image;
  image.setPicture(width, height, std::move(bgr));
  const int nameChannel = info.formatVersion == 8 ? reader.channel() : -1;
  image.setTime(uint32_t(reader.secondsAt(packet.timeStamp)));
  image.setCardName(reader.cardNameOf(nameChannel));
  image.setCameraName(reader.cameraNameOf(nameChannel));
  image.setHostName(reader.hostName);
  image.setGmtOffset(localGmtOffsetHours());
  if (!image.save(type, out)) return fail(out, image.lastError());
  return 0;
}

const CommandRegistrar registrar("snapshot", "--out OUT.bmp|OUT.jpg --frame B:F [--channel N] FILE",
                                 run);

}  // namespace

}  // namespace kd::cli
