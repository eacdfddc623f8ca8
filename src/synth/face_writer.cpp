#include "synth/face_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/big5_text.h"
#include "platform/file.h"
#include "recording/byte_order.h"
#include "recording/face_file.h"
#include "synth/dct/grey_picture_encoder.h"

namespace kd {

namespace {

void append32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  put32(b, v);
  out.insert(out.end(), b, b + 4);
}

void appendName(std::vector<uint8_t>& out, const std::string& utf8) {
  const std::string stored = utf8ToBig5(utf8);
  append32(out, uint32_t(stored.size()));
  out.insert(out.end(), stored.begin(), stored.end());
}

// A group record: the next record of its level at byte 12, the picture count at byte 24.
size_t appendGroup(std::vector<uint8_t>& out, uint32_t firstTime, uint16_t count) {
  const size_t at = out.size();
  out.resize(at + FaceFile::kGroupRecordSize, 0);
  put32(&out[at], firstTime);  // not read back; a recorder keeps its own bookkeeping here
  put16(&out[at + 24], count);
  return at;
}

uint32_t pictureTime(const FaceFileOptions& o, int index) {
  return o.firstTime + uint32_t(index) * o.stepSeconds;
}

bool optionsValid(const FaceFileOptions& o, std::string& error) {
  const int maxSide = o.version == 1 ? 1023 : FaceFile::kMaxSide;
  if (o.version != 0 && o.version != 1) return error = "face files have versions 0 and 1", false;
  if (o.width < 1 || o.height < 1 || o.width > maxSide || o.height > maxSide)
    return error = "picture size out of range (1.." + std::to_string(maxSide) + ")", false;
  if (o.pictures < 0) return error = "negative picture count", false;
  if (o.groupSize < 1 || o.groupSize > 65535 || o.groupsPerOuter < 1)
    return error = "groups need at least one picture and one inner group", false;
  return true;
}

void appendHeader(const FaceFileOptions& o, std::vector<uint8_t>& out) {
  out = {'F', 'A', 'C', 'E'};
  append32(out, uint32_t(o.version));
  append32(out, 0);  // data offset, filled in below
  const uint32_t last = o.pictures ? pictureTime(o, o.pictures - 1) : 0;
  if (o.version == 0) {
    append32(out, uint32_t(o.width));
    append32(out, uint32_t(o.height));
    out.push_back(uint8_t(o.card));
    out.push_back(uint8_t(o.camera));
    append32(out, o.firstTime);
    append32(out, 0);
  } else {
    append32(out, o.firstTime);
    append32(out, last);
    append32(out, 0);
    append32(out, uint32_t(o.pictures));
    append32(out, 0);
    append32(out, uint32_t(o.width));
    append32(out, uint32_t(o.height));
    out.push_back(uint8_t(o.card));
    out.push_back(uint8_t(o.camera));
  }
  appendName(out, o.hostName);
  appendName(out, o.cardName);
  appendName(out, o.cameraName);
  put32(&out[8], uint32_t(out.size()));
}

bool appendGroups(const FaceFileOptions& o, std::vector<uint8_t>& out, FaceFileLayout& layout,
                  std::string& error) {
  const int perOuter = o.groupSize * o.groupsPerOuter;
  size_t previousOuter = 0, previousInner = 0;
  bool anyOuter = false;
  for (int first = 0; first < std::max(o.pictures, 1); first += perOuter) {
    const int inOuter = std::min(perOuter, o.pictures - first);
    const size_t outer =
        appendGroup(out, pictureTime(o, first), uint16_t(std::min(inOuter, 65535)));
    if (anyOuter) put32(&out[previousOuter + 12], uint32_t(outer));
    previousOuter = outer;
    anyOuter = true;
    layout.outerGroups.push_back(outer);
    for (int group = first; group < first + std::max(inOuter, 1); group += o.groupSize) {
      const int count = std::max(0, std::min(o.groupSize, first + inOuter - group));
      const size_t inner = appendGroup(out, pictureTime(o, group), uint16_t(count));
      if (group != first) put32(&out[previousInner + 12], uint32_t(inner));
      previousInner = inner;
      layout.innerGroups.push_back(inner);
      for (int i = group; i < group + count; ++i) {
        const std::vector<uint8_t> face = drawFacePicture(o.width, o.height, i);
        const std::vector<uint8_t> payload =
            encodeGreyPicture(face.data(), o.width, o.height, o.quant);
        if (payload.size() > FaceFile::kPayloadBuffer)
          return error = "picture " + std::to_string(i) + " compresses to " +
                         std::to_string(payload.size()) + " bytes, more than a reader's " +
                         std::to_string(FaceFile::kPayloadBuffer) + ": raise the quantiser",
                 false;
        layout.pictures.push_back(out.size());
        append32(out, pictureTime(o, i));
        append32(out, uint32_t(payload.size()));
        uint8_t size[4];
        put16(size, uint32_t(o.width));
        put16(size + 2, uint32_t(o.height));
        out.insert(out.end(), size, size + 4);
        append32(out, o.skipBytes);
        out.resize(out.size() + o.skipBytes, 0);
        out.insert(out.end(), payload.begin(), payload.end());
      }
    }
  }
  return true;
}

}  // namespace

std::vector<uint8_t> drawFacePicture(int width, int height, int index) {
  std::vector<uint8_t> grey(size_t(width) * size_t(height));
  const double cx = width / 2.0, cy = height * 0.45;
  const double rx = width * 0.36, ry = height * 0.38;
  const int shade = (index * 37) % 64;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = (x - cx) / rx, dy = (y - cy) / ry;
      int v = 40 + shade / 2 + y * 40 / height;                 // background, darker at the top
      if (dx * dx + dy * dy < 1) v = 150 + shade;               // the face
      for (const double ex : {cx - rx * 0.4, cx + rx * 0.4}) {  // the eyes
        const double ax = (x - ex) / (rx * 0.14), ay = (y - (cy - ry * 0.2)) / (ry * 0.08);
        if (ax * ax + ay * ay < 1) v = 30;
      }
      if (std::abs(x - cx) < rx * 0.35 && std::abs(y - (cy + ry * 0.5)) < ry * 0.04) v = 60;
      grey[size_t(y) * size_t(width) + size_t(x)] = uint8_t(std::clamp(v, 0, 255));
    }
  }
  // The index in binary along the bottom: eight bars, bright for a set bit.
  const int barWidth = std::max(1, width / 8), barTop = height - std::max(1, height / 10);
  for (int bit = 0; bit < 8; ++bit)
    for (int y = barTop; y < height; ++y)
      for (int x = bit * barWidth; x < std::min(width, (bit + 1) * barWidth); ++x)
        grey[size_t(y) * size_t(width) + size_t(x)] = (index >> bit) & 1 ? 230 : 10;
  return grey;
}

std::vector<uint8_t> expectedFacePicture(const FaceFileOptions& options, int index) {
  std::vector<uint8_t> face = drawFacePicture(options.width, options.height, index);
  if (options.version == 0) return face;
  std::vector<uint8_t> recon;
  encodeGreyPicture(face.data(), options.width, options.height, options.quant, &recon);
  return recon;
}

bool writeFaceFile(const FaceFileOptions& options, std::string& error, FaceFileLayout* layout) {
  if (!optionsValid(options, error)) return false;
  FaceFileLayout where;
  std::vector<uint8_t> out;
  appendHeader(options, out);
  where.headerSize = out.size();
  if (options.version == 0) {
    for (int i = 0; i < options.pictures; ++i) {
      where.pictures.push_back(out.size());
      append32(out, pictureTime(options, i));
      const std::vector<uint8_t> face = drawFacePicture(options.width, options.height, i);
      out.insert(out.end(), face.begin(), face.end());
    }
  } else if (!appendGroups(options, out, where, error)) {
    return false;
  }
  // Written beside the target and renamed: a failure never leaves half a file under its name.
  const std::string part = options.path + ".part";
  if (!writeWholeFile(part, out)) {
    std::remove(part.c_str());
    return error = "cannot be written", false;
  }
  std::error_code ec;
  std::filesystem::rename(part, options.path, ec);
  if (ec) {
    std::remove(part.c_str());
    return error = ec.message(), false;
  }
  if (layout) *layout = std::move(where);
  return true;
}

}  // namespace kd
