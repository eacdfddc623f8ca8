#include "recording/snapshot_image.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/file.h"
#include "recording/byte_order.h"
#include "recording/snapshot_jpeg.h"

namespace kd {

namespace {

constexpr size_t kBmpHeaderSize = 54;
// Flags, time, three texts of at most 255 bytes with their lengths, GMT offset.
constexpr size_t kMaxMetadataSize = 1 + 4 + 3 * (2 + SnapshotImage::kMaxTextLength) + 4;
// JPEG files beyond this are not snapshots of any recorder picture.
constexpr uint64_t kMaxJpegFileSize = 64u << 20;

bool endsWith(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Every recorder width is a multiple of 4, so these rows carry no padding; other widths are
// padded as BMP readers expect.
size_t bmpStride(int width) {
  return (size_t(width) * 3 + 3) & ~size_t(3);
}

void putText(std::vector<uint8_t>& out, const std::string& text) {
  const size_t n =
      text.size() < SnapshotImage::kMaxTextLength ? text.size() : SnapshotImage::kMaxTextLength;
  out.push_back(uint8_t(n));
  out.push_back(uint8_t(n >> 8));
  out.insert(out.end(), text.begin(), text.begin() + ptrdiff_t(n));
}

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  put32(bytes, value);
  out.insert(out.end(), bytes, bytes + 4);
}

std::string at(uint64_t offset) {
  return " at offset " + std::to_string(offset);
}

}  // namespace

void SnapshotImage::setPicture(int width, int height, std::vector<uint8_t> pixels) {
  width_ = width;
  height_ = height;
  pixels_ = std::move(pixels);
}

void SnapshotImage::setTime(uint32_t seconds) {
  time_ = seconds;
  flags_ |= kHasTime;
}
void SnapshotImage::setCardName(const std::string& name) {
  cardName_ = name;
  flags_ |= kHasCardName;
}
void SnapshotImage::setCameraName(const std::string& name) {
  cameraName_ = name;
  flags_ |= kHasCameraName;
}
void SnapshotImage::setHostName(const std::string& name) {
  hostName_ = name;
  flags_ |= kHasHost;
}
void SnapshotImage::setGmtOffset(int32_t hours) {
  gmtOffset_ = hours;
  flags_ |= kHasHost;
}

void SnapshotImage::clearMetadata() {
  flags_ = 0;
  time_ = 0;
  cardName_.clear();
  cameraName_.clear();
  hostName_.clear();
  gmtOffset_ = 0;
}

void SnapshotImage::clear() {
  clearMetadata();
  width_ = height_ = 0;
  pixels_.clear();
}

bool SnapshotImage::fail(const std::string& reason) {
  error_ = path_ + ": " + reason;
  return false;
}

std::vector<uint8_t> SnapshotImage::metadataBlock() const {
  // The flags byte is always written, so the JPEG trailer length and the reader agree.
  std::vector<uint8_t> out{flags_};
  if (flags_ & kHasTime) putLe32(out, time_);
  if (flags_ & kHasCardName) putText(out, cardName_);
  if (flags_ & kHasCameraName) putText(out, cameraName_);
  if (flags_ & kHasHost) {
    putText(out, hostName_);
    putLe32(out, uint32_t(gmtOffset_));
  }
  return out;
}

bool SnapshotImage::parseMetadata(const uint8_t* data, size_t size, bool exact, uint64_t offset) {
  clearMetadata();
  size_t pos = 0;
  auto complete = [&](size_t n) { return size - pos >= n; };
  // A short block: the JPEG trailer must be whole; the end of a BMP keeps what was read whole.
  auto shortBlock = [&] {
    return exact ? fail("the metadata block is cut short" + at(offset + pos)) : true;
  };
  auto readText = [&](std::string& text, uint8_t flag) {
    if (!complete(2)) return false;
    const size_t n = le16(data + pos);
    if (n > kMaxTextLength) {
      fail("metadata text of " + std::to_string(n) + " bytes (at most 255)" + at(offset + pos));
      return false;
    }
    if (!complete(2 + n)) return false;
    text.assign(reinterpret_cast<const char*>(data + pos + 2), n);
    pos += 2 + n;
    flags_ |= flag;
    return true;
  };
  if (size == 0) return shortBlock();
  const uint8_t flags = data[pos++];
  if (flags & kHasTime) {
    if (!complete(4)) return shortBlock();
    time_ = le32(data + pos);
    pos += 4;
    flags_ |= kHasTime;
  }
  const std::pair<uint8_t, std::string*> texts[] = {{kHasCardName, &cardName_},
                                                    {kHasCameraName, &cameraName_}};
  for (auto [flag, text] : texts) {
    if (!(flags & flag)) continue;
    if (!readText(*text, flag)) return error_.empty() ? shortBlock() : false;
  }
  if (flags & kHasHost) {
    std::string host;
    if (!readText(host, 0)) return error_.empty() ? shortBlock() : false;
    if (!complete(4)) return shortBlock();
    hostName_ = std::move(host);
    gmtOffset_ = int32_t(le32(data + pos));
    pos += 4;
    flags_ |= kHasHost;
  }
  if (exact && pos != size)
    return fail("the trailer holds " + std::to_string(size - pos) +
                " bytes more than its metadata block" + at(offset + pos));
  return true;
}

bool SnapshotImage::writeAtomically(const std::vector<uint8_t>& bytes) {
  // Written beside the target and renamed over it, so a failed write leaves no half file.
  const std::string partial = path_ + ".partial";
  File file;
  if (!file.open(partial, File::Mode::Create)) return fail("cannot create: " + file.lastError());
  if (!file.write(bytes.data(), bytes.size())) {
    const std::string reason = file.lastError();
    file.close();
    std::remove(partial.c_str());
    return fail("cannot write: " + reason);
  }
  file.close();
  if (std::rename(partial.c_str(), path_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(partial.c_str());
    return fail("cannot replace the file: " + reason);
  }
  return true;
}

bool SnapshotImage::save(int type, const std::string& path) {
  error_.clear();
  if (type == kNone) return true;
  path_ = path.empty() ? "capture" : path;
  if (type != kBmp && type != kJpeg) return fail("unknown snapshot type " + std::to_string(type));
  const char* extension = type == kBmp ? ".bmp" : ".jpg";
  if (!endsWith(path_, extension)) path_ += extension;
  if (width_ <= 0 || height_ <= 0 || pixels_.size() != size_t(width_) * size_t(height_) * 3)
    return fail("no picture to save");
  return type == kBmp ? saveBmp() : saveJpeg();
}

bool SnapshotImage::saveBmp() {
  const size_t stride = bmpStride(width_);
  const size_t imageSize = stride * size_t(height_);
  const std::vector<uint8_t> metadata = metadataBlock();
  std::vector<uint8_t> out(kBmpHeaderSize, 0);
  out.reserve(kBmpHeaderSize + imageSize + metadata.size());
  out[0] = 'B';
  out[1] = 'M';
  // The file size counts the metadata block too: ImageMagick flags a file whose length and
  // stated size differ.
  put32(&out[2], uint32_t(kBmpHeaderSize + imageSize + metadata.size()));
  put32(&out[10], uint32_t(kBmpHeaderSize));
  put32(&out[14], 40);
  put32(&out[18], uint32_t(width_));
  put32(&out[22], uint32_t(height_));
  put16(&out[26], 1);
  put16(&out[28], 24);
  put32(&out[34], uint32_t(imageSize));
  const size_t rowBytes = size_t(width_) * 3;
  for (int y = 0; y < height_; ++y) {
    const auto row = pixels_.begin() + ptrdiff_t(size_t(y) * rowBytes);
    out.insert(out.end(), row, row + ptrdiff_t(rowBytes));
    out.resize(out.size() + (stride - rowBytes), 0);
  }
  out.insert(out.end(), metadata.begin(), metadata.end());
  return writeAtomically(out);
}

bool SnapshotImage::saveJpeg() {
  std::vector<uint8_t> out;
  std::string reason;
  if (!encodeSnapshotJpeg(pixels_.data(), width_, height_, out, reason)) return fail(reason);
  // The trailer: width, height, metadata block, and the count of trailer bytes before it.
  const std::vector<uint8_t> metadata = metadataBlock();
  putLe32(out, uint32_t(width_));
  putLe32(out, uint32_t(height_));
  out.insert(out.end(), metadata.begin(), metadata.end());
  putLe32(out, uint32_t(8 + metadata.size()));
  return writeAtomically(out);
}

bool SnapshotImage::load(int type, const std::string& path) {
  return loadFile(type, path, true);
}

bool SnapshotImage::loadCaption(int type, const std::string& path) {
  return loadFile(type, path, false);
}

bool SnapshotImage::loadFile(int type, const std::string& path, bool withPixels) {
  error_.clear();
  clear();
  path_ = path;
  if (type == kNone) return false;
  if (type != kBmp && type != kJpeg) return fail("unknown snapshot type " + std::to_string(type));
  const bool ok = type == kBmp ? loadBmp(withPixels) : loadJpeg(withPixels);
  if (!ok) clear();
  return ok;
}

bool SnapshotImage::loadBmp(bool withPixels) {
  File file;
  if (!file.open(path_, File::Mode::Read)) return fail(file.lastError());
  const uint64_t fileLength = file.length();
  uint8_t header[kBmpHeaderSize];
  if (!file.readExact(header, sizeof header))
    return fail("shorter than a BMP header (" + std::to_string(fileLength) + " bytes)");
  if (header[0] != 'B' || header[1] != 'M') return fail("not a BMP file (no \"BM\" at offset 0)");
  const uint32_t pixelOffset = le32(header + 10);
  const uint32_t infoSize = le32(header + 14);
  const int32_t width = int32_t(le32(header + 18));
  const int32_t height = int32_t(le32(header + 22));
  if (infoSize < 40) return fail("information header of " + std::to_string(infoSize) + " bytes");
  if (le16(header + 28) != 24)
    return fail(std::to_string(le16(header + 28)) + " bits per pixel" + at(28) +
                " (only 24 are read)");
  if (le32(header + 30) != 0) return fail("compressed pixels" + at(30) + " (only plain are read)");
  // A negative height is a top-down picture, as other programs write them.
  const bool topDown = height < 0;
  const int64_t rows = topDown ? -int64_t(height) : int64_t(height);
  if (width <= 0 || rows <= 0 || width > kMaxSide || rows > kMaxSide)
    return fail("implausible picture size " + std::to_string(width) + "x" + std::to_string(height) +
                at(18));
  const size_t stride = bmpStride(width);
  const uint64_t pixelEnd = uint64_t(pixelOffset) + stride * uint64_t(rows);
  if (pixelOffset < 14 + uint64_t(infoSize) || pixelEnd > fileLength)
    return fail("the pixels (" + std::to_string(stride * uint64_t(rows)) + " bytes from offset " +
                std::to_string(pixelOffset) + ") run past the end of the " +
                std::to_string(fileLength) + "-byte file");
  if (withPixels) {
    const size_t rowBytes = size_t(width) * 3;
    pixels_.assign(rowBytes * size_t(rows), 0);
    std::vector<uint8_t> row(stride);
    file.seek(pixelOffset);
    for (int64_t r = 0; r < rows; ++r) {
      if (!file.readExact(row.data(), stride))
        return fail("short read in the pixels" + at(pixelOffset + uint64_t(r) * stride));
      const int64_t target = topDown ? rows - 1 - r : r;
      std::memcpy(&pixels_[size_t(target) * rowBytes], row.data(), rowBytes);
    }
  }
  width_ = width;
  height_ = int(rows);
  file.seek(pixelEnd);
  // The metadata block follows the pixels; a plain BMP simply has none.
  const size_t tailSize = size_t(std::min<uint64_t>(fileLength - pixelEnd, kMaxMetadataSize));
  std::vector<uint8_t> tail(tailSize);
  tail.resize(file.read(tail.data(), tail.size()));
  if (!tail.empty() && !parseMetadata(tail.data(), tail.size(), false, pixelEnd)) return false;
  return true;
}

bool SnapshotImage::loadJpeg(bool withPixels) {
  if (!endsWith(path_, ".jpg")) return fail("a JPEG snapshot's name ends with .jpg");
  File file;
  if (!file.open(path_, File::Mode::Read)) return fail(file.lastError());
  const uint64_t fileLength = file.length();
  if (fileLength > kMaxJpegFileSize)
    return fail("too large for a snapshot (" + std::to_string(fileLength) + " bytes)");
  // The last 4 bytes count the trailer bytes before them: width, height and the metadata block.
  if (fileLength < 4 + 8 + 1)
    return fail("no snapshot trailer (file of " + std::to_string(fileLength) + " bytes)");
  const uint64_t lengthAt = fileLength - 4;
  uint8_t lengthBytes[4];
  file.seek(lengthAt);
  if (!file.readExact(lengthBytes, 4)) return fail("cannot read: " + file.lastError());
  const uint32_t trailerLength = le32(lengthBytes);
  if (trailerLength < 8 + 1 || trailerLength > 8 + kMaxMetadataSize || trailerLength > lengthAt)
    return fail("trailer length " + std::to_string(trailerLength) + at(lengthAt) +
                " does not fit a snapshot trailer in the " + std::to_string(fileLength) +
                "-byte file");
  // Only the trailer for a caption; the whole file when the picture is decoded too.
  const uint64_t readFrom = withPixels ? 0 : lengthAt - trailerLength;
  std::vector<uint8_t> bytes(static_cast<size_t>(lengthAt - readFrom));
  file.seek(readFrom);
  if (!file.readExact(bytes.data(), bytes.size())) return fail("cannot read: " + file.lastError());
  const uint64_t trailerAt = lengthAt - trailerLength;
  const uint8_t* trailer = &bytes[size_t(trailerAt - readFrom)];
  const int32_t width = int32_t(le32(trailer));
  const int32_t height = int32_t(le32(trailer + 4));
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return fail("implausible picture size " + std::to_string(width) + "x" + std::to_string(height) +
                " in the trailer" + at(trailerAt));
  if (!parseMetadata(trailer + 8, trailerLength - 8, true, trailerAt + 8)) return false;
  if (trailerAt == 0) return fail("no JPEG data before the trailer");
  std::string reason;
  if (withPixels &&
      !decodeSnapshotJpeg(bytes.data(), size_t(trailerAt), width, height, pixels_, reason))
    return fail(reason);
  width_ = width;
  height_ = height;
  return true;
}

}  // namespace kd
