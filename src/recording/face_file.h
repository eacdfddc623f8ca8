#pragma once
// Face files ("FACE"): one camera's sequence of small grey face pictures with their times.
// Version 0 keeps raw samples in fixed-size records; version 1 keeps compressed pictures behind a
// two-level chain of 28-byte group records. This is the container only: version-1 payloads come
// out as stored, for the DCT codec's grey-picture calls to decode.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/file.h"

namespace kd {

struct FaceHeader {
  uint32_t version = 0;
  uint32_t dataOffset = 0;
  int width = 0;  // of every picture: the buffer a picture must fit
  int height = 0;
  uint8_t keyA = 0;        // low half of the source key (the card)
  uint8_t keyB = 0;        // high half (the camera)
  uint32_t firstTime = 0;  // seconds since 1970
  uint32_t lastTime = 0;   // version 0: the last record's time (0 without records)
  uint32_t count = 0;      // version 0: whole records in the file; version 1: as the header says
  std::string hostName;    // as stored (Big5)
  std::string cardName;
  std::string cameraName;

  uint32_t sourceKey() const { return uint32_t(keyB) << 16 | keyA; }
};

// One picture as stored.
struct FaceRecord {
  uint32_t time = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;  // version 0: width × height samples; version 1: the payload
};

class FaceFile {
 public:
  static constexpr size_t kPayloadBuffer = 32768;
  static constexpr size_t kGroupRecordSize = 28;
  static constexpr size_t kPictureHeaderSize = 16;
  static constexpr int kMaxSide = 4096;
  static constexpr uint32_t kMaxNameLength = 500;

  // Reads and checks the header (version 1: and the first groups). False with lastError().
  bool open(const std::string& path);
  void close();
  bool isOpen() const { return file_.isOpen(); }
  const FaceHeader& header() const { return header_; }
  const std::string& lastError() const { return error_; }

  // Picture `index`, or the next in sequence for −1. A failed read says which picture and why;
  // the file stays open and the next read walks the chain again from its start.
  bool read(int index, FaceRecord& record);
  // The index the next read of −1 gives.
  int position() const { return position_; }
  // Once a walk met the chain's end (or a loop, or a link outside the file): the first picture
  // past it. Reads from there on fail at once. INT32_MAX until then.
  int chainEnd() const { return chainEnd_; }

 private:
  struct Group {
    uint64_t at = 0;
    uint32_t next = 0;
    uint16_t count = 0;
  };

  bool readHeader();
  bool readName(std::string& name);
  bool fail(const std::string& reason);
  bool failPicture(int index, const std::string& reason);

  bool readRaw(int index, FaceRecord& record);
  bool restartChain();
  bool loadGroup(uint64_t at, Group& group);
  bool nextGroup();
  bool chainEnded(int firstUnreachable);
  bool seekToPicture(int index);
  bool readNextCompressed(FaceRecord& record);

  File file_;
  uint64_t length_ = 0;
  FaceHeader header_;
  std::string error_;
  int position_ = 0;
  int chainEnd_ = INT32_MAX;
  std::string chainError_;

  // Version 1: where the walk stands.
  bool walking_ = false;
  Group outer_;
  Group inner_;
  int readInGroup_ = 0;
  uint64_t at_ = 0;
  std::unordered_set<uint64_t> visited_;  // group records met on this walk: a repeat is a loop
};

}  // namespace kd
