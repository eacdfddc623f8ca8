#pragma once
// Face files as pictures: the container's records with version-1 payloads decoded by the DCT
// codec's grey-picture calls, any picture reachable by its index.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/face_file.h"

namespace kd {

class DctDecoder;

struct FacePicture {
  uint32_t time = 0;  // seconds since 1970
  int width = 0;
  int height = 0;
  std::vector<uint8_t> grey;  // width × height samples, top row first
};

class FaceReader {
 public:
  FaceReader();
  ~FaceReader();

  bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_.isOpen(); }
  const FaceHeader& header() const { return file_.header(); }
  int count() const { return int(std::min<uint32_t>(file_.header().count, INT32_MAX)); }
  // The first picture a broken group chain keeps out of reach (INT32_MAX: none known).
  int chainEnd() const { return file_.chainEnd(); }
  // Why the last open or read failed, naming the picture.
  const std::string& lastError() const { return error_; }

  // Picture `index` (−1: the next in sequence); false leaves `picture` unspecified.
  bool read(int index, FacePicture& picture);

 private:
  FaceFile file_;
  FaceRecord record_;
  std::unique_ptr<DctDecoder> decoder_;  // version 1 only
  std::string error_;
};

}  // namespace kd
