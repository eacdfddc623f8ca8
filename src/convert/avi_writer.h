#pragma once
// Our RIFF/AVI writer: an AVI 1.0 file with an idx1 index while the file stays within one RIFF
// segment, and OpenDML (AVIX segments, standard indexes "ix##" and the super index "indx" of
// each stream, "dmlh") once the data passes the segment size, so long recordings convert.
// The space for the OpenDML headers is reserved as JUNK at open and filled only when needed.
#include <cstdint>
#include <string>
#include <vector>

#include "convert/buffered_output.h"

namespace kd {

struct AviStreamSetup {
  std::string type;       // four characters: "vids", "auds", "txts"
  std::string handler;    // four characters; empty for none
  std::string chunkKind;  // two characters after the stream number: "db", "dc", "wb", "tx"
  uint32_t scale = 1;
  uint32_t rate = 1;
  uint32_t initialFrames = 0;
  uint32_t suggestedBuffer = 0;
  uint32_t sampleSize = 0;  // 0: one sample per chunk; otherwise bytes per sample
  int16_t left = 0, top = 0, right = 0, bottom = 0;
  std::vector<uint8_t> format;  // the "strf" body
};

struct AviFileSetup {
  uint32_t microsPerFrame = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

class AviWriter {
 public:
  static constexpr uint64_t kSegmentBytes = uint64_t(1) << 30;
  // Super index entries reserved per stream: 256 segments of 1 GiB.
  static constexpr uint32_t kMaxSegments = 256;

  // `segmentBytes`: the data a RIFF segment may hold before the next one starts (tests use
  // small segments to reach the OpenDML layout cheaply).
  explicit AviWriter(uint64_t segmentBytes = kSegmentBytes);
  ~AviWriter();
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;

  bool open(const std::string& path, const AviFileSetup& file,
            const std::vector<AviStreamSetup>& streams);
  // Appends one chunk of `stream`; a chunk of size 0 keeps a sample's place without data.
  bool write(int stream, const void* data, uint32_t size, bool key);
  // Writes the indexes and fills in the headers; the file is complete only after this.
  bool finish();
  // Closes without completing; the caller removes the file.
  void abandon();

  const std::string& error() const { return error_; }
  // Whether the file went past its first segment (OpenDML layout).
  bool extended() const { return extended_; }
  int segmentCount() const { return int(segments_.size()); }
  uint64_t bytesWritten() const { return out_.position(); }

 private:
  struct StreamState {
    AviStreamSetup setup;
    uint32_t chunkId = 0;
    uint64_t strhAt = 0;  // position of the strh body
    uint64_t indxAt = 0;  // position of the reserved super index chunk
    uint64_t chunks = 0;
    uint64_t bytes = 0;
    uint32_t largest = 0;
    uint32_t firstSegmentChunks = 0;
    struct SuperEntry {
      uint64_t offset;
      uint32_t size;
      uint32_t duration;
    };
    std::vector<SuperEntry> superIndex;
  };
  struct Entry {
    uint32_t offset;  // of the chunk's data, from the segment's RIFF header
    uint32_t size;
    uint8_t stream;
    bool key;
  };
  struct Segment {
    uint64_t riffAt;
    uint64_t moviAt;  // the movi LIST header
  };

  bool fail(const std::string& reason);
  bool writeHeaders(const AviFileSetup& file);
  bool beginSegment();
  bool endSegment();
  bool writeStandardIndexes();
  bool writeIdx1();
  bool patchSizes(uint64_t listAt);
  bool fillHeaders();
  uint32_t streamLength(const StreamState& s) const;

  uint64_t segmentBytes_;
  BufferedOutput out_;
  std::vector<StreamState> streams_;
  std::vector<Segment> segments_;
  std::vector<Entry> entries_;  // of the current segment
  uint64_t avihAt_ = 0;
  uint64_t odmlAt_ = 0;
  AviFileSetup file_;
  bool open_ = false;
  bool extended_ = false;
  std::string error_;
};

}  // namespace kd
