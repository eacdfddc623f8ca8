// kdtool face: a face file's header and picture times as JSON, or its pictures as PGM files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/face_reader.h"
#include "cli/command.h"
#include "cli/json.h"
#include "platform/big5_text.h"

namespace kd::cli {

namespace {

bool writePgm(const std::string& path, const FacePicture& picture) {
  // Written beside the target and renamed, so no half picture stays under its name.
  const std::string part = path + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fprintf(f, "P5\n%d %d\n255\n", picture.width, picture.height) > 0 &&
            std::fwrite(picture.grey.data(), 1, picture.grey.size(), f) == picture.grey.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(part, path, ec);
  if (!ok || ec) std::remove(part.c_str());
  return ok && !ec;
}

void writeJson(const FaceHeader& h, const std::vector<std::pair<int, uint32_t>>& times) {
  JsonWriter j;
  j.beginObject();
  j.key("version").value(h.version);
  j.key("width").value(h.width);
  j.key("height").value(h.height);
  j.key("count").value(h.count);
  j.key("first_time").value(h.firstTime);
  j.key("last_time").value(h.lastTime);
  j.key("host_name").value(big5ToUtf8(h.hostName));
  j.key("card_name").value(big5ToUtf8(h.cardName));
  j.key("camera_name").value(big5ToUtf8(h.cameraName));
  j.key("source_key").value(h.sourceKey());
  j.key("pictures").beginArray();
  for (const auto& [index, time] : times) {
    j.beginObject();
    j.key("index").value(index);
    j.key("time").value(time);
    j.endObject();
  }
  j.endArray();
  j.endObject();
  std::printf("%s\n", j.str().c_str());
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("face", opt.error());
  if (opt.positional().size() != 1 || (!opt.has("json") && !opt.has("out")))
    return usageError("face");
  const std::string& path = opt.positional()[0];
  const std::string outDir = opt.get("out");
  FaceReader reader;
  if (!reader.open(path)) return fail(path, reader.lastError());
  if (!outDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (!std::filesystem::is_directory(outDir)) return fail(outDir, "cannot create the folder");
  }

  // Every picture is tried: a damaged one is reported and the rest still come out.
  std::vector<std::pair<int, uint32_t>> times;
  std::string firstFailure;
  int failures = 0;
  FacePicture picture;
  for (int index = 0; index < reader.count(); ++index) {
    if (!reader.read(index, picture)) {
      if (!failures++) firstFailure = reader.lastError();
      // Past a broken chain's end nothing more can be reached.
      if (index >= reader.chainEnd()) {
        failures += reader.count() - index - 1;
        break;
      }
      continue;
    }
    times.emplace_back(index, picture.time);
    if (outDir.empty()) continue;
    char name[32];
    std::snprintf(name, sizeof name, "%06d.pgm", index);
    const std::string pgm = (std::filesystem::path(outDir) / name).string();
    if (!writePgm(pgm, picture)) return fail(pgm, "cannot be written");
  }
  if (opt.has("json")) writeJson(reader.header(), times);
  if (failures)
    return fail(path, firstFailure + (failures > 1 ? " (and " + std::to_string(failures - 1) +
                                                         " more pictures)"
                                                   : std::string()));
  return 0;
}

const CommandRegistrar registrar("face", "--json FILE | --out DIR FILE | --json --out DIR FILE",
                                 run);

}  // namespace

}  // namespace kd::cli
