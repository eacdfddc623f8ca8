#pragma once
// A still picture taken from playback with its metadata (time, card, camera and host names, GMT
// offset), stored as a BMP with the metadata block after its pixels or as a JPEG with a trailer
// after its end-of-image marker.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

class SnapshotImage {
 public:
  enum Type { kBmp = 0, kJpeg = 1, kNone = 2 };
  enum Flag : uint8_t { kHasTime = 1, kHasCardName = 2, kHasCameraName = 4, kHasHost = 8 };
  static constexpr size_t kMaxTextLength = 255;
  // Larger pictures are refused on reading: no recorder comes near, and the bound keeps a damaged
  // header from asking for gigabytes.
  static constexpr int kMaxSide = 8192;

  // Writes the picture as `type` to `path`, ".bmp" or ".jpg" appended unless the path already
  // ends with it, "capture" when the path is empty. kNone writes nothing and succeeds. The file
  // appears whole or not at all (written beside it, then renamed over it).
  bool save(int type, const std::string& path);
  // Reads a snapshot (or a plain picture) of `type`; true when pixels were loaded. On failure the
  // picture and metadata are empty and lastError() says what and where.
  bool load(int type, const std::string& path);
  // As load, but takes only the sizes and the metadata and leaves pixels() empty: what a folder
  // listing needs, without decoding every picture.
  bool loadCaption(int type, const std::string& path);

  // Bottom-up BGR rows, width × 3 bytes each; takes the buffer.
  void setPicture(int width, int height, std::vector<uint8_t> pixels);
  // Each setter also sets its flag (the GMT offset travels with the host name).
  void setTime(uint32_t seconds);
  void setCardName(const std::string& name);
  void setCameraName(const std::string& name);
  void setHostName(const std::string& name);
  void setGmtOffset(int32_t hours);
  // Drops every metadata field and flag.
  void clearMetadata();

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<uint8_t>& pixels() const { return pixels_; }
  std::vector<uint8_t>& pixels() { return pixels_; }
  uint8_t flags() const { return flags_; }
  uint32_t time() const { return time_; }
  const std::string& cardName() const { return cardName_; }
  const std::string& cameraName() const { return cameraName_; }
  const std::string& hostName() const { return hostName_; }
  int32_t gmtOffset() const { return gmtOffset_; }
  // The path last saved or loaded, with its extension.
  const std::string& path() const { return path_; }
  // "PATH: what went wrong, where"; empty after a success.
  const std::string& lastError() const { return error_; }

  // The metadata block as both file types store it (texts cut to 255 bytes).
  std::vector<uint8_t> metadataBlock() const;

 private:
  bool saveBmp();
  bool saveJpeg();
  bool loadFile(int type, const std::string& path, bool withPixels);
  bool loadBmp(bool withPixels);
  bool loadJpeg(bool withPixels);
  // Reads a metadata block from `data`; `exact`: it must fill `size` completely (the JPEG
  // trailer), otherwise a short block keeps the fields read whole (the end of a BMP).
  bool parseMetadata(const uint8_t* data, size_t size, bool exact, uint64_t offset);
  bool writeAtomically(const std::vector<uint8_t>& bytes);
  bool fail(const std::string& reason);
  void clear();

  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
  uint8_t flags_ = 0;
  uint32_t time_ = 0;
  std::string cardName_;
  std::string cameraName_;
  std::string hostName_;
  int32_t gmtOffset_ = 0;
  std::string path_;
  std::string error_;
};

}  // namespace kd
