// Face files: header, random access in an order the input picks, then reading in sequence.
// Input: [four index bytes][face file].
#include "catalog/face_reader.h"
#include "catalog/face_summary.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const std::string path = kd::fuzz::writeScratchFile(data + 4, size - 4, "fac");
  kd::FaceSummary summary;
  (void)kd::readFaceSummary(path, summary);
  kd::FaceReader reader;
  if (!reader.open(path)) return 0;
  kd::FacePicture picture;
  // Indices around the count: −1 (the next), every picture, and one past the end.
  // (in 64 bits: a damaged count may be the largest int)
  for (int k = 0; k < 4; ++k)
    (void)reader.read(int(int64_t(data[k]) % (int64_t(reader.count()) + 2) - 1), picture);
  for (int k = 0; k < 64 && k < reader.count(); ++k) (void)reader.read(-1, picture);
  return 0;
}
