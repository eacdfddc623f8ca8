#include "catalog/continuous_list.h"

#include <algorithm>

#include "platform/folder.h"

namespace kd {

std::vector<RecordingInfo> buildContinuousList(const std::string& folder,
                                               const std::string& currentPath, uint32_t sourceKey,
                                               int64_t startTime) {
  std::vector<RecordingInfo> list;
  for (const FolderEntry& entry : listFolder(folder)) {
    if (entry.isFolder || entry.path == currentPath) continue;
    RecordingInfo info;
    if (!info.probe(entry.path)) continue;
    if (info.sourceKey() != sourceKey || info.startTime <= startTime) continue;
    // Inserted after every entry that starts no later: equal starts keep the listing's order.
    auto at = std::upper_bound(
        list.begin(), list.end(), info,
        [](const RecordingInfo& a, const RecordingInfo& b) { return a.startTime < b.startTime; });
    list.insert(at, std::move(info));
  }
  return list;
}

}  // namespace kd
