// kdtool verify: the verification pass over a recording, with its faulty frames listed.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/json.h"
#include "cli/progress_bar.h"
#include "cli/recording_open.h"
#include "decode/diagnostics.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/sha256.h"
#include "playback/file_verification.h"

namespace kd::cli {

namespace {

constexpr int kFaultyExit = 3;

void writeJson(const std::string& path, const std::string& sha, uint64_t size,
               const VerificationResult& r) {
  JsonWriter j;
  j.beginObject();
  j.key("path").value(path);
  j.key("sha256").value(sha);
  j.key("size").value(size);
  j.key("frames_indexed").value(r.framesIndexed);
  j.key("frames_read").value(r.framesRead);
  j.key("frames_decoded").value(r.framesDecoded);
  j.key("intact").value(r.intact());
  j.key("faults").beginArray();
  for (const VerificationFault& f : r.faults) {
    j.beginObject();
    j.key("block").value(f.block);
    j.key("frame").value(f.frame);
    j.key("number").value(f.number);
    j.key("time");
    if (f.hasTime)
      j.value(f.time);
    else
      j.null();
    j.key("reason").value(f.reason);
    j.key("detail").value(f.detail);
    j.endObject();
  }
  j.endArray();
  j.endObject();
  std::printf("%s\n", j.str().c_str());
}

void writeSummary(const std::string& path, const VerificationResult& r) {
  std::printf("%s: %u of %u frames read, %u decoded\n", path.c_str(), r.framesRead, r.framesIndexed,
              r.framesDecoded);
  for (const VerificationFault& f : r.faults) {
    std::printf("  block %d frame %d (frame %u)%s: %s: %s\n", f.block, f.frame, f.number,
                f.hasTime ? (" at " + formatLocalTime(f.time, "%Y/%m/%d %H:%M:%S")).c_str() : "",
                f.reason.c_str(), f.detail.c_str());
  }
  std::printf("%s\n", r.intact() ? "intact" : "faulty");
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("verify", opt.error());
  if (opt.positional().size() != 1) return usageError("verify");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("verify", "malformed --channel");
  const std::string& path = opt.positional()[0];
  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);

  ProgressBar bar;
  VerificationProgress progress;
  if (isatty(fileno(stderr))) {
    // The decoders' own notes would break the bar apart; the faults say what went wrong.
    setDiagnosticStream(nullptr);
    progress = [&bar](uint32_t d, uint32_t t) { bar(d, t); };
  }
  VerificationResult result;
  const bool ran = verifyRecording(reader, result, reason, progress);
  bar.end();
  if (!ran) return fail(path, reason);
  if (opt.has("json")) {
    std::string sha;
    if (!sha256OfFile(path, sha)) return fail(path, "cannot be read to its end");
    File file;
    uint64_t size = 0;
    if (file.open(path, File::Mode::Read)) size = file.length();
    writeJson(path, sha, size, result);
  } else {
    writeSummary(path, result);
  }
  return result.intact() ? 0 : kFaultyExit;
}

const CommandRegistrar registrar("verify", "[--json] [--channel N] FILE", run);

}  // namespace

}  // namespace kd::cli
