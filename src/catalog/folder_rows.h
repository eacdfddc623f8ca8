#pragma once
// The browser's list fill for one folder: its files in byte order of their names, each read into
// a row by its kind.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/browser_row.h"

namespace kd {

struct FolderFile {
  std::string name;  // without the folder
  std::string path;
  uint64_t size = 0;  // on disk
};

// The regular files of `folder` (not its subfolders, nor devices or pipes, which would block a
// header read), sorted by name bytes. False with the reason when the folder cannot be read.
bool listFolderFiles(const std::string& folder, std::vector<FolderFile>& files, std::string& error);

// Every row of `folder` in listing order; files that give no row are left out.
bool readFolderRows(const std::string& folder, std::vector<BrowserRow>& rows, std::string& error);

}  // namespace kd
