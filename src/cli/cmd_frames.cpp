// kdtool frames: every frame record read in sequence, with payload checksums.
#include <zlib.h>

#include <cstdio>
#include <filesystem>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/recording_open.h"
#include "platform/file.h"
#include "recording/frame_packet.h"

namespace kd::cli {

namespace {

uint32_t crcOf(const uint8_t* data, uint32_t size) {
  if (!size || !data) return 0;
  return uint32_t(crc32(0L, data, size));
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("frames", opt.error());
  if (opt.positional().size() != 1) return usageError("frames");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("frames", "malformed --channel");
  const std::string& path = opt.positional()[0];
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);

  const bool json = opt.has("json");
  // --dump DIR writes every payload as DIR/NNNNNN.video and NNNNNN.audio (raw bytes).
  const std::string dump = opt.get("dump");
  if (!dump.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(dump, ec);
    if (ec) return fail(dump, ec.message());
  }
  PictureFrame packet(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  JsonWriter j;
  j.beginArray();
  if (!json)
    std::printf("%6s %5s %5s %4s %6s %10s %10s %8s %6s %8s %8s\n", "number", "block", "frame",
                "kind", "flags", "stamp", "time", "video", "audio", "vcrc", "acrc");
  uint32_t count = 0;
  while (reader.readFrame(packet)) {
    ++count;
    const uint32_t number = reader.frameNumber(packet.block, packet.frameInBlock);
    const uint32_t vcrc = crcOf(packet.video(), packet.videoSize);
    const uint32_t acrc = crcOf(packet.audio(), packet.audioSize);
    if (!dump.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "/%06u", number);
      File out;
      if (!out.open(dump + name + ".video", File::Mode::Create) ||
          !out.write(packet.video(), packet.videoSize))
        return fail(dump + name + ".video", "cannot be written");
      if (packet.audioSize && (!out.open(dump + name + ".audio", File::Mode::Create) ||
                               !out.write(packet.audio(), packet.audioSize)))
        return fail(dump + name + ".audio", "cannot be written");
    }
    if (json) {
      j.beginObject();
      j.key("block").value(packet.block);
      j.key("frame").value(packet.frameInBlock);
      j.key("number").value(number);
      j.key("kind").value(unsigned(packet.kind));
      j.key("flags").value(unsigned(packet.flags));
      j.key("time_stamp").value(packet.timeStamp);
      j.key("time").value(reader.secondsAt(packet.timeStamp));
      j.key("video_size").value(packet.videoSize);
      j.key("audio_size").value(packet.audioSize);
      j.key("video_crc32").value(vcrc);
      j.key("audio_crc32").value(acrc);
      j.endObject();
    } else {
      std::printf("%6u %5d %5d %4u 0x%04x %10u %10lld %8u %6u %08x %08x\n", number, packet.block,
                  packet.frameInBlock, packet.kind, packet.flags, packet.timeStamp,
                  static_cast<long long>(reader.secondsAt(packet.timeStamp)), packet.videoSize,
                  packet.audioSize, vcrc, acrc);
    }
  }
  j.endArray();
  if (json) std::printf("%s\n", j.str().c_str());
  if (reader.lastError() != "end of recording") {
    std::fprintf(stderr, "kdtool: %s: reading stopped after %u frames at %s\n", path.c_str(), count,
                 reader.lastError().c_str());
  }
  return 0;
}

const CommandRegistrar registrar("frames", "[--json] [--channel N] [--dump DIR] FILE", run);

}  // namespace

}  // namespace kd::cli
