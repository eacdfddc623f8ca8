#pragma once
// The header record of one recording file: format detection, parse of all six container formats,
// the header writer of formats 0, 1, 2, 3 and 7, and the derived sizes and times.
#include <array>
#include <cstdint>
#include <string>

namespace kd {

class File;
struct HeaderComposer;

class RecordingInfo {
 public:
  static constexpr size_t kMaxTextLength = 500;

  RecordingInfo() = default;
  virtual ~RecordingInfo() = default;
  RecordingInfo(const RecordingInfo&) = default;
  RecordingInfo& operator=(const RecordingInfo&) = default;

  // Header-only read: opens `path` read-only, stores its length, parses, closes.
  bool probe(const std::string& path);
  // Reads and checks the header from `file` positioned at offset 0; leaves the file just after
  // the header. On failure `parseError()` says why; fields already taken stay.
  bool parse(File& file);
  // Composes the header of formats 0, 1, 2, 3 (short variant) or 7 at the file's position and
  // returns its length; 0 on a file error or a format it cannot compose (8).
  uint32_t write(File& file);
  uint32_t headerLength() const;
  void copyFrom(const RecordingInfo& other) { *this = other; }

  // start time + (stamp − time base) / 1000, the difference as unsigned 32-bit.
  int64_t secondsAt(uint32_t stamp) const;
  // Stores the code and the coded size from the resolution table (unknown codes keep the size);
  // format 0 with code 131 is coded 640 × 240.
  void setResolution(int code);

  uint32_t sourceKey() const { return (uint32_t(camera) << 16) | card; }
  bool isWide() const { return (flags & 4) != 0; }
  bool isClip() const { return (flags & 2) != 0; }
  void setClipFlag(bool on) { flags = on ? (flags | 2u) : (flags & ~2u); }
  bool isLongVariant() const { return formatVersion == 3 && signature[0] == 'S'; }
  // channel −1: the general name; 0–3: the format 8 channel's name. Raw recorder bytes (Big5).
  const std::string& cameraNameOf(int channel) const;
  const std::string& cardNameOf(int channel) const;

  // Picture sizes as users size pictures (the wide-picture rule of code 7 applied).
  int pictureWidth() const;
  int pictureHeight() const { return codedHeight; }
  int displayWidth() const;
  int displayHeight() const;

  const std::string& parseError() const { return parseError_; }

  int32_t formatVersion = 0;
  uint32_t streamWord = 0;
  std::array<char, 4> signature{' ', 'X', 'D', 'K'};
  uint32_t revision = 0;
  uint32_t dataOffset = 0;
  uint32_t flags = 0;
  uint32_t reserved = 0;
  uint8_t camera = 159;
  uint8_t card = 0;
  uint8_t resolutionCode = 0;
  uint8_t spare1 = 0;
  int32_t startTime = 0;
  int32_t endTime = 0;
  uint32_t timeBase = 0;
  int32_t gmtOffset = 0;
  std::string cameraName;
  std::string cardName;
  std::string hostName;
  uint8_t spare2 = 0;
  uint8_t spare3 = 0;
  std::string path;
  uint32_t fileLength = 0;
  int32_t codedWidth = 0;
  int32_t codedHeight = 0;
  int32_t tableDisplayWidth = 0;  // display size from the resolution table
  int32_t tableDisplayHeight = 0;
  std::array<std::string, 4> channelCameraNames;
  std::array<std::string, 4> channelCardNames;
  // Format 8 and long format 3 headers keep their raw bytes for clip writing.
  std::string rawHeader;

 protected:
  std::string parseError_;

 private:
  void takeLeadingFields(const uint8_t* header);
  void composeLeadingFields(HeaderComposer& composer, const char* signature) const;
  void composeTimesAndTexts(HeaderComposer& composer) const;
  bool parseFormat8(File& file);
  bool parseFormat7(File& file);
  bool parseFormat3(File& file);
  bool parseFormat0to2(File& file);
  bool readText(File& file, std::string& text);
  bool fail(const std::string& reason);
};

// The picture format byte a format 8 header uses for a resolution code (codes it cannot name
// become 1, which reads back as 7).
uint8_t format8PictureByte(int resolutionCode);
// The resolution code a header of `formatVersion` written with `code` reads back as: formats 7
// and 8 store a picture format byte with its own mapping; the others store the code itself.
int resolutionAfterRoundTrip(int formatVersion, int code);

// Format version from a file name's extension; `fallback` when none matches.
int formatVersionForName(const std::string& path, int fallback);

}  // namespace kd
