#pragma once
// Writes recording files of every container format (0, 1, 2, 3 short and long, 7 and the
// four-channel format 8) block by block. Used by the generator and by tests that build
// fixtures, including deliberately odd ones.
#include <cstdint>
#include <string>

#include "platform/file.h"
#include "recording/recording_info.h"

namespace kd {

struct WriterRecord {
  uint16_t kind = 0;
  uint16_t flags = 0;
  uint32_t timeStamp = 0;
  const uint8_t* video = nullptr;
  uint32_t videoSize = 0;
  const uint8_t* audio = nullptr;
  uint32_t audioSize = 0;
};

class RecordingWriter {
 public:
  // `header.formatVersion` picks the container; for format 3, signature[0] == 'S' selects the
  // long variant. The header's data offset is set here.
  bool create(const std::string& path, RecordingInfo& header);
  // Starts a new frame block; the previous block's next offset and frame count are patched.
  bool beginBlock(uint32_t timeStamp);
  // Long format 3: byte 12 and the 32-bit value at offset 16 of the blocks begun from now on
  // (the header's spare byte 1 and 0 until set).
  void setLongBlockBytes(uint8_t spare1, uint32_t value);
  // One frame record (formats 0–3 and 7).
  bool addFrame(const WriterRecord& record);
  // One format 8 record carrying all four channels.
  bool addMultiFrame(uint32_t timeStamp, const WriterRecord channels[4]);
  // Patches the last block and closes the file.
  bool finish();
  const std::string& error() const { return error_; }
  uint64_t position() const { return file_.position(); }

 private:
  bool writeHeader(RecordingInfo& header);
  bool patchBlock();
  bool fail(const std::string& reason);

  File file_;
  int format_ = 0;
  bool longVariant_ = false;
  uint8_t spare1_ = 0;
  uint32_t blockValue_ = 0;
  int64_t blockOffset_ = -1;
  int64_t previousOffset_ = -1;
  uint32_t blockFrames_ = 0;
  std::string error_;
};

}  // namespace kd
