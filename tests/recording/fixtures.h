#pragma once
// Small recordings written with the container writer for the reader's tests.
#include <string>
#include <vector>

#include "recording/recording_info.h"
#include "recording/recording_reader.h"
#include "synth/base/recording_writer.h"

namespace kd::testing {

struct FixtureFrame {
  uint16_t kind;
  uint16_t flags;
  uint32_t stamp;
  std::vector<uint8_t> video;
  std::vector<uint8_t> audio;
};

// A header with distinctive values in every field the format carries.
RecordingInfo fixtureHeader(int format, bool longVariant = false);
// Frame j of block b: payload bytes depend on (b, j) so reads can be checked.
FixtureFrame fixtureFrame(int block, int frame, bool withAudio);
// Writes `blocks` blocks of `framesPerBlock` frames (format 8: four channels per record) and
// returns the header as written (with its data offset).
// Opens `path` with a fresh header probe (channel −1: the file's own).
bool openFixture(RecordingReader& reader, const std::string& path, int channel = -1);

RecordingInfo writeFixture(const std::string& path, RecordingInfo header, int blocks,
                           int framesPerBlock, bool withAudio = false);

}  // namespace kd::testing
