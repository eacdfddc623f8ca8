#include "catalog/recording_search.h"

#include <algorithm>
#include <filesystem>

#include "platform/big5_text.h"
#include "recording/recording_info.h"

namespace kd {

namespace {

namespace fs = std::filesystem;

bool cancelled(const SearchControl& control) {
  return control.cancel && control.cancel->load(std::memory_order_relaxed);
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

struct Entry {
  std::string name;
  bool folder = false;
};

// The entries of `folder` worth a look, sorted by name bytes.
bool listEntries(const std::string& folder, std::vector<Entry>& entries, std::string& error) {
  entries.clear();
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    const bool link = it->is_symlink(typeError);
    // The entry's own type comes with the listing; only a link needs a look at what it names.
    const fs::file_status status = link ? it->status(typeError) : it->symlink_status(typeError);
    if (typeError) continue;
    if (fs::is_directory(status)) {
      if (!link) entries.push_back({it->path().filename().string(), true});
    } else if (fs::is_regular_file(status)) {
      entries.push_back({it->path().filename().string(), false});
    }
  }
  if (ec) {
    error = ec.message();
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return true;
}

// False when `folder` cannot be listed; below the top, such a folder is passed over.
bool walk(const std::string& folder, bool subfolders, std::vector<std::string>& files,
          std::string& error, const SearchControl& control) {
  std::vector<Entry> entries;
  if (!listEntries(folder, entries, error)) return false;
  for (const Entry& entry : entries) {
    if (cancelled(control)) break;
    if (!entry.folder) {
      files.push_back(joinPath(folder, entry.name));
    } else if (subfolders) {
      std::string ignored;
      walk(joinPath(folder, entry.name), subfolders, files, ignored, control);
      if (control.progress) control.progress({true, 0, files.size()});
    }
  }
  return true;
}

bool isAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool listSearchFiles(const std::string& folder, bool subfolders, std::vector<std::string>& files,
                     std::string& error, const SearchControl& control) {
  files.clear();
  return walk(folder, subfolders, files, error, control);
}

bool recordingMatches(const RecordingInfo& header, uint32_t sourceKey, int64_t moment,
                      const std::string& hostName) {
  if (int64_t(header.endTime) <= moment || header.sourceKey() != sourceKey) return false;
  if (hostName.empty()) return true;
  // ASCII reads the same in Big5 and UTF-8: most hosts need no conversion.
  if (isAscii(header.hostName)) return header.hostName == hostName;
  return big5ToUtf8(header.hostName) == hostName;
}

void orderForSelection(std::vector<SearchCandidate>& candidates) {
  std::stable_sort(
      candidates.begin(), candidates.end(),
      [](const SearchCandidate& a, const SearchCandidate& b) { return a.endTime < b.endTime; });
}

SearchOutcome searchRecordings(const SearchRequest& request, const SearchControl& control) {
  SearchOutcome outcome;
  outcome.candidates.resize(request.sourceKeys.size());
  std::vector<std::string> files;
  outcome.folderRead =
      listSearchFiles(request.folder, request.subfolders, files, outcome.error, control);
  if (!outcome.folderRead) return outcome;
  SearchProgress progress{false, 0, files.size()};
  if (control.progress) control.progress(progress);
  for (const std::string& path : files) {
    if (cancelled(control)) break;
    RecordingInfo header;
    if (header.probe(path)) {  // files whose header cannot be read are passed over
      for (size_t k = 0; k < request.sourceKeys.size(); ++k)
        if (recordingMatches(header, request.sourceKeys[k], request.moment, request.hostName))
          outcome.candidates[k].push_back({path, header.endTime, header.startTime});
    }
    ++progress.filesRead;
    if (control.progress) control.progress(progress);
  }
  outcome.cancelled = cancelled(control);
  if (outcome.cancelled) {
    for (auto& list : outcome.candidates) list.clear();
    return outcome;
  }
  for (auto& list : outcome.candidates) orderForSelection(list);
  return outcome;
}

}  // namespace kd
