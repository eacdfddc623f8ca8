// kdtool decode: every frame record decoded the way the player window does, written as PPM
// pictures (top-down RGB at the picture size) with a decode.json of what was decoded.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/recording_open.h"
#include "decode/diagnostics.h"
#include "decode/dispatch/picture_transfer.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"

namespace kd::cli {

namespace {

bool writePpm(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fprintf(f, "P6\n%d %d\n255\n", width, height) > 0 &&
                  std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
  return std::fclose(f) == 0 && ok;
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("decode", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out")) return usageError("decode");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("decode", "malformed --channel");
  const std::string deblockText = opt.get("deblock", "on");
  if (deblockText != "on" && deblockText != "off")
    return fail("decode", "--deblock takes on or off");
  const bool deblock = deblockText == "on";
  const std::string outDir = opt.get("out");
  const std::string& path = opt.positional()[0];

  setDiagnosticStream(stderr);
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);
  const int width = info.pictureWidth(), height = info.pictureHeight();
  if (width <= 0 || height <= 0) return fail(path, "the recording has no picture size");
  PictureFrame packet(info.sourceKey(), width, height);
  if (!reader.readFrame(packet)) return fail(path, reader.lastError());

  // Four-camera files play in the quad window; the rest in the player window.
  const DecodeContext context =
      info.formatVersion == 8 ? DecodeContext::QuadPlayback : DecodeContext::PlayerWindow;
  RecordingDecoder decoder;
  if (!openRecordingDecoder(info, packet.flags, context, decoder, reason))
    return fail(path, reason);

  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir)) return fail(outDir, "cannot create the folder");

  JsonWriter j;
  j.beginArray();
  // A frame without a new picture shows the last one as the last decode laid it out.
  uint16_t layoutFlags = packet.flags;
  do {
    const uint32_t number = reader.frameNumber(packet.block, packet.frameInBlock);
    int32_t delay = 0;
    const bool called = !(packet.flags & frame_flags::kNoPicture);
    const bool decoded = decodeFrameRecord(decoder, packet, deblock, delay);
    if (called) layoutFlags = packet.flags;
    const PictureLayout layout = pictureLayout(info.formatVersion, layoutFlags, context);
    char name[32];
    std::snprintf(name, sizeof name, "%06u.ppm", number);
    const std::string ppm = (std::filesystem::path(outDir) / name).string();
    if (!writePpm(ppm, toTopDownRgb(*packet.picture(), layout), width, height))
      return fail(ppm, "cannot be written");
    j.beginObject();
    j.key("number").value(number);
    j.key("block").value(packet.block);
    j.key("frame").value(packet.frameInBlock);
    j.key("decoded").value(decoded);
    j.key("delay");
    if (decoder.family == 4)
      j.value(int64_t(delay));
    else
      j.null();
    j.endObject();
  } while (reader.readFrame(packet));
  j.endArray();
  if (reader.lastError() != "end of recording") {
    std::fprintf(stderr, "kdtool: %s: reading stopped at %s\n", path.c_str(),
                 reader.lastError().c_str());
  }
  const std::string jsonPath = (std::filesystem::path(outDir) / "decode.json").string();
  std::FILE* f = std::fopen(jsonPath.c_str(), "wb");
  if (!f) return fail(jsonPath, "cannot be written");
  const std::string& text = j.str();
  const bool ok =
      std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fputc('\n', f) != EOF;
  if (std::fclose(f) != 0 || !ok) return fail(jsonPath, "cannot be written");
  return 0;
}

const CommandRegistrar registrar("decode", "--out DIR [--channel N] [--deblock on|off] FILE", run);

}  // namespace

}  // namespace kd::cli
