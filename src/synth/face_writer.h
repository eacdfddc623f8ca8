#pragma once
// The generator's face files: a drawn face per picture (each picture tells its index by a row of
// bars), stored as version 0 raw records or as version 1 compressed pictures in group chains.
#include <cstdint>
#include <string>
#include <vector>

namespace kd {

struct FaceFileOptions {
  std::string path;
  int version = 1;
  int width = 112;
  int height = 144;
  int pictures = 24;
  uint32_t firstTime = 1767254400;  // 2026-01-01 08:00:00 GMT
  uint32_t stepSeconds = 2;         // between pictures
  int camera = 0;                   // the source key's halves (key bytes B and A)
  int card = 0;
  std::string hostName = "DVR-HOST";  // UTF-8 here, stored as Big5
  std::string cardName = "Card 1";
  std::string cameraName = "Camera 1";
  // Version 1.
  int groupSize = 10;      // pictures per inner group
  int groupsPerOuter = 3;  // inner groups per outer group
  uint32_t skipBytes = 0;  // a gap between each picture's header and its payload
  int quant = 4;
};

// Where the version-1 structures landed, for tests that damage them.
struct FaceFileLayout {
  uint64_t headerSize = 0;
  std::vector<uint64_t> outerGroups;
  std::vector<uint64_t> innerGroups;
  std::vector<uint64_t> pictures;  // each picture's 16-byte header (version 0: its record)
};

// The drawn face of picture `index`: width × height samples, top row first.
std::vector<uint8_t> drawFacePicture(int width, int height, int index);
// What the reader gives back for picture `index`: the drawing (version 0) or the codec's
// reconstruction of it (version 1).
std::vector<uint8_t> expectedFacePicture(const FaceFileOptions& options, int index);

// Writes the face file through a temporary beside it; false with `error` on failure.
bool writeFaceFile(const FaceFileOptions& options, std::string& error,
                   FaceFileLayout* layout = nullptr);

}  // namespace kd
