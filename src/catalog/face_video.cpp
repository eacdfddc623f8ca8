#include "catalog/face_video.h"

#include "catalog/face_thumb.h"
#include "catalog/folder_rows.h"
#include "platform/folder.h"
#include "recording/recording_info.h"

namespace kd {

std::optional<std::string> faceVideoFolder(const std::string& facePath) {
  // Folder components only: the file's own name never counts.
  const size_t nameStart = facePath.rfind('/');
  if (nameStart == std::string::npos) return std::nullopt;
  size_t start = 0;
  while (start < nameStart) {
    const size_t end = facePath.find('/', start);
    if (lowerAscii(facePath.substr(start, end - start)) == "face")
      return facePath.substr(0, start) + "video/";
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<std::string> findFaceVideo(const FaceThumb& face) {
  const std::optional<std::string> folder = faceVideoFolder(face.facePath);
  if (!folder) return std::nullopt;
  const int64_t time = int64_t(face.time);
  std::vector<FolderFile> files;
  std::string error;
  if (!listFolderFiles(*folder, files, error)) return std::nullopt;
  for (const FolderFile& entry : files) {
    RecordingInfo info;
    if (!info.probe(entry.path)) continue;
    if (info.cardName == face.cardName && info.cameraName == face.cameraName &&
        info.sourceKey() == face.sourceKey && info.startTime <= time && time <= info.endTime)
      return entry.path;
  }
  return std::nullopt;
}

}  // namespace kd
