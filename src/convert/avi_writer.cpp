#include "convert/avi_writer.h"

#include <algorithm>

#include "recording/byte_order.h"

namespace kd {

namespace {

constexpr uint32_t kHasIndex = 0x10;      // avih flags: idx1 present
constexpr uint32_t kKeyFrame = 0x10;      // idx1 flags
constexpr uint32_t kNotKey = 0x80000000;  // standard index: size bit 31
constexpr uint32_t kIndexOfIndexes = 0, kIndexOfChunks = 1;
constexpr size_t kSuperIndexBytes = 24 + 16 * size_t(AviWriter::kMaxSegments);
constexpr size_t kOdmlBytes = 4 + 8 + 248;  // "odml", then the dmlh chunk

// Little-endian composition of header bytes, with RIFF's four-character codes.
struct Bytes : ByteComposer {
  void fourcc(const std::string& s) {
    for (size_t i = 0; i < 4; ++i) u8(i < s.size() ? uint8_t(s[i]) : 0);
  }
};

uint32_t fourccValue(const std::string& s) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= uint32_t(i < s.size() ? uint8_t(s[i]) : 0) << (8 * i);
  return value;
}

std::string twoDigits(size_t n) {
  return std::string(1, char('0' + n / 10)) + char('0' + n % 10);
}

}  // namespace

AviWriter::AviWriter(uint64_t segmentBytes) : segmentBytes_(segmentBytes) {}

AviWriter::~AviWriter() {
  abandon();
}

bool AviWriter::fail(const std::string& reason) {
  if (error_.empty()) error_ = reason;
  return false;
}

bool AviWriter::open(const std::string& path, const AviFileSetup& file,
                     const std::vector<AviStreamSetup>& streams) {
  error_.clear();
  if (streams.empty() || streams.size() > 99) return fail("an AVI file holds 1 to 99 streams");
  file_ = file;
  streams_.clear();
  segments_.clear();
  entries_.clear();
  extended_ = false;
  for (size_t i = 0; i < streams.size(); ++i) {
    StreamState s;
    s.setup = streams[i];
    s.chunkId = fourccValue(twoDigits(i) + s.setup.chunkKind);
    streams_.push_back(std::move(s));
  }
  if (!out_.create(path)) return fail(out_.error());
  open_ = true;
  return writeHeaders(file) && beginSegment();
}

bool AviWriter::writeHeaders(const AviFileSetup& file) {
  Bytes h;
  h.fourcc("RIFF");
  h.u32(0);  // patched when the segment ends
  h.fourcc("AVI ");
  h.fourcc("LIST");
  const size_t hdrlSizeAt = h.bytes.size();
  h.u32(0);
  h.fourcc("hdrl");
  h.fourcc("avih");
  h.u32(56);
  avihAt_ = h.bytes.size();
  h.u32(file.microsPerFrame);
  h.u32(0);  // max bytes per second, filled in at the end
  h.u32(0);  // padding granularity
  h.u32(kHasIndex);
  h.u32(0);  // total frames, filled in at the end
  h.u32(0);  // initial frames
  h.u32(uint32_t(streams_.size()));
  h.u32(0);  // suggested buffer, filled in at the end
  h.u32(file.width);
  h.u32(file.height);
  h.zeros(16);
  for (StreamState& s : streams_) {
    const AviStreamSetup& setup = s.setup;
    const size_t formatBytes = setup.format.size() + (setup.format.size() & 1);
    h.fourcc("LIST");
    h.u32(uint32_t(4 + 8 + 56 + 8 + formatBytes + 8 + kSuperIndexBytes));
    h.fourcc("strl");
    h.fourcc("strh");
    h.u32(56);
    s.strhAt = h.bytes.size();
    h.fourcc(setup.type);
    h.fourcc(setup.handler);
    h.u32(0);  // flags
    h.u16(0);  // priority
    h.u16(0);  // language
    h.u32(setup.initialFrames);
    h.u32(setup.scale);
    h.u32(setup.rate);
    h.u32(0);  // start
    h.u32(0);  // length, filled in at the end
    h.u32(setup.suggestedBuffer);
    h.u32(0xFFFFFFFF);  // quality: the default
    h.u32(setup.sampleSize);
    h.u16(uint16_t(setup.left));
    h.u16(uint16_t(setup.top));
    h.u16(uint16_t(setup.right));
    h.u16(uint16_t(setup.bottom));
    h.fourcc("strf");
    h.u32(uint32_t(setup.format.size()));
    h.bytes.insert(h.bytes.end(), setup.format.begin(), setup.format.end());
    h.zeros(setup.format.size() & 1);
    // Room for the super index, which only a file past its first segment needs.
    s.indxAt = h.bytes.size();
    h.fourcc("JUNK");
    h.u32(uint32_t(kSuperIndexBytes));
    h.zeros(kSuperIndexBytes);
  }
  odmlAt_ = h.bytes.size();
  h.fourcc("JUNK");
  h.u32(uint32_t(kOdmlBytes));
  h.zeros(kOdmlBytes);
  const uint32_t hdrlSize = uint32_t(h.bytes.size() - hdrlSizeAt - 4);
  put32(&h.bytes[hdrlSizeAt], hdrlSize);
  return out_.append(h.bytes.data(), h.bytes.size()) || fail(out_.error());
}

bool AviWriter::beginSegment() {
  if (segments_.size() >= kMaxSegments)
    return fail("the AVI file would need more than " + std::to_string(kMaxSegments) +
                " segments of " + std::to_string(segmentBytes_ >> 20) + " MiB");
  Bytes h;
  const uint64_t riffAt = segments_.empty() ? 0 : out_.position();
  if (!segments_.empty()) {
    h.fourcc("RIFF");
    h.u32(0);
    h.fourcc("AVIX");
  }
  const uint64_t moviAt = out_.position() + h.bytes.size();
  h.fourcc("LIST");
  h.u32(0);
  h.fourcc("movi");
  segments_.push_back({riffAt, moviAt});
  return out_.append(h.bytes.data(), h.bytes.size()) || fail(out_.error());
}

bool AviWriter::write(int stream, const void* data, uint32_t size, bool key) {
  if (!open_) return fail("the AVI file is not open");
  if (stream < 0 || size_t(stream) >= streams_.size()) return fail("no such stream");
  const uint64_t chunkBytes = 8 + uint64_t(size) + (size & 1);
  if (!entries_.empty() && out_.position() + chunkBytes - segments_.back().riffAt > segmentBytes_) {
    extended_ = true;
    if (!endSegment() || !beginSegment()) return false;
  }
  StreamState& s = streams_[size_t(stream)];
  uint8_t header[8];
  put32(header, s.chunkId);
  put32(header + 4, size);
  const uint64_t dataAt = out_.position() + 8;
  static const uint8_t pad = 0;
  if (!out_.append(header, 8) || (size > 0 && !out_.append(data, size)) ||
      ((size & 1) && !out_.append(&pad, 1)))
    return fail(out_.error());
  entries_.push_back(
      {uint32_t(dataAt - segments_.back().riffAt), size, uint8_t(stream), key && size > 0});
  ++s.chunks;
  s.bytes += size;
  s.largest = std::max(s.largest, size);
  if (segments_.size() == 1) ++s.firstSegmentChunks;
  return true;
}

bool AviWriter::endSegment() {
  const Segment& segment = segments_.back();
  if (extended_ && !writeStandardIndexes()) return false;
  if (!patchSizes(segment.moviAt)) return false;
  if (segments_.size() == 1 && !writeIdx1()) return false;
  entries_.clear();
  return patchSizes(segment.riffAt);
}

// One "ix##" chunk per stream with chunks in this segment, inside its movi list.
bool AviWriter::writeStandardIndexes() {
  const Segment& segment = segments_.back();
  for (size_t k = 0; k < streams_.size(); ++k) {
    StreamState& s = streams_[k];
    Bytes ix;
    uint32_t count = 0;
    uint64_t duration = 0;
    for (const Entry& e : entries_) {
      if (e.stream != k) continue;
      ix.u32(e.offset);
      ix.u32(e.size | (e.key ? 0 : kNotKey));
      ++count;
      duration += s.setup.sampleSize ? e.size / s.setup.sampleSize : 1;
    }
    if (count == 0) continue;
    Bytes h;
    h.fourcc("ix" + twoDigits(k));
    h.u32(uint32_t(24 + ix.bytes.size()));
    h.u16(2);
    h.u8(0);
    h.u8(kIndexOfChunks);
    h.u32(count);
    h.u32(s.chunkId);
    h.u64(segment.riffAt);
    h.u32(0);
    const uint64_t at = out_.position();
    if (!out_.append(h.bytes.data(), h.bytes.size()) ||
        !out_.append(ix.bytes.data(), ix.bytes.size()))
      return fail(out_.error());
    s.superIndex.push_back({at, uint32_t(h.bytes.size() + ix.bytes.size()), uint32_t(duration)});
  }
  return true;
}

bool AviWriter::writeIdx1() {
  const Segment& segment = segments_.front();
  Bytes h;
  h.fourcc("idx1");
  h.u32(uint32_t(16 * entries_.size()));
  // Offsets count from the "movi" type, as most readers expect.
  const uint64_t base = segment.moviAt + 8;
  for (const Entry& e : entries_) {
    h.u32(streams_[e.stream].chunkId);
    h.u32(e.key ? kKeyFrame : 0);
    h.u32(uint32_t(segment.riffAt + e.offset - 8 - base));
    h.u32(e.size);
  }
  return out_.append(h.bytes.data(), h.bytes.size()) || fail(out_.error());
}

// A RIFF or LIST header at `listAt` gets the size of everything after it up to the end.
bool AviWriter::patchSizes(uint64_t listAt) {
  const uint64_t size = out_.position() - listAt - 8;
  if (size > 0xFFFFFFFFu) return fail("a RIFF list grew past 4 GiB");
  uint8_t b[4];
  put32(b, uint32_t(size));
  return out_.patch(listAt + 4, b, 4) || fail(out_.error());
}

uint32_t AviWriter::streamLength(const StreamState& s) const {
  return uint32_t(s.setup.sampleSize ? s.bytes / s.setup.sampleSize : s.chunks);
}

bool AviWriter::fillHeaders() {
  uint32_t largest = 0;
  uint64_t totalBytes = 0;
  for (const StreamState& s : streams_) {
    largest = std::max(largest, s.largest);
    totalBytes += s.bytes;
  }
  const StreamState& video = streams_.front();
  const double seconds =
      video.setup.rate ? double(video.chunks) * video.setup.scale / video.setup.rate : 0.0;
  Bytes avih;
  avih.u32(seconds > 0 ? uint32_t(std::min(double(totalBytes) / seconds, 4294967295.0)) : 0);
  if (!out_.patch(avihAt_ + 4, avih.bytes.data(), 4)) return fail(out_.error());
  Bytes frames;
  frames.u32(uint32_t(extended_ ? video.firstSegmentChunks : video.chunks));
  if (!out_.patch(avihAt_ + 16, frames.bytes.data(), 4)) return fail(out_.error());
  Bytes buffer;
  buffer.u32(largest + 8);
  if (!out_.patch(avihAt_ + 28, buffer.bytes.data(), 4)) return fail(out_.error());

  for (const StreamState& s : streams_) {
    Bytes length;
    length.u32(streamLength(s));
    if (!out_.patch(s.strhAt + 32, length.bytes.data(), 4)) return fail(out_.error());
    if (!extended_) continue;
    Bytes indx;
    indx.fourcc("indx");
    indx.u32(uint32_t(kSuperIndexBytes));
    indx.u16(4);
    indx.u8(0);
    indx.u8(kIndexOfIndexes);
    indx.u32(uint32_t(s.superIndex.size()));
    indx.u32(s.chunkId);
    indx.zeros(12);
    for (const auto& e : s.superIndex) {
      indx.u64(e.offset);
      indx.u32(e.size);
      indx.u32(e.duration);
    }
    indx.zeros(kSuperIndexBytes + 8 - indx.bytes.size());
    if (!out_.patch(s.indxAt, indx.bytes.data(), indx.bytes.size())) return fail(out_.error());
  }
  if (extended_) {
    Bytes odml;
    odml.fourcc("LIST");
    odml.u32(uint32_t(kOdmlBytes));
    odml.fourcc("odml");
    odml.fourcc("dmlh");
    odml.u32(248);
    odml.u32(uint32_t(video.chunks));
    odml.zeros(244);
    if (!out_.patch(odmlAt_, odml.bytes.data(), odml.bytes.size())) return fail(out_.error());
  }
  return true;
}

bool AviWriter::finish() {
  if (!open_) return fail("the AVI file is not open");
  const bool ok = endSegment() && fillHeaders();
  open_ = false;
  const bool closed = out_.close();
  if (ok && !closed) return fail(out_.error());
  return ok;
}

void AviWriter::abandon() {
  if (!open_) return;
  open_ = false;
  out_.close();
}

}  // namespace kd
