// kdtool avi: a recording converted into an AVI file (video, sound and caption streams), as
// the conversion dialog does it, without the dialog.
#include <unistd.h>

#include <cstdio>

#include "cli/command.h"
#include "convert/avi_conversion.h"
#include "convert/conversion_paths.h"
#include "decode/diagnostics.h"

namespace kd::cli {

namespace {

// A bar on standard error, redrawn when the percentage moves; only for a terminal.
class ProgressBar {
 public:
  ProgressBar() : shown_(::isatty(2) != 0) {}
  void update(uint32_t done, uint32_t total) {
    if (!shown_ || total == 0) return;
    const int percent = int(uint64_t(done) * 100 / total);
    if (percent == last_) return;
    last_ = percent;
    char bar[41];
    for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
    bar[40] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%% %u/%u frames", bar, percent, done, total);
    if (done == total) std::fputc('\n', stderr);
  }
  void end() {
    if (shown_ && last_ >= 0 && last_ < 100) std::fputc('\n', stderr);
  }

 private:
  bool shown_;
  int last_ = -1;
};

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("avi", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out") || opt.get("out").empty())
    return usageError("avi");
  const std::string& input = opt.positional()[0];
  const std::string output = opt.get("out");
  AviConversionSettings settings;
  const std::string codec = opt.get("codec", "raw");
  if (codec == "mjpeg") {
    settings.codec = AviVideoCodec::Mjpeg;
  } else if (codec != "raw") {
    return fail("avi", "unknown codec " + codec + " (raw or mjpeg)");
  }
  bool valid = true;
  settings.quality = int(opt.getInt("quality", settings.quality, valid));
  if (!valid || settings.quality < 1 || settings.quality > 100)
    return fail("avi", "--quality takes 1 to 100");

  switch (checkConversionPaths(input, output)) {
    case PathProblem::NotAviName:
      return fail(output, "the AVI file name must end in \"avi\"");
    case PathProblem::OutputIsInput:
      return fail(output, "the output is the recording itself");
    default:
      break;
  }
  // The decoders' per-frame lines would bury the progress bar; failures are reported below.
  setDiagnosticStream(nullptr);
  AviConversion conversion;
  ProgressBar bar;
  const bool ok = convertToAvi(input, output, settings, conversion,
                               [&bar](uint32_t done, uint32_t total) { bar.update(done, total); });
  bar.end();
  if (!ok) return fail(conversion.failedPath(), conversion.error());
  const ConversionPlan& plan = conversion.plan();
  std::printf("%s: %u frames %dx%d (%s), %u frames in %u s, text rate %u\n", output.c_str(),
              plan.frameCount, plan.outWidth, plan.outHeight, codec.c_str(), plan.videoRate,
              plan.videoScale, plan.textRate);
  return 0;
}

const CommandRegistrar registrar("avi", "--out OUT.avi [--codec raw|mjpeg] [--quality Q] FILE",
                                 run);

}  // namespace

}  // namespace kd::cli
