// kdtool motion: the player's motion search over files and folders, without pacing, listing the
// episodes where something moved in the zones.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/browser_row.h"
#include "catalog/folder_rows.h"
#include "cli/command.h"
#include "cli/json.h"
#include "cli/motion_options.h"
#include "cli/progress_bar.h"
#include "decode/diagnostics.h"
#include "platform/clock.h"
#include "playback/motion_episodes.h"
#include "recording/recording_info.h"

namespace kd::cli {

namespace {

struct FileEpisodes {
  std::string path;
  std::vector<MotionEpisode> episodes;
};

// The recordings named: files as given, a folder's recordings (not its subfolders) in byte
// order of their names. Folder entries that are no recording, or four-camera recordings, which
// have no single play window, are passed over.
bool collectPaths(const std::vector<std::string>& names, std::vector<std::string>& paths) {
  for (const std::string& name : names) {
    std::error_code ec;
    if (!std::filesystem::is_directory(name, ec)) {
      paths.push_back(name);
      continue;
    }
    std::vector<FolderFile> files;
    std::string error;
    if (!listFolderFiles(name, files, error)) {
      fail(name, error);
      return false;
    }
    for (const FolderFile& f : files) {
      if (fileKindOfName(f.name) != FileKind::kRecording) continue;
      RecordingInfo info;
      if (!info.probe(f.path)) continue;
      if (info.formatVersion == 8) {
        std::fprintf(stderr, "kdtool: %s: passed over: a four-camera recording\n", f.path.c_str());
        continue;
      }
      paths.push_back(f.path);
    }
  }
  return true;
}

void writePoint(JsonWriter& j, const EpisodePoint& p) {
  j.beginObject();
  j.key("block").value(p.block);
  j.key("frame").value(p.frame);
  j.key("time").value(p.time);
  j.endObject();
}

std::string toJson(const std::vector<FileEpisodes>& found, const MotionSettings& settings) {
  JsonWriter j;
  j.beginArray();
  for (const FileEpisodes& file : found) {
    for (const MotionEpisode& e : file.episodes) {
      j.beginObject();
      j.key("path").value(file.path);
      j.key("start");
      writePoint(j, e.start);
      j.key("end");
      writePoint(j, e.end);
      j.key("zones").beginArray();
      for (size_t i = 0; i < settings.zones.size(); ++i) {
        if (!(e.activeZones & (1u << i))) continue;
        const MotionZone& z = settings.zones[i];
        j.beginArray().value(z.left).value(z.top).value(z.right).value(z.bottom).endArray();
      }
      j.endArray();
      j.endObject();
    }
  }
  j.endArray();
  return j.str();
}

void printText(const std::vector<FileEpisodes>& found) {
  const char* pattern = "%Y-%m-%d %H:%M:%S";
  for (const FileEpisodes& file : found) {
    for (const MotionEpisode& e : file.episodes) {
      std::printf("%s  %d:%d %s  to  %d:%d %s  zones", file.path.c_str(), e.start.block,
                  e.start.frame, formatLocalTime(e.start.time, pattern).c_str(), e.end.block,
                  e.end.frame, formatLocalTime(e.end.time, pattern).c_str());
      for (int i = 0; i < int(MotionZoneBlock::kMaxZones); ++i) {
        if (e.activeZones & (1u << i)) std::printf(" %d", i + 1);
      }
      std::printf("\n");
    }
  }
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json"});
  if (!opt.ok()) return fail("motion", opt.error());
  if (opt.positional().empty() || !opt.has("zone")) return usageError("motion");
  MotionSettings settings;
  std::string error;
  if (!readMotionSettings(args, settings, error)) return fail("motion", error);
  std::vector<std::string> paths;
  if (!collectPaths(opt.positional(), paths)) return 1;

  // The decoders' own notes go to standard error, away from the list; on a terminal they would
  // break the bar apart.
  const bool terminal = isatty(fileno(stderr));
  setDiagnosticStream(terminal ? nullptr : stderr);
  int status = 0;
  std::vector<FileEpisodes> found;
  for (const std::string& path : paths) {
    FileEpisodes file{path, {}};
    ProgressBar bar(path);
    MotionScanProgress progress;
    if (terminal) progress = [&bar](uint32_t done, uint32_t total) { bar(done, total); };
    const bool ok = findMotionEpisodes(path, settings, file.episodes, error, progress);
    bar.end();
    if (!ok) status = fail(path, error);
    // Episodes up to a read failure are still reported.
    if (!file.episodes.empty()) found.push_back(std::move(file));
  }
  if (opt.has("json")) {
    std::printf("%s\n", toJson(found, settings).c_str());
  } else {
    printText(found);
  }
  return status;
}

const CommandRegistrar registrar(
    "motion", "[--json] --zone L,T,R,B [--zone ...] [--sensitivity 0-10] [--count N] FILE|DIR...",
    run);

}  // namespace

}  // namespace kd::cli
