#pragma once
// An open recording file with its frame index: walks the block chain once at open, then reads
// frame records in sequence or by frame address (block, frame within the block).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "recording/recording_info.h"

namespace kd {

class FramePacket;

struct BlockIndexEntry {
  uint32_t offset;  // file offset of the block header
  uint32_t frameCount;
  uint32_t timeStamp;  // milliseconds on the frame clock
};

class RecordingReader : public RecordingInfo {
 public:
  static constexpr uint32_t kBlockTag = 0x55AAAA55;   // format 8 block header
  static constexpr uint32_t kRecordTag = 0x5A5AA5A5;  // format 8 and long format 3 records
  static constexpr int kReadMode = 1;

  RecordingReader() = default;
  ~RecordingReader() override;

  // Opens info.path (mode must be 1), parses the header, builds the index; copies the parsed
  // header back into `info`. `channel` is the format 8 channel 0–3, −1 otherwise.
  bool open(RecordingInfo& info, int mode = kReadMode, int channel = -1);
  // block −1: the next frame in sequence; otherwise the frame at (block, n).
  bool readFrame(FramePacket& packet, int block = -1, int n = 0);
  void close();
  bool isOpen() const { return state_ == 1 && file_.isOpen(); }
  // Why the last open or read failed ("block 2 has a bad tag", ...).
  const std::string& lastError() const { return error_; }

  virtual uint32_t framesInBlock(int block) const;
  virtual int blockCount() const { return blockCount_; }
  virtual uint32_t frameCount() const { return totalFrames_; }
  virtual uint32_t frameNumber(int block, int n) const;
  virtual uint32_t framesBefore(int block) const { return frameNumber(block, 0); }
  virtual int64_t blockTime(int block) const;
  uint32_t blockTimeStamp(int block) const;
  uint32_t blockOffset(int block) const;
  // Long format 3: the 32-bit value at offset 16 of the block header read last.
  uint32_t currentBlockValue() const { return currentBlockValue_; }
  int channel() const { return channel_; }
  // Format 8: the verbatim 32-byte block headers (clip writing copies them).
  const std::vector<std::array<uint8_t, 32>>& format8BlockHeaders() const { return raw8_; }
  // Block header size of this file's format (0 before open).
  uint32_t blockHeaderSize() const;

  // The frame record writer of clip writing: layout A (formats 0–3) or C (format 7). Returns the
  // bytes written, 0 on an error.
  static uint32_t writeRecord(File& file, const FramePacket& packet, bool layoutC);

 private:
  bool openFailed(const std::string& reason);
  bool readFailed(const std::string& reason);
  bool readBlockHeader(uint64_t position, BlockIndexEntry& entry, uint32_t& next);
  bool buildIndex();
  bool buildFormat8Index();
  void appendEntry(const BlockIndexEntry& entry);
  bool readRecord(FramePacket& packet);
  bool readFormat8Record(FramePacket& packet, bool skipOnly = false);
  bool readSequential(FramePacket& packet);
  bool readRecordAt(FramePacket& packet, int block, uint32_t frame, bool skipOnly);
  bool delivered(FramePacket& packet, int block, uint32_t frame);
  bool readAt(FramePacket& packet, int block, int n);

  int state_ = 0;
  File file_;
  uint64_t fileSize_ = 0;
  uint32_t currentBlockValue_ = 0;  // the 32-bit value at 16 of a long format 3 block header
  uint32_t totalFrames_ = 0;
  int blockCount_ = 0;
  std::vector<BlockIndexEntry> index_;
  std::vector<std::array<uint8_t, 32>> raw8_;
  std::vector<uint32_t> framesBefore_;  // prefix sums of frame counts, for frameNumber
  uint64_t cursorPosition_ = 0;
  int cursorBlock_ = 0;
  uint32_t cursorFrame_ = 0;
  int channel_ = -1;
  std::string error_;
};

}  // namespace kd
