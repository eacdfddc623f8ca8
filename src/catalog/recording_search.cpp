#include "catalog/recording_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/big5_text.h"
#include "recording/recording_info.h"

namespace kd {

namespace {

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

// What an entry is, from the listing's type where it gives one; links are looked through once.
enum class Kind { kOther, kFile, kFolder, kLinkToFolder };

Kind kindOf(const std::string& path, unsigned char listedType) {
  struct stat st {};
  switch (listedType) {
    case DT_REG:
      return Kind::kFile;
    case DT_DIR:
      return Kind::kFolder;
    case DT_LNK:
      if (::stat(path.c_str(), &st) != 0) return Kind::kOther;  // a dangling link
      if (S_ISDIR(st.st_mode)) return Kind::kLinkToFolder;
      return S_ISREG(st.st_mode) ? Kind::kFile : Kind::kOther;
    case DT_UNKNOWN:  // file systems that do not say: ask
      if (::lstat(path.c_str(), &st) != 0) return Kind::kOther;
      if (S_ISLNK(st.st_mode)) return kindOf(path, DT_LNK);
      if (S_ISDIR(st.st_mode)) return Kind::kFolder;
      return S_ISREG(st.st_mode) ? Kind::kFile : Kind::kOther;
    default:
      return Kind::kOther;  // pipes, devices, sockets
  }
}

// The entries of `folder` worth a look, sorted by name bytes.
bool listEntries(const std::string& folder, std::vector<Entry>& entries, std::string& error) {
  entries.clear();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    error = std::strerror(errno);
    return false;
  }
  while (const dirent* d = ::readdir(dir)) {
    const std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    const Kind kind = kindOf(joinPath(folder, name), d->d_type);
    if (kind == Kind::kFile || kind == Kind::kFolder)
      entries.push_back({name, kind == Kind::kFolder});
  }
  ::closedir(dir);
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
