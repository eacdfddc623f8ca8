#include "catalog/folder_rows.h"

#include <algorithm>
#include <filesystem>

namespace kd {

bool listFolderFiles(const std::string& folder, std::vector<FolderFile>& files,
                     std::string& error) {
  namespace fs = std::filesystem;
  files.clear();
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code entryError;
    if (!it->is_regular_file(entryError)) continue;
    FolderFile file;
    file.name = it->path().filename().string();
    file.path = it->path().string();
    file.size = it->file_size(entryError);
    if (entryError) file.size = 0;
    files.push_back(std::move(file));
  }
  if (ec) {
    files.clear();
    error = ec.message();
    return false;
  }
  std::sort(files.begin(), files.end(),
            [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
  return true;
}

bool readFolderRows(const std::string& folder, std::vector<BrowserRow>& rows, std::string& error) {
  rows.clear();
  std::vector<FolderFile> files;
  if (!listFolderFiles(folder, files, error)) return false;
  for (const FolderFile& file : files)
    if (auto row = readBrowserRow(file.path, file.name, file.size)) rows.push_back(std::move(*row));
  return true;
}

}  // namespace kd
