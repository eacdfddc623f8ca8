#pragma once
// One row of the recording browser's file list: what a recording, snapshot or face file holds,
// with every cell's text as the list shows it. Texts keep the recorder's Big5 bytes (they sort
// by those bytes); the screen and kdtool decode them.
#include <cstdint>
#include <optional>
#include <string>

namespace kd {

class RecordingInfo;
class SnapshotImage;
struct FaceSummary;

// Decided by the name's last three characters, exactly (so "X.BMP" is a recording).
enum class FileKind { kRecording, kBmp, kJpg, kFace };

FileKind fileKindOfName(const std::string& name);
// "recording", "bmp", "jpg", "face".
const char* fileKindLabel(FileKind kind);

struct BrowserRow {
  FileKind kind = FileKind::kRecording;
  std::string name;        // without the folder
  uint32_t startTime = 0;  // seconds since 1970; 0: none
  uint32_t endTime = 0;
  std::string startText;
  std::string endText;
  std::string cardName;    // as shown, with the card's number for recordings
  std::string cameraName;  // as shown, with the camera's number for recordings
  int width = 0;           // picture size as shown; 0 when not shown
  int height = 0;
  std::string sizeText;   // "704X576(HQ)"
  uint64_t fileSize = 0;  // 0 and not shown for face files
  std::string fileSizeText;
  std::string hostText;  // host name with the GMT suffix, or a face file's host as stored
};

// The list's columns, in order.
enum BrowserColumn {
  kNameColumn,
  kStartColumn,
  kEndColumn,
  kCardColumn,
  kCameraColumn,
  kSizeColumn,
  kFileSizeColumn,
  kHostColumn,
  kColumnCount
};

// The column's title as the list shows it (UTF-8).
const char* browserColumnTitle(int column);
// The cell text of `column` (raw Big5 bytes for the names).
const std::string& columnText(const BrowserRow& row, int column);

// "%dBytes" up to 1023, "%dKB" up to 1048575, else "%dMB" (whole units, rounded down).
std::string fileSizeText(uint64_t bytes);
// "(GMT+08:00)" / "(GMT-05:00)".
std::string gmtSuffix(int32_t hours);

// A row from a recording's header (`info` probed); `fileName` without the folder.
BrowserRow recordingRow(const RecordingInfo& info, const std::string& fileName);
// A row from a snapshot's caption; none for a picture without a camera name.
std::optional<BrowserRow> snapshotRow(const SnapshotImage& snapshot, FileKind kind,
                                      const std::string& fileName, uint64_t sizeOnDisk);
BrowserRow faceRow(const FaceSummary& face, const std::string& fileName);

// Reads the file at `path` by the kind its name gives and makes its row; none when the file
// cannot be read (or is a snapshot without a camera name).
std::optional<BrowserRow> readBrowserRow(const std::string& path, const std::string& fileName,
                                         uint64_t sizeOnDisk);

}  // namespace kd
