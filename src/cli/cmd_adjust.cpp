// kdtool adjust: brightness, contrast, saturation and hue of a 24-bit BMP (a snapshot or a plain
// picture), by the same rules the player applies to a snapshot picture shown in its view.
#include <cstdio>

#include "cli/command.h"
#include "playback/colour_ops.h"
#include "recording/snapshot_image.h"

namespace kd::cli {

namespace {

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("adjust", opt.error());
  if (opt.positional().size() != 2) return usageError("adjust");
  ColourSet colours;
  int32_t* fields[] = {&colours.brightness, &colours.contrast, &colours.saturation, &colours.hue};
  const char* names[] = {"brightness", "contrast", "saturation", "hue"};
  for (int i = 0; i < 4; ++i) {
    bool valid = true;
    const long long v = opt.getInt(names[i], ColourSet::kNeutral, valid);
    if (!valid || v < ColourSet::kMin || v > ColourSet::kMax)
      return fail("adjust", std::string("--") + names[i] + " must be a whole number from 1 to 200");
    *fields[i] = int32_t(v);
  }
  const std::string& in = opt.positional()[0];
  const std::string& out = opt.positional()[1];
  // The snapshot's metadata rides along unchanged.
  SnapshotImage picture;
  auto failed = [&] {
    std::fprintf(stderr, "kdtool: %s\n", picture.lastError().c_str());
    return 1;
  };
  if (!picture.load(SnapshotImage::kBmp, in)) return failed();
  applyColourSet(picture.pixels().data(), picture.width(), picture.height(), colours, 3);
  if (!picture.save(SnapshotImage::kBmp, out)) return failed();
  return 0;
}

const CommandRegistrar registrar(
    "adjust", "[--brightness A] [--contrast C] [--saturation S] [--hue H] IN.bmp OUT.bmp", run);

}  // namespace

}  // namespace kd::cli
