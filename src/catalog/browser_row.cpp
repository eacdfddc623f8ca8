#include "catalog/browser_row.h"

#include <cstdio>
#include <cstdlib>

#include "catalog/face_summary.h"
#include "platform/clock.h"
#include "recording/recording_info.h"
#include "recording/snapshot_image.h"

namespace kd {

namespace {

constexpr const char* kRecordingTimePattern = "%y/%m/%d,%H:%M:%S";
constexpr const char* kFaceTimePattern = "%Y/%m/%d,%H:%M:%S";
constexpr const char* kHighQuality = "(HQ)";

std::string timeText(uint32_t seconds, const char* pattern) {
  // Header times are signed 32-bit on disk; 0 means none.
  return seconds == 0 ? std::string() : formatLocalTime(int64_t(int32_t(seconds)), pattern);
}

std::string sizeText(int width, int height) {
  char text[32];
  std::snprintf(text, sizeof text, "%dX%d", width, height);
  return text;
}

std::string numbered(std::string name, int number) {
  return name + "(" + std::to_string(number) + ")";
}

// A four-camera file's names joined in channel order; the comma comes whenever the text so far
// is not empty, so an empty channel still takes its place after the first name.
std::string joinedChannelNames(const std::array<std::string, 4>& names) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += ',';
    text += name;
  }
  return text;
}

}  // namespace

FileKind fileKindOfName(const std::string& name) {
  const std::string last = name.size() >= 3 ? name.substr(name.size() - 3) : std::string();
  if (last == "bmp") return FileKind::kBmp;
  if (last == "jpg") return FileKind::kJpg;
  if (last == "fac") return FileKind::kFace;
  return FileKind::kRecording;
}

const char* fileKindLabel(FileKind kind) {
  switch (kind) {
    case FileKind::kBmp:
      return "bmp";
    case FileKind::kJpg:
      return "jpg";
    case FileKind::kFace:
      return "face";
    case FileKind::kRecording:
      break;
  }
  return "recording";
}

const char* browserColumnTitle(int column) {
  static constexpr const char* kTitles[kColumnCount] = {"檔案名稱",   "開始時間", "結束時間",
                                                        "錄影卡名稱", "鏡頭名稱", "影像尺寸",
                                                        "檔案大小",   "主機名稱"};
  return column >= 0 && column < kColumnCount ? kTitles[column] : "";
}

const std::string& columnText(const BrowserRow& row, int column) {
  switch (column) {
    case kStartColumn:
      return row.startText;
    case kEndColumn:
      return row.endText;
    case kCardColumn:
      return row.cardName;
    case kCameraColumn:
      return row.cameraName;
    case kSizeColumn:
      return row.sizeText;
    case kFileSizeColumn:
      return row.fileSizeText;
    case kHostColumn:
      return row.hostText;
    default:
      return row.name;
  }
}

std::string fileSizeText(uint64_t bytes) {
  char text[32];
  if (bytes < 1024)
    std::snprintf(text, sizeof text, "%lluBytes", (unsigned long long)bytes);
  else if (bytes < 1048576)
    std::snprintf(text, sizeof text, "%lluKB", (unsigned long long)(bytes / 1024));
  else
    std::snprintf(text, sizeof text, "%lluMB", (unsigned long long)(bytes / 1048576));
  return text;
}

std::string gmtSuffix(int32_t hours) {
  char text[32];
  std::snprintf(text, sizeof text, "(GMT%c%02d:00)", hours < 0 ? '-' : '+', std::abs(hours));
  return text;
}

BrowserRow recordingRow(const RecordingInfo& info, const std::string& fileName) {
  BrowserRow row;
  row.kind = FileKind::kRecording;
  row.name = fileName;
  row.startTime = uint32_t(info.startTime);
  row.endTime = uint32_t(info.endTime);
  row.startText = timeText(row.startTime, kRecordingTimePattern);
  row.endText = timeText(row.endTime, kRecordingTimePattern);
  const bool fourCameras = info.formatVersion == 8;
  row.cardName = numbered(fourCameras ? joinedChannelNames(info.channelCardNames) : info.cardName,
                          int(info.sourceKey() & 0xFFFF) + 1);
  row.cameraName =
      numbered(fourCameras ? joinedChannelNames(info.channelCameraNames) : info.cameraName,
               int(info.sourceKey() >> 16) + 1);
  row.width = info.displayWidth();
  row.height = info.displayHeight();
  row.sizeText = sizeText(row.width, row.height);
  const int code = info.resolutionCode;
  if (code == 3 || code == 18 || code == 131) row.sizeText += kHighQuality;
  row.fileSize = info.fileLength;
  row.fileSizeText = fileSizeText(row.fileSize);
  row.hostText = info.hostName + gmtSuffix(info.gmtOffset);
  return row;
}

std::optional<BrowserRow> snapshotRow(const SnapshotImage& snapshot, FileKind kind,
                                      const std::string& fileName, uint64_t sizeOnDisk) {
  if (!(snapshot.flags() & SnapshotImage::kHasCameraName)) return std::nullopt;
  BrowserRow row;
  row.kind = kind;
  row.name = fileName;
  if (snapshot.flags() & SnapshotImage::kHasTime) row.startTime = snapshot.time();
  row.startText = timeText(row.startTime, kRecordingTimePattern);
  row.cardName = snapshot.cardName();
  row.cameraName = snapshot.cameraName();
  if (snapshot.width() != 0 && snapshot.height() != 0) {
    row.width = snapshot.width();
    row.height = snapshot.height();
    row.sizeText = sizeText(row.width, row.height);
  }
  row.fileSize = sizeOnDisk;
  row.fileSizeText = fileSizeText(sizeOnDisk);
  if (snapshot.flags() & SnapshotImage::kHasHost)
    row.hostText = snapshot.hostName() + gmtSuffix(snapshot.gmtOffset());
  return row;
}

BrowserRow faceRow(const FaceSummary& face, const std::string& fileName) {
  BrowserRow row;
  row.kind = FileKind::kFace;
  row.name = fileName;
  row.startTime = face.startTime;
  row.endTime = face.endTime;
  row.startText = timeText(face.startTime, kFaceTimePattern);
  row.endText = timeText(face.endTime, kFaceTimePattern);
  row.cardName = face.cardName;
  row.cameraName = face.cameraName;
  if (face.width != 0 && face.height != 0) {
    row.width = face.width;
    row.height = face.height;
    row.sizeText = sizeText(face.width, face.height);
  }
  row.hostText = face.hostName;
  return row;
}

std::optional<BrowserRow> readBrowserRow(const std::string& path, const std::string& fileName,
                                         uint64_t sizeOnDisk) {
  const FileKind kind = fileKindOfName(fileName);
  switch (kind) {
    case FileKind::kBmp:
    case FileKind::kJpg: {
      SnapshotImage snapshot;
      const int type = kind == FileKind::kBmp ? SnapshotImage::kBmp : SnapshotImage::kJpeg;
      if (!snapshot.loadCaption(type, path)) return std::nullopt;
      return snapshotRow(snapshot, kind, fileName, sizeOnDisk);
    }
    case FileKind::kFace: {
      FaceSummary face;
      if (!readFaceSummary(path, face)) return std::nullopt;
      return faceRow(face, fileName);
    }
    case FileKind::kRecording:
      break;
  }
  // A file whose header does not read is no recording: it gets no row rather than one of
  // default values.
  RecordingInfo info;
  if (!info.probe(path)) return std::nullopt;
  return recordingRow(info, fileName);
}

}  // namespace kd
