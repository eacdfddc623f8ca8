#include "platform/folder.h"

#include <algorithm>
#include <filesystem>

namespace kd {

std::vector<FolderEntry> listFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<FolderEntry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    FolderEntry e;
    e.name = it->path().filename().string();
    e.path = it->path().string();
    std::error_code ec2;
    e.isFolder = it->is_directory(ec2);
    if (!e.isFolder) e.size = it->file_size(ec2);
    auto t = it->last_write_time(ec2);
    if (!ec2) {
      auto sys = std::chrono::file_clock::to_sys(t);
      e.modified = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
    }
    entries.push_back(std::move(e));
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

std::string fileNameOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

}  // namespace kd
