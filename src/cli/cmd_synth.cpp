// kdtool synth: the recording generator on the command line.
#include <cstdio>
#include <map>

#include "cli/command.h"
#include "cli/face_synth.h"
#include "synth/generator.h"

namespace kd::cli {

namespace {

constexpr const char* kUsage =
    "[--format 0|1|2|3|3long|7|8] [--codec opaque|dct|dct-mc|legacy|avc|mpeg4|xvid]\n"
    "    [--audio none|g726|ima] [--blocks N] [--frames-per-block N] [--interval MS]\n"
    "    [--resolution CODE] [--revision N] [--header-flags N] [--camera N] [--card N]\n"
    "    [--camera-name TEXT] [--card-name TEXT] [--host TEXT] [--gmt HOURS] [--start SECONDS]\n"
    "    [--time-base MS] [--quant Q] [--top-down] [--avc-version 3|4|5] [--swap-bytes]\n"
    "    [--b-pictures] [--nibble N] [--payload-size N] [--no-picture-every N]\n"
    "    [--extra-flags N] [--gap-after FRAME --gap-ms MS] [--still FROM:TO] [--static]\n"
    "    [--option KEY=VALUE]... OUT\n"
    "  or: kdtool synth --face [0|1] [--pictures|--count N] [--size WxH | --width W --height H]\n"
    "    [--group N] [--groups-per-outer N] [--skip BYTES] [--step SECONDS] [--start SECONDS]\n"
    "    [--quant Q]"
    " [--camera N] [--card N] [--camera-name TEXT] [--card-name TEXT] [--host TEXT] OUT.fac";

int run(const std::vector<std::string>& args) {
  if (asksForFaceFile(args)) return synthFaceFile(args);
  Options opt(args, {"top-down", "swap-bytes", "b-pictures", "static"});
  if (!opt.ok()) return fail("synth", opt.error());
  if (opt.positional().size() != 1) return usageError("synth");
  GeneratorOptions g;
  g.path = opt.positional()[0];
  bool valid = true;
  std::string format = opt.get("format", "3");
  if (format == "3long") {
    g.formatVersion = 3;
    g.longVariant = true;
  } else {
    g.formatVersion = int(std::strtol(format.c_str(), nullptr, 10));
    if (format.empty() || format.find_first_not_of("0123456789") != std::string::npos ||
        (g.formatVersion > 3 && g.formatVersion != 7 && g.formatVersion != 8))
      return fail("synth", "unknown format " + format);
  }
  g.codec = opt.get("codec", "opaque");
  g.audio = opt.get("audio", "none");
  g.blocks = int(opt.getInt("blocks", 2, valid));
  g.framesPerBlock = int(opt.getInt("frames-per-block", 25, valid));
  g.frameIntervalMs = int(opt.getInt("interval", 40, valid));
  g.resolutionCode = int(opt.getInt("resolution", -1, valid));
  g.revision = uint32_t(opt.getInt("revision", 0, valid));
  g.headerFlags = uint32_t(opt.getInt("header-flags", 0, valid));
  g.camera = int(opt.getInt("camera", 0, valid));
  g.card = int(opt.getInt("card", 0, valid));
  g.cameraName = opt.get("camera-name", g.cameraName);
  g.cardName = opt.get("card-name", g.cardName);
  g.hostName = opt.get("host", g.hostName);
  g.gmtOffset = int(opt.getInt("gmt", g.gmtOffset, valid));
  g.startTime = opt.getInt("start", g.startTime, valid);
  g.timeBase = uint32_t(opt.getInt("time-base", g.timeBase, valid));
  g.noPictureEvery = int(opt.getInt("no-picture-every", 0, valid));
  g.extraFlags = uint16_t(opt.getInt("extra-flags", 0, valid));
  g.gapAfterFrame = int(opt.getInt("gap-after", -1, valid));
  g.gapMs = int(opt.getInt("gap-ms", 0, valid));
  g.encoder.quant = int(opt.getInt("quant", g.encoder.quant, valid));
  g.encoder.topDown = opt.has("top-down");
  g.encoder.avcVersion = int(opt.getInt("avc-version", g.encoder.avcVersion, valid));
  g.encoder.swapBytes = opt.has("swap-bytes");
  g.encoder.bPictures = opt.has("b-pictures");
  if (opt.has("nibble")) g.encoder.options["nibble"] = opt.get("nibble");
  if (opt.has("payload-size")) g.encoder.options["size"] = opt.get("payload-size");
  if (opt.has("static")) g.scene.movingShape = false;
  if (opt.has("still")) {
    std::string still = opt.get("still");
    if (std::sscanf(still.c_str(), "%d:%d", &g.scene.stillFrom, &g.scene.stillTo) != 2)
      return fail("synth", "--still takes FROM:TO");
  }
  // --option key=value may repeat; Options keeps the last, so scan the raw list.
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] != "--option") continue;
    auto eq = args[i + 1].find('=');
    if (eq == std::string::npos) return fail("synth", "--option takes KEY=VALUE");
    g.encoder.options[args[i + 1].substr(0, eq)] = args[i + 1].substr(eq + 1);
  }
  if (!valid) return fail("synth", "malformed number in the options");
  std::string error;
  if (!generateRecording(g, error)) return fail(g.path, error);
  return 0;
}

const CommandRegistrar registrar("synth", kUsage, run);

}  // namespace

}  // namespace kd::cli
