// kdtool search: the recordings a camera was writing at a moment, in the order the player plays
// them (the first is opened, the rest follow).
#include <cstdio>

#include "catalog/recording_search.h"
#include "catalog/search_settings.h"
#include "cli/command.h"
#include "cli/json.h"

namespace kd::cli {

namespace {

constexpr int kNoMatchExit = 3;

// Only the options this command knows; a misspelt one is a usage error, not silently ignored.
bool knownOptions(const std::vector<std::string>& args) {
  static const char* const kKnown[] = {"json", "camera", "time", "host", "subfolders"};
  for (const std::string& arg : args) {
    if (arg.size() <= 2 || arg.compare(0, 2, "--") != 0) continue;
    const std::string name = arg.substr(2, arg.find('=') - 2);
    bool known = false;
    for (const char* k : kKnown) known = known || name == k;
    if (!known) return false;
  }
  return true;
}

// 1 … 16, decimal only.
bool parseCameraBox(const std::string& text, int& box) {
  if (text.empty() || text.size() > 2) return false;
  box = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    box = box * 10 + (c - '0');
  }
  return box >= 1 && box <= kSearchCameraBoxes;
}

void writeJson(const std::vector<SearchCandidate>& candidates) {
  JsonWriter j;
  j.beginArray();
  for (const SearchCandidate& c : candidates) {
    j.beginObject();
    j.key("path").value(c.path);
    j.key("end_time").value(c.endTime);
    j.key("start_time").value(c.startTime);
    j.endObject();
  }
  j.endArray();
  std::printf("%s\n", j.str().c_str());
}

int run(const std::vector<std::string>& args) {
  Options opt(args, {"json", "subfolders"});
  if (!opt.ok() || !knownOptions(args) || opt.positional().size() != 1 || !opt.has("camera") ||
      !opt.has("time"))
    return usageError("search");
  int box = 0;
  if (!parseCameraBox(opt.get("camera"), box)) {
    std::fprintf(stderr, "kdtool: search: --camera takes a camera box 1-16\n");
    return usageError("search");
  }
  SearchRequest request;
  if (!parseLocalMoment(opt.get("time"), request.moment)) {
    std::fprintf(stderr, "kdtool: search: --time takes a local \"YYYY-MM-DD HH:MM:SS\"\n");
    return usageError("search");
  }
  request.folder = opt.positional()[0];
  request.sourceKeys = {sourceKeyOfCameraBox(box - 1)};
  request.hostName = opt.get("host");
  request.subfolders = opt.has("subfolders");

  const SearchOutcome outcome = searchRecordings(request);
  if (!outcome.folderRead) return fail(request.folder, outcome.error);
  const std::vector<SearchCandidate>& found = outcome.candidates.front();
  if (found.empty()) {
    std::fprintf(stderr, "kdtool: %s: no matching recording\n", request.folder.c_str());
    return kNoMatchExit;
  }
  if (opt.has("json")) {
    writeJson(found);
  } else {
    for (const SearchCandidate& c : found) std::printf("%s\n", c.path.c_str());
  }
  return 0;
}

const CommandRegistrar registrar(
    "search", "[--json] DIR --camera N --time \"YYYY-MM-DD HH:MM:SS\" [--host H] [--subfolders]",
    run);

}  // namespace

}  // namespace kd::cli
