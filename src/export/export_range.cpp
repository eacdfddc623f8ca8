#include "export/export_range.h"

#include <optional>

#include "catalog/search_settings.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

bool parseAddress(const std::string& text, int64_t& block, int64_t& frame) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  auto number = [](const std::string& digits, int64_t& value) {
    if (digits.size() > 10) return false;
    value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return value <= 0x7FFFFFFF;
  };
  return number(text.substr(0, colon), block) && number(text.substr(colon + 1), frame);
}

std::string addressText(const ExportPoint& p) {
  return std::to_string(p.block) + ":" + std::to_string(p.frame);
}

// The frame number of an address, or nullopt when the recording has no such frame.
std::optional<uint32_t> numberOf(const RecordingReader& reader, const ExportPoint& p) {
  if (p.block >= reader.blockCount() || uint64_t(p.frame) >= reader.framesInBlock(int(p.block)))
    return std::nullopt;
  return reader.frameNumber(int(p.block), int(p.frame));
}

int blockOf(const RecordingReader& reader, uint32_t number) {
  int block = 0;
  while (block + 1 < reader.blockCount() && reader.framesBefore(block + 1) <= number) ++block;
  return block;
}

}  // namespace

bool parseExportPoint(const std::string& text, ExportPoint& out) {
  ExportPoint p;
  if (parseAddress(text, p.block, p.frame)) {
    p.kind = ExportPoint::Kind::Address;
  } else if (parseLocalMoment(text, p.seconds)) {
    p.kind = ExportPoint::Kind::Time;
  } else {
    return false;
  }
  out = p;
  return true;
}

bool resolveFrameRange(RecordingReader& reader, const ExportPoint& from, const ExportPoint& to,
                       FrameRange& range, std::string& reason) {
  const uint32_t total = reader.frameCount();
  if (total == 0) {
    reason = "the recording has no frames";
    return false;
  }
  int64_t first = 0, last = int64_t(total) - 1;
  for (const ExportPoint* p : {&from, &to}) {
    if (p->kind != ExportPoint::Kind::Address) continue;
    const auto number = numberOf(reader, *p);
    if (!number) {
      reason = "no frame " + addressText(*p);
      return false;
    }
    (p == &from ? first : last) = *number;
  }
  if (from.kind == ExportPoint::Kind::Time || to.kind == ExportPoint::Kind::Time) {
    // Stamps need not grow, so every record is looked at: the first at or after `from`, the last
    // not past `to`'s second.
    int64_t firstAtTime = -1, lastAtTime = -1;
    // The same payload room as the decoding packets, so both read the same records.
    FramePacket packet(uint32_t(reader.pictureWidth()) * uint32_t(reader.pictureHeight()) * 2,
                       PictureFrame::kAudioCapacity);
    for (uint32_t n = 0; reader.readFrame(packet, n == 0 ? 0 : -1, 0); ++n) {
      const int64_t seconds = reader.secondsAt(packet.timeStamp);
      if (firstAtTime < 0 && seconds >= from.seconds) firstAtTime = n;
      if (seconds <= to.seconds) lastAtTime = n;
    }
    if (from.kind == ExportPoint::Kind::Time) first = firstAtTime;
    if (to.kind == ExportPoint::Kind::Time) last = lastAtTime;
    if (first < 0) {
      reason = "no frame at or after the start time";
      return false;
    }
    if (last < 0) {
      reason = "no frame up to the end time";
      return false;
    }
  }
  if (last < first) {
    reason = "the range holds no frame";
    return false;
  }
  range.first = uint32_t(first);
  range.last = uint32_t(last);
  range.firstBlock = blockOf(reader, range.first);
  return true;
}

}  // namespace kd
