// kdtool export: the frames between two points as an H.264 MP4 with AAC sound, each picture as
// the player shows it at the display size and at its record's time.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/progress_bar.h"
#include "decode/diagnostics.h"
#include "export/mp4_export.h"

namespace kd::cli {

namespace {

// Ctrl-C or a termination request ends the export the way cancel does: the file beside OUT goes.
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
  interrupted = 1;
}

void catchInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"captions"});
  if (!opt.ok()) return fail("export", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out")) return usageError("export");
  ExportRequest request;
  request.input = opt.positional()[0];
  request.output = opt.get("out");
  request.captions = opt.has("captions");
  bool valid = true;
  request.channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("export", "malformed --channel");
  const long long crf = opt.getInt("crf", 23, valid);
  if (!valid || crf < 0 || crf > 51) return fail("export", "--crf takes 0 to 51");
  request.crf = int(crf);
  if (opt.has("from") && !parseExportPoint(opt.get("from"), request.from))
    return fail("export", "--from takes B:F or a local \"YYYY-MM-DD HH:MM:SS\"");
  if (opt.has("to") && !parseExportPoint(opt.get("to"), request.to))
    return fail("export", "--to takes B:F or a local \"YYYY-MM-DD HH:MM:SS\"");

  // The decoders' per-frame notes would break the progress bar's line.
  setDiagnosticStream(nullptr);
  ProgressBar bar;
  const bool terminal = isatty(STDERR_FILENO);
  catchInterrupts();
  const ExportOutcome outcome = exportMp4(request, [&](uint32_t done, uint32_t total) {
    if (terminal) bar(done, total);
    return !interrupted;
  });
  bar.end();
  if (!outcome.ok) return fail(outcome.subject, outcome.reason);
  std::printf("%s: %u pictures, %.3f s%s\n", request.output.c_str(), outcome.pictures,
              double(outcome.durationMs) / 1000.0, outcome.sound ? ", with sound" : "");
  return 0;
}

const CommandRegistrar registrar(
    "export",
    "--out OUT.mp4 [--from TIME|B:F] [--to TIME|B:F] [--captions] [--crf N] [--channel N] FILE",
    run);

}  // namespace

}  // namespace kd::cli
