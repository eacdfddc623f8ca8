// Clip writing. Block bodies are copied byte for byte from the source file through a handle of
// our own, so the reader's position is never disturbed; only block links, times and the header
// change. Records are sized from their own headers, never cut to a fixed packet size.
#include "recording/clip_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/file.h"
#include "recording/byte_order.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr size_t kCopyChunk = 1 << 20;  // large reads and writes: copying runs at the disk's pace

class ClipJob {
 public:
  ClipJob(RecordingReader& reader, File& src, File& out, uint64_t srcSize,
          const ClipProgress& control, uint64_t total)
      : r_(reader), src_(src), out_(out), srcSize_(srcSize), control_(control), total_(total) {}

  bool runFormat8(int first, int last, uint32_t lastFrames);
  bool runOther(int first, int last, uint32_t lastFrames, int gmtOffsetHours);
  std::string error;

 private:
  bool fail(const std::string& why) {
    if (error.empty()) error = why;
    return false;
  }
  bool readAt(uint64_t pos, void* buf, size_t n, const char* what);
  bool copy(uint64_t from, uint64_t n);
  bool writeAt(uint64_t pos, const void* buf, size_t n);
  // One record at `pos` in the source: its whole size and time stamp.
  bool measureRecord(uint64_t pos, uint32_t& size, uint32_t& stamp);
  bool blockBodySize(int block, uint64_t& size);
  bool writeBlockHeader(uint32_t prev, uint32_t next, uint32_t count, uint32_t stamp);
  bool rewriteNext(uint64_t headerPos, uint32_t next);
  bool convertLongRecord(uint64_t pos, uint32_t& consumed, uint32_t& stamp);
  bool configurationFrame(std::vector<uint8_t>& record);

  RecordingReader& r_;
  File& src_;
  File& out_;
  uint64_t srcSize_;
  const ClipProgress& control_;
  uint64_t total_;
  uint64_t copied_ = 0;
};

bool ClipJob::readAt(uint64_t pos, void* buf, size_t n, const char* what) {
  if (pos + n > srcSize_ || !src_.seek(pos) || !src_.readExact(buf, n))
    return fail(std::string(what) + " at offset " + std::to_string(pos) + " is cut short");
  return true;
}

bool ClipJob::copy(uint64_t from, uint64_t n) {
  if (from + n > srcSize_)
    return fail("data at offset " + std::to_string(from) + " runs past the end of the file");
  if (!src_.seek(from)) return fail("cannot seek the source: " + src_.lastError());
  std::vector<uint8_t> buf(std::min<uint64_t>(n, kCopyChunk));
  while (n > 0) {
    const size_t k = size_t(std::min<uint64_t>(n, buf.size()));
    if (!src_.readExact(buf.data(), k)) return fail("source cut short at " + std::to_string(from));
    if (!out_.write(buf.data(), k)) return fail("cannot write the clip: " + out_.lastError());
    n -= k;
    from += k;
    copied_ += k;
    if (control_.progress) control_.progress(copied_, std::max(total_, copied_));
    if (control_.stop && control_.stop->load()) return fail("stopped");
  }
  return true;
}

bool ClipJob::writeAt(uint64_t pos, const void* buf, size_t n) {
  const uint64_t back = out_.position();
  if (!out_.seek(pos) || !out_.write(buf, n) || !out_.seek(back))
    return fail("cannot write the clip: " + out_.lastError());
  return true;
}

bool ClipJob::measureRecord(uint64_t pos, uint32_t& size, uint32_t& stamp) {
  uint8_t h[64];
  uint64_t total;
  if (r_.formatVersion == 8) {
    if (!readAt(pos, h, 64, "record header")) return false;
    if (le32(h) != RecordingReader::kRecordTag)
      return fail("record at offset " + std::to_string(pos) + " has a bad tag");
    total = 64;
    for (int i = 0; i < 8; ++i) total += le32(h + 32 + 4 * i);
    stamp = le32(h + 4);
  } else if (r_.formatVersion == 7) {
    if (!readAt(pos, h, 20, "record header")) return false;
    total = 20 + uint64_t(le32(h + 8)) + le32(h + 12);
    stamp = le32(h + 4);
  } else {
    if (!readAt(pos, h, 12, "record header")) return false;
    total = 12 + uint64_t(le32(h + 8));
    if (le16(h + 2) & frame_flags::kAudio) {
      if (!readAt(pos + 12, h + 12, 4, "record header")) return false;
      total += 4 + uint64_t(le32(h + 12));
    }
    stamp = le32(h + 4);
  }
  if (pos + total > srcSize_)
    return fail("record at offset " + std::to_string(pos) + " runs past the end of the file");
  size = uint32_t(total);
  return true;
}

// The bytes of a block after its header: up to the next block, or to the end of the file.
bool ClipJob::blockBodySize(int block, uint64_t& size) {
  const uint64_t start = uint64_t(r_.blockOffset(block)) + r_.blockHeaderSize();
  const uint64_t end = block + 1 < r_.blockCount() ? r_.blockOffset(block + 1) : srcSize_;
  if (end < start) return fail("block " + std::to_string(block) + " overlaps the next block");
  size = end - start;
  return true;
}

bool ClipJob::writeBlockHeader(uint32_t prev, uint32_t next, uint32_t count, uint32_t stamp) {
  uint8_t h[16] = {};
  put32(h, prev);
  put32(h + 4, next);
  put16(h + 8, uint16_t(count));
  if (r_.formatVersion == 7) {
    put32(h + 10, stamp);
    if (!out_.write(h, 14)) return fail("cannot write the clip: " + out_.lastError());
  } else {
    put32(h + 12, stamp);
    if (!out_.write(h, 16)) return fail("cannot write the clip: " + out_.lastError());
  }
  return true;
}

bool ClipJob::rewriteNext(uint64_t headerPos, uint32_t next) {
  uint8_t b[4];
  put32(b, next);
  return writeAt(headerPos + 4, b, 4);
}

// A long format 3 record (layout B) at `pos`, written as layout A.
bool ClipJob::convertLongRecord(uint64_t pos, uint32_t& consumed, uint32_t& stamp) {
  uint8_t h[32];
  if (!readAt(pos, h, 32, "record header")) return false;
  if (le32(h) != RecordingReader::kRecordTag)
    return fail("record at offset " + std::to_string(pos) + " has a bad tag");
  const uint32_t word = le32(h + 8);
  const uint64_t video = le32(h + 12);
  const uint64_t audio = uint64_t(le32(h + 16)) + le32(h + 20);
  if (pos + 32 + video + audio > srcSize_)
    return fail("record at offset " + std::to_string(pos) + " runs past the end of the file");
  FramePacket packet(uint32_t(std::max<uint64_t>(video, 1)),
                     uint32_t(std::max<uint64_t>(audio, 1)));
  if (video && !readAt(pos + 32, packet.video(), video, "video payload")) return false;
  if (audio && !readAt(pos + 32 + video, packet.audio(), audio, "audio payload")) return false;
  stamp = le32(h + 4);
  packet.timeStamp = stamp;
  packet.kind = uint16_t(word & 0xFF);
  packet.flags = uint16_t(((word >> 20) & 0xF) << 4);
  if (audio) packet.flags |= frame_flags::kAudio;
  if (word & (1u << 16)) packet.flags |= 0x0001;
  if (word & (1u << 17)) packet.flags |= 0x0002;
  packet.videoSize = uint32_t(video);
  packet.audioSize = uint32_t(audio);
  if (RecordingReader::writeRecord(out_, packet, false) == 0)
    return fail("cannot write the clip: " + out_.lastError());
  consumed = uint32_t(32 + video + audio);
  return true;
}

// The file's first record when it is a configuration frame (header flags bit 8): its video
// payload's first 32-bit value v points at the marker 200 or 206 at 4 + v.
bool ClipJob::configurationFrame(std::vector<uint8_t>& record) {
  record.clear();
  if (!(r_.flags & 0x100) || r_.formatVersion == 7) return true;
  const uint64_t pos = uint64_t(r_.dataOffset) + 16;
  uint32_t size, stamp;
  if (pos >= srcSize_ || !measureRecord(pos, size, stamp)) {
    error.clear();
    return true;  // no readable first record: nothing to carry over
  }
  uint8_t h[16];
  if (!readAt(pos, h, 12, "record header")) return false;
  const uint32_t headerSize = (le16(h + 2) & frame_flags::kAudio) ? 16 : 12;
  const uint32_t videoSize = le32(h + 8);
  std::vector<uint8_t> bytes(size);
  if (!readAt(pos, bytes.data(), size, "configuration frame")) return false;
  if (videoSize < 4) return true;
  const uint8_t* video = bytes.data() + headerSize;
  const uint64_t at = 4 + uint64_t(le32(video));
  if (at + 4 > videoSize) return true;  // the marker would lie outside the payload
  const uint32_t marker = le32(video + at);
  if (marker == 200 || marker == 206) record = std::move(bytes);
  return true;
}

bool ClipJob::runFormat8(int first, int last, uint32_t lastFrames) {
  if (r_.rawHeader.size() < 852) return fail("the format 8 header is missing");
  const auto& raw = r_.format8BlockHeaders();
  if (int(raw.size()) <= last) return fail("the block index is incomplete");
  std::vector<uint8_t> header(r_.rawHeader.begin(), r_.rawHeader.begin() + 852);
  const uint32_t base = le32(&raw[first][20]);
  const int64_t s = r_.secondsAt(base);
  put32(&header[24], uint32_t(s));
  put32(&header[28], uint32_t(s));
  put32(&header[40], base);
  put32(&header[8], 852);
  if (!out_.write(header.data(), 852)) return fail("cannot write the clip: " + out_.lastError());
  uint32_t prev = kNone;
  uint32_t lastStamp = le32(&raw[last][20]);
  for (int b = first; b < last; ++b) {
    std::array<uint8_t, 32> h = raw[b];
    uint64_t body;
    if (!blockBodySize(b, body)) return false;
    const uint32_t p = uint32_t(out_.position());
    put32(&h[4], p);
    put32(&h[8], prev);
    put32(&h[12], uint32_t(p + 32 + body));
    if (!out_.write(h.data(), 32)) return fail("cannot write the clip: " + out_.lastError());
    if (!copy(uint64_t(r_.blockOffset(b)) + 32, body)) return false;
    prev = p;
  }
  std::array<uint8_t, 32> h = raw[last];
  const uint32_t n = std::min(le32(&h[16]), lastFrames);
  const uint32_t p = uint32_t(out_.position());
  put32(&h[4], p);
  put32(&h[8], prev);
  put32(&h[16], n);
  if (!out_.write(h.data(), 32)) return fail("cannot write the clip: " + out_.lastError());
  uint64_t pos = uint64_t(r_.blockOffset(last)) + 32;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t size;
    if (!measureRecord(pos, size, lastStamp) || !copy(pos, size)) return false;
    pos += size;
  }
  const uint32_t end = uint32_t(out_.position());
  uint8_t next[4];
  put32(next, n == 0 ? kNone : end);
  if (!writeAt(p + 12, next, 4)) return false;
  if (n > 0) {
    std::array<uint8_t, 32> t{};
    put32(&t[0], RecordingReader::kBlockTag);
    put32(&t[4], end);
    put32(&t[8], p);
    put32(&t[12], kNone);
    put32(&t[16], 0);
    put32(&t[20], lastStamp);
    if (!out_.write(t.data(), 32)) return fail("cannot write the clip: " + out_.lastError());
  }
  RecordingInfo patched;
  patched.startTime = int32_t(s);
  patched.timeBase = base;
  put32(&header[28], uint32_t(patched.secondsAt(lastStamp)));
  return writeAt(0, header.data(), 852);
}

bool ClipJob::runOther(int first, int last, uint32_t lastFrames, int gmtOffsetHours) {
  RecordingInfo info;
  info.copyFrom(r_);
  const bool longSource = r_.isLongVariant();
  if (longSource) info.signature[0] = ' ';  // written as the short variant
  info.rawHeader.clear();
  info.setClipFlag(true);
  const uint32_t base = r_.blockTimeStamp(first);
  info.timeBase = base;
  info.startTime = int32_t(r_.secondsAt(base));
  info.gmtOffset = gmtOffsetHours;
  info.endTime = info.startTime;
  if (info.write(out_) == 0) return fail("cannot write the clip header: " + out_.lastError());
  const uint32_t srcHeader = r_.blockHeaderSize();
  std::vector<uint8_t> config;
  if (!longSource && !configurationFrame(config)) return false;
  uint32_t prev = kNone;
  uint32_t h = base;
  for (int b = first; b < last; ++b) {
    const uint64_t t = out_.position();
    const uint64_t bodyStart = uint64_t(r_.blockOffset(b)) + srcHeader;
    uint64_t body;
    if (!blockBodySize(b, body)) return false;
    const uint32_t count = r_.framesInBlock(b);
    if (longSource) {
      if (!writeBlockHeader(prev, kNone, count, r_.blockTimeStamp(b))) return false;
      uint64_t pos = bodyStart;
      for (uint32_t i = 0; i < count && pos < bodyStart + body; ++i) {
        uint32_t used, stamp;
        if (!convertLongRecord(pos, used, stamp)) return false;
        pos += used;
      }
      if (!rewriteNext(t, uint32_t(out_.position()))) return false;
    } else {
      const bool withConfig = b == first && !config.empty();
      const uint64_t extra = withConfig ? config.size() : 0;
      const uint32_t next = uint32_t(t + (r_.formatVersion == 7 ? 14 : 16) + body + extra);
      if (!writeBlockHeader(prev, next, count + (withConfig ? 1 : 0), r_.blockTimeStamp(b)))
        return false;
      if (withConfig) {
        put32(config.data() + 4, r_.blockTimeStamp(b));
        if (!out_.write(config.data(), config.size()))
          return fail("cannot write the clip: " + out_.lastError());
      }
      if (!copy(bodyStart, body)) return false;
    }
    prev = uint32_t(t);
  }
  const uint64_t t = out_.position();
  const uint32_t n = std::min(r_.framesInBlock(last), lastFrames);
  // With no frame taken from the last block, the clip ends where that block begins.
  h = r_.blockTimeStamp(last);
  if (!writeBlockHeader(prev, kNone, n, h)) return false;
  uint64_t pos = uint64_t(r_.blockOffset(last)) + srcHeader;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t size;
    if (longSource) {
      if (!convertLongRecord(pos, size, h)) return false;
    } else if (!measureRecord(pos, size, h) || !copy(pos, size)) {
      return false;
    }
    pos += size;
  }
  if (!rewriteNext(t, n == 0 ? kNone : uint32_t(out_.position()))) return false;
  if (n > 0 && !writeBlockHeader(uint32_t(t), kNone, 0, h)) return false;
  info.endTime = int32_t(int64_t(info.startTime) + int64_t(uint32_t(h - base) / 1000));
  const uint64_t end = out_.position();
  if (!out_.seek(0) || info.write(out_) == 0 || !out_.seek(end))
    return fail("cannot rewrite the clip header: " + out_.lastError());
  return true;
}

}  // namespace

bool writeClip(RecordingReader& reader, const std::string& path, int first, int last,
               uint32_t lastFrames, int gmtOffsetHours, std::string& error,
               const ClipProgress& control) {
  error.clear();
  if (!reader.isOpen()) return error = "the recording is not open", false;
  if (path.empty()) return error = "no clip file name", false;
  const int blocks = reader.blockCount();
  if (first < 0 || first >= blocks)
    return error = "first block " + std::to_string(first) + " is past the last block", false;
  if (last < first) return error = "the last block comes before the first", false;
  if (last >= blocks) {
    last = blocks - 1;
    lastFrames = 0;
  }
  if (first == last && lastFrames == 0) return error = "the clip range is empty", false;

  struct stat source, target;
  if (::stat(reader.path.c_str(), &source) != 0)
    return error = "cannot find the source file", false;
  if (::stat(path.c_str(), &target) == 0 && source.st_dev == target.st_dev &&
      source.st_ino == target.st_ino)
    return error = "the clip would overwrite its own source", false;

  File src;
  if (!src.open(reader.path, File::Mode::Read))
    return error = "cannot open the source: " + src.lastError(), false;
  const std::string temporary = path + ".part" + std::to_string(::getpid());
  File out;
  if (!out.open(temporary, File::Mode::Create))
    return error = "cannot create " + temporary + ": " + out.lastError(), false;
  // The bytes of the blocks' bodies, the last block counted whole: enough for a progress bar.
  const uint64_t lastEnd =
      last + 1 < blocks ? uint64_t(reader.blockOffset(last + 1)) : uint64_t(src.length());
  const uint64_t from = reader.blockOffset(first);
  const uint64_t headers = uint64_t(last - first + 1) * reader.blockHeaderSize();
  const uint64_t total = lastEnd > from + headers ? lastEnd - from - headers : 0;
  ClipJob job(reader, src, out, src.length(), control, total);
  const bool ok = reader.formatVersion == 8 ? job.runFormat8(first, last, lastFrames)
                                            : job.runOther(first, last, lastFrames, gmtOffsetHours);
  out.close();
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = ok ? "cannot rename the clip into place" : job.error;
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace kd
