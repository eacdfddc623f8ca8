#include "recording/recording_reader.h"

#include <algorithm>
#include <array>

#include "recording/byte_order.h"
#include "recording/frame_packet.h"

namespace kd {

namespace {

constexpr size_t kInitialIndex = 1024;

// The index grows by an eighth of its size, at least 4 and at most 1024 entries at a time.
template <typename T>
void reserveForOneMore(std::vector<T>& v) {
  if (v.size() < v.capacity()) return;
  size_t step = std::clamp<size_t>(v.capacity() / 8, 4, 1024);
  v.reserve(v.capacity() + step);
}

}  // namespace

RecordingReader::~RecordingReader() {
  close();
}

uint32_t RecordingReader::blockHeaderSize() const {
  if (formatVersion == 8) return 32;
  if (formatVersion == 7) return 14;
  if (isLongVariant()) return 176;
  return 16;
}

bool RecordingReader::openFailed(const std::string& reason) {
  error_ = reason;
  close();
  return false;
}

bool RecordingReader::readFailed(const std::string& reason) {
  error_ = reason;
  return false;
}

bool RecordingReader::open(RecordingInfo& info, int mode, int channel) {
  if (file_.isOpen()) return readFailed("a file is already open");
  channel_ = channel;
  if (mode != kReadMode) return readFailed("unsupported open mode");
  if (!file_.open(info.path, File::Mode::Read)) {
    error_ = file_.lastError();
    return false;
  }
  path = info.path;
  fileSize_ = file_.length();
  fileLength = uint32_t(std::min<uint64_t>(fileSize_, 0xFFFFFFFFu));
  file_.seek(0);
  if (!parse(file_)) return openFailed(parseError());
  info.copyFrom(*this);
  blockCount_ = 0;
  totalFrames_ = 0;
  index_.clear();
  raw8_.clear();
  if (!(formatVersion == 8 ? buildFormat8Index() : buildIndex())) return false;
  if (blockCount_ == 0 || totalFrames_ == 0) return openFailed("no frames");

  framesBefore_.resize(index_.size());
  uint32_t sum = 0;
  for (size_t i = 0; i < index_.size(); ++i) {
    framesBefore_[i] = sum;
    sum += index_[i].frameCount;
  }
  if (formatVersion == 8) {
    cursorPosition_ = uint64_t(index_[0].offset) + blockHeaderSize();
  } else {
    // Reading the first block's header again leaves its values current (spare byte 1 of a long
    // format 3 file comes from the first block, not the last one indexed).
    BlockIndexEntry first;
    uint32_t next;
    if (!readBlockHeader(index_[0].offset, first, next))
      return openFailed("cannot read the first block header again");
    cursorPosition_ = file_.position();
  }
  cursorBlock_ = 0;
  cursorFrame_ = 0;
  state_ = 1;
  error_.clear();
  return true;
}

void RecordingReader::appendEntry(const BlockIndexEntry& entry) {
  if (index_.capacity() == 0) index_.reserve(kInitialIndex);
  reserveForOneMore(index_);
  index_.push_back(entry);
  ++blockCount_;
  totalFrames_ += entry.frameCount;
}

// Reads the block header at `position` into `entry` and `next`; a long format 3 header also
// replaces spare byte 1 and the current block value, as every header read does.
bool RecordingReader::readBlockHeader(uint64_t position, BlockIndexEntry& entry, uint32_t& next) {
  const uint32_t headerSize = blockHeaderSize();
  uint8_t h[176];
  file_.seek(position);
  if (!file_.readExact(h, headerSize)) return false;
  entry = {uint32_t(position), 0, 0};
  if (headerSize == 176) {
    entry.timeStamp = le32(h + 4);
    entry.frameCount = le16(h + 8);
    spare1 = h[12];
    currentBlockValue_ = le32(h + 16);
    next = le32(h + 24);
  } else if (headerSize == 14) {
    next = le32(h + 4);
    entry.frameCount = le16(h + 8);
    entry.timeStamp = le32(h + 10);
  } else {
    next = le32(h + 4);
    entry.frameCount = le16(h + 8);
    entry.timeStamp = le32(h + 12);
  }
  return true;
}

bool RecordingReader::buildIndex() {
  uint64_t position = dataOffset;
  BlockIndexEntry e;
  uint32_t next;
  while (readBlockHeader(position, e, next)) {
    appendEntry(e);
    // Only forward links inside the file are followed, so a damaged chain cannot loop.
    if (next == 0xFFFFFFFFu || next >= fileSize_ || next <= position) break;
    position = next;
  }
  return true;
}

bool RecordingReader::buildFormat8Index() {
  if (channel_ < 0 || channel_ > 3) return openFailed("channel must be 0 to 3");
  raw8_.reserve(kInitialIndex);
  uint64_t position = dataOffset;
  for (;;) {
    std::array<uint8_t, 32> h;
    file_.seek(position);
    if (!file_.readExact(h.data(), h.size())) break;
    if (le32(h.data()) != kBlockTag)
      return openFailed("block " + std::to_string(blockCount_) + " has a bad tag");
    appendEntry({uint32_t(position), le32(&h[16]), le32(&h[20])});
    reserveForOneMore(raw8_);
    raw8_.push_back(h);
    const uint32_t next = le32(&h[12]);
    if (next == 0xFFFFFFFFu || next >= fileSize_ || next <= position) break;
    position = next;
  }
  return true;
}

void RecordingReader::close() {
  file_.close();
  state_ = 0;
  index_.clear();
  index_.shrink_to_fit();
  raw8_.clear();
  raw8_.shrink_to_fit();
  framesBefore_.clear();
  blockCount_ = 0;
  totalFrames_ = 0;
}

uint32_t RecordingReader::framesInBlock(int block) const {
  return block >= 0 && block < blockCount_ ? index_[size_t(block)].frameCount : 0;
}

uint32_t RecordingReader::frameNumber(int block, int n) const {
  if (block <= 0 || blockCount_ == 0) return uint32_t(n);
  if (block >= blockCount_) return totalFrames_ + uint32_t(n);
  return framesBefore_[size_t(block)] + uint32_t(n);
}

uint32_t RecordingReader::blockTimeStamp(int block) const {
  return block >= 0 && block < blockCount_ ? index_[size_t(block)].timeStamp : 0;
}

uint32_t RecordingReader::blockOffset(int block) const {
  return block >= 0 && block < blockCount_ ? index_[size_t(block)].offset : 0;
}

int64_t RecordingReader::blockTime(int block) const {
  return block >= 0 && block < blockCount_ ? secondsAt(index_[size_t(block)].timeStamp) : 0;
}

bool RecordingReader::readFrame(FramePacket& packet, int block, int n) {
  if (state_ != 1 || !file_.isOpen()) return readFailed("the recording is not open");
  if (block >= blockCount_) return readFailed("no block " + std::to_string(block));
  if (block >= 0 && n < 0) return readFailed("negative frame number");
  return block < 0 ? readSequential(packet) : readAt(packet, block, n);
}

bool RecordingReader::readSequential(FramePacket& packet) {
  uint64_t position = cursorPosition_;
  int k = cursorBlock_;
  uint32_t j = cursorFrame_;
  while (k < blockCount_) {
    if (j >= index_[size_t(k)].frameCount) {
      ++k;
      j = 0;
      if (k < blockCount_) position = uint64_t(index_[size_t(k)].offset) + blockHeaderSize();
      continue;
    }
    file_.seek(position);
    return readRecordAt(packet, k, j, false) && delivered(packet, k, j);
  }
  return readFailed("end of recording");
}

bool RecordingReader::readAt(FramePacket& packet, int block, int n) {
  uint32_t frame = uint32_t(n);
  while (frame >= index_[size_t(block)].frameCount) {
    // A frame number past the block's count means frame 0 of the next block.
    ++block;
    frame = 0;
    if (block >= blockCount_) return readFailed("frame address past the end");
  }
  file_.seek(uint64_t(index_[size_t(block)].offset) + blockHeaderSize());
  for (uint32_t i = 0; i <= frame; ++i)
    if (!readRecordAt(packet, block, i, i < frame)) return false;
  return delivered(packet, block, frame);
}

bool RecordingReader::readRecordAt(FramePacket& packet, int block, uint32_t frame, bool skipOnly) {
  const bool ok = formatVersion == 8 ? readFormat8Record(packet, skipOnly) : readRecord(packet);
  if (!ok)
    error_ = "block " + std::to_string(block) + " frame " + std::to_string(frame) + ": " + error_;
  return ok;
}

// The frame address goes into the packet and the cursor moves to the frame after it.
bool RecordingReader::delivered(FramePacket& packet, int block, uint32_t frame) {
  packet.block = block;
  packet.frameInBlock = int32_t(frame);
  cursorPosition_ = file_.position();
  cursorBlock_ = block;
  cursorFrame_ = frame + 1;
  return true;
}

}  // namespace kd
