#pragma once
// The recording generator: renders the test scene, encodes it with the chosen codec, adds the
// generator's sound, and writes a recording file of the chosen container format.
#include <cstdint>
#include <string>

#include "synth/base/test_scene.h"
#include "synth/video_encoder.h"

namespace kd {

struct GeneratorOptions {
  std::string path;
  int formatVersion = 3;     // 0, 1, 2, 3, 7 or 8
  bool longVariant = false;  // format 3 only
  std::string codec = "opaque";
  std::string audio = "none";  // none, g726, ima

  // Header fields; names are UTF-8 here and stored as Big5.
  int camera = 0;
  int card = 0;
  std::string cameraName = "Camera 1";
  std::string cardName = "Card 1";
  std::string hostName = "DVR-HOST";
  std::string channelCameraNames[4] = {"CH1", "CH2", "CH3", "CH4"};
  std::string channelCardNames[4] = {"Card 1", "Card 1", "Card 1", "Card 1"};
  int gmtOffset = 8;
  int64_t startTime = 1767254400;  // 2026-01-01 08:00:00 GMT
  uint32_t timeBase = 100000;
  uint32_t revision = 0;
  int resolutionCode = -1;  // −1: 130 (352 × 288), or 135 (352 × 288 shown at 704 × 576) for
                            // formats 7 and 8, whose headers cannot name 130
  uint32_t headerFlags = 0;

  // Stream shape.
  int frameIntervalMs = 40;
  int framesPerBlock = 25;
  int blocks = 2;
  int noPictureEvery = 0;   // every N-th frame carries no picture (flags bit 0), 0: never
  uint16_t extraFlags = 0;  // OR-ed into every record's flags
  int gapAfterFrame = -1;   // a pause in the time stamps after this picture...
  int gapMs = 0;            // ...of this many milliseconds

  SceneOptions scene;
  VideoEncoderSettings encoder;  // size and format fields are filled in from the header
};

// Writes the recording; on failure returns false with `error` saying why.
bool generateRecording(const GeneratorOptions& options, std::string& error);

}  // namespace kd
