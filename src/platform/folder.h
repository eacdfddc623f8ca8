#pragma once
// Folder listing for the browser, search and continuous playback.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct FolderEntry {
  std::string name;  // without the folder
  std::string path;  // full path
  bool isFolder = false;
  uint64_t size = 0;
  int64_t modified = 0;  // seconds since 1970
};

// Entries of `folder` sorted by name; empty when it cannot be read.
std::vector<FolderEntry> listFolder(const std::string& folder);
// The file name part of a path ("a/b/c.kdz" → "c.kdz").
std::string fileNameOf(const std::string& path);
std::string folderOf(const std::string& path);
std::string lowerAscii(std::string text);

}  // namespace kd
