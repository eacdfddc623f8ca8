// kdtool clip: cuts blocks F … L − 1 and the first K frames of block L into a new recording.
#include "cli/command.h"
#include "cli/recording_open.h"
#include "platform/clock.h"
#include "recording/clip_writer.h"

namespace kd::cli {

namespace {

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("clip", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out") || !opt.has("from-block") ||
      !opt.has("to-block") || !opt.has("frames"))
    return usageError("clip");
  bool valid = true;
  const long long first = opt.getInt("from-block", 0, valid);
  const long long last = opt.getInt("to-block", 0, valid);
  const long long frames = opt.getInt("frames", 0, valid);
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid || first < 0 || last < 0 || frames < 0 || first > 0x7FFFFFFF || last > 0x7FFFFFFF ||
      frames > 0xFFFFFFFFLL)
    return fail("clip", "malformed block or frame number");
  const std::string& path = opt.positional()[0];
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);
  if (!writeClip(reader, opt.get("out"), int(first), int(last), uint32_t(frames),
                 localGmtOffsetHours(), reason))
    return fail(path, reason);
  return 0;
}

const CommandRegistrar registrar("clip",
                                 "--out OUT --from-block F --to-block L --frames K [--channel N] "
                                 "FILE",
                                 run);

}  // namespace

}  // namespace kd::cli
