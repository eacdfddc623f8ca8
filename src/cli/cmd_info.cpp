// kdtool info: the header record, sizes and block index of a recording.
#include <cstdio>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/recording_open.h"
#include "platform/big5_text.h"
#include "platform/clock.h"

namespace kd::cli {

namespace {

void writeJson(const RecordingReader& r) {
  JsonWriter j;
  j.beginObject();
  j.key("path").value(r.path);
  j.key("format_version").value(r.formatVersion);
  j.key("variant");
  if (r.formatVersion == 3) j.value(r.isLongVariant() ? "long" : "short");
  else j.null();
  j.key("revision").value(r.revision);
  j.key("data_offset").value(r.dataOffset);
  j.key("flags").value(r.flags);
  j.key("reserved").value(r.reserved);
  j.key("camera").value(unsigned(r.camera));
  j.key("card").value(unsigned(r.card));
  j.key("resolution_code").value(unsigned(r.resolutionCode));
  j.key("spare1").value(unsigned(r.spare1));
  j.key("spare2").value(unsigned(r.spare2));
  j.key("spare3").value(unsigned(r.spare3));
  j.key("stream_word").value(r.streamWord);
  j.key("start_time").value(r.startTime);
  j.key("end_time").value(r.endTime);
  j.key("time_base").value(r.timeBase);
  j.key("gmt_offset").value(r.gmtOffset);
  j.key("file_length").value(r.fileLength);
  j.key("source_key").value(r.sourceKey());
  j.key("camera_name").value(big5ToUtf8(r.cameraName));
  j.key("card_name").value(big5ToUtf8(r.cardName));
  j.key("host_name").value(big5ToUtf8(r.hostName));
  for (auto [name, list] : {std::pair{"channel_camera_names", &r.channelCameraNames},
                            std::pair{"channel_card_names", &r.channelCardNames}}) {
    j.key(name).beginArray();
    for (const std::string& text : *list) j.value(r.formatVersion == 8 ? big5ToUtf8(text) : "");
    j.endArray();
  }
  j.key("coded_width").value(r.pictureWidth());
  j.key("coded_height").value(r.pictureHeight());
  j.key("display_width").value(r.displayWidth());
  j.key("display_height").value(r.displayHeight());
  j.key("block_count").value(r.blockCount());
  j.key("frame_count").value(r.frameCount());
  j.key("blocks").beginArray();
  for (int b = 0; b < r.blockCount(); ++b) {
    j.beginObject();
    j.key("offset").value(r.blockOffset(b));
    j.key("frames").value(r.framesInBlock(b));
    j.key("time_stamp").value(r.blockTimeStamp(b));
    j.key("time").value(r.blockTime(b));
    j.endObject();
  }
  j.endArray();
  j.endObject();
  std::printf("%s\n", j.str().c_str());
}

void writeText(const RecordingReader& r, int channel) {
  auto when = [](int64_t t) { return formatLocalTime(t, "%Y/%m/%d %H:%M:%S"); };
  std::printf("%s\n", r.path.c_str());
  std::printf("  format %d%s, revision %u, flags 0x%x, data at %u, %u bytes\n", r.formatVersion,
              r.formatVersion == 3 ? (r.isLongVariant() ? " (long)" : " (short)") : "",
              r.revision, r.flags, r.dataOffset, r.fileLength);
  std::printf("  camera %u, card %u, source key 0x%08x\n", r.camera, r.card, r.sourceKey());
  std::printf("  camera name \"%s\", card name \"%s\", host \"%s\"\n",
              big5ToUtf8(r.cameraNameOf(r.formatVersion == 8 ? channel : -1)).c_str(),
              big5ToUtf8(r.cardNameOf(r.formatVersion == 8 ? channel : -1)).c_str(),
              big5ToUtf8(r.hostName).c_str());
  std::printf("  resolution code %u: picture %d x %d, shown at %d x %d\n", r.resolutionCode,
              r.pictureWidth(), r.pictureHeight(), r.displayWidth(), r.displayHeight());
  std::printf("  from %s to %s (%s), time base %u\n", when(r.startTime).c_str(),
              when(r.endTime).c_str(), gmtOffsetLabel(r.gmtOffset).c_str(), r.timeBase);
  std::printf("  %d blocks, %u frames\n", r.blockCount(), r.frameCount());
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("info", opt.error());
  if (opt.positional().size() != 1) return usageError("info");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("info", "malformed --channel");
  const std::string& path = opt.positional()[0];
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);
  if (opt.has("json")) writeJson(reader);
  else writeText(reader, reader.channel());
  return 0;
}

const CommandRegistrar registrar("info", "[--json] [--channel N] FILE", run);

}  // namespace

}  // namespace kd::cli
