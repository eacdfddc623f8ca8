#include "cli/face_synth.h"

#include <cstdio>

#include "cli/command.h"
#include "synth/face_writer.h"

namespace kd::cli {

bool asksForFaceFile(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--face" || a.rfind("--face=", 0) == 0) return true;
  return false;
}

int synthFaceFile(std::vector<std::string> args) {
  // "--face 0" names the version; a bare "--face" takes the default (1).
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "--face" && (args[i + 1] == "0" || args[i + 1] == "1")) {
      args[i] += "=" + args[i + 1];
      args.erase(args.begin() + long(i) + 1);
    }
  Options opt(args, {"face"});
  if (!opt.ok()) return fail("synth", opt.error());
  if (opt.positional().size() != 1) return usageError("synth");
  FaceFileOptions f;
  f.path = opt.positional()[0];
  bool valid = true;
  const std::string version = opt.get("face", "1");
  if (version != "0" && version != "1" && !version.empty())
    return fail("synth", "face files have versions 0 and 1, not " + version);
  f.version = version == "0" ? 0 : 1;
  f.version = int(opt.getInt("face-version", f.version, valid));
  f.pictures = int(opt.getInt("pictures", opt.getInt("count", f.pictures, valid), valid));
  f.width = int(opt.getInt("width", f.width, valid));
  f.height = int(opt.getInt("height", f.height, valid));
  if (opt.has("size") && std::sscanf(opt.get("size").c_str(), "%dx%d", &f.width, &f.height) != 2)
    return fail("synth", "--size takes WxH");
  f.groupSize = int(opt.getInt("group", f.groupSize, valid));
  f.groupsPerOuter = int(opt.getInt("groups-per-outer", f.groupsPerOuter, valid));
  f.skipBytes = uint32_t(opt.getInt("skip", f.skipBytes, valid));
  f.stepSeconds = uint32_t(opt.getInt("step", f.stepSeconds, valid));
  f.firstTime = uint32_t(opt.getInt("start", f.firstTime, valid));
  f.quant = int(opt.getInt("quant", f.quant, valid));
  f.camera = int(opt.getInt("camera", f.camera, valid));
  f.card = int(opt.getInt("card", f.card, valid));
  f.cameraName = opt.get("camera-name", f.cameraName);
  f.cardName = opt.get("card-name", f.cardName);
  f.hostName = opt.get("host", f.hostName);
  if (!valid) return fail("synth", "malformed number in the options");
  std::string error;
  if (!writeFaceFile(f, error)) return fail(f.path, error);
  return 0;
}

}  // namespace kd::cli
