#include "recording/face_file.h"

#include "recording/byte_order.h"

namespace kd {

namespace {

std::string offsetText(uint64_t at) {
  return "offset " + std::to_string(at);
}

}  // namespace

bool FaceFile::fail(const std::string& reason) {
  error_ = reason;
  return false;
}

bool FaceFile::failPicture(int index, const std::string& reason) {
  // The walk no longer stands where it thinks it does: the next read starts again.
  walking_ = false;
  return fail("picture " + std::to_string(index) + ": " + reason);
}

bool FaceFile::open(const std::string& path) {
  close();
  if (!file_.open(path, File::Mode::Read)) return fail(file_.lastError());
  length_ = file_.length();
  if (!readHeader()) {
    file_.close();
    return false;
  }
  return true;
}

void FaceFile::close() {
  file_.close();
  header_ = FaceHeader();
  position_ = 0;
  chainEnd_ = INT32_MAX;
  walking_ = false;
  visited_.clear();
}

bool FaceFile::readName(std::string& name) {
  uint8_t field[4];
  if (!file_.readExact(field, 4)) return fail("short header: a name's length is missing");
  const uint32_t n = le32(field);
  if (n > kMaxNameLength)
    return fail("damaged header: a name of " + std::to_string(n) + " bytes (at most " +
                std::to_string(kMaxNameLength) + ")");
  name.assign(n, '\0');
  if (n && !file_.readExact(name.data(), n)) return fail("short header: a name is cut off");
  return true;
}

bool FaceFile::readHeader() {
  uint8_t start[8];
  if (!file_.readExact(start, 8)) return fail("short header");
  if (std::string(reinterpret_cast<const char*>(start), 4) != "FACE")
    return fail("not a face file (no \"FACE\" signature)");
  FaceHeader& h = header_;
  h.version = le32(start + 4);
  uint8_t fixed[34];
  if (h.version == 0) {
    if (!file_.readExact(fixed, 22)) return fail("short header");
    h.dataOffset = le32(fixed);
    const uint32_t width = le32(fixed + 4), height = le32(fixed + 8);
    h.width = width > uint32_t(kMaxSide) ? -1 : int(width);
    h.height = height > uint32_t(kMaxSide) ? -1 : int(height);
    h.keyA = fixed[12];
    h.keyB = fixed[13];
    h.firstTime = le32(fixed + 14);
  } else if (h.version == 1) {
    if (!file_.readExact(fixed, 34)) return fail("short header");
    h.dataOffset = le32(fixed);
    h.firstTime = le32(fixed + 4);
    h.lastTime = le32(fixed + 8);
    h.count = le32(fixed + 16);
    const uint32_t width = le32(fixed + 24), height = le32(fixed + 28);
    h.width = width > uint32_t(kMaxSide) ? -1 : int(width);
    h.height = height > uint32_t(kMaxSide) ? -1 : int(height);
    h.keyA = fixed[32];
    h.keyB = fixed[33];
  } else {
    return fail("unsupported face file version " + std::to_string(h.version));
  }
  if (h.width < 0 || h.height < 0)
    return fail("damaged header: picture size beyond " + std::to_string(kMaxSide));
  if (!readName(h.hostName) || !readName(h.cardName) || !readName(h.cameraName)) return false;
  if (h.version == 1) return true;

  // Version 0: whole records after the data offset; the last one gives the last time.
  const uint64_t record = uint64_t(h.width) * uint64_t(h.height) + 4;
  if (h.width > 0 && h.height > 0 && length_ > h.dataOffset) {
    const uint64_t count = (length_ - h.dataOffset) / record;
    h.count = count > uint64_t(INT32_MAX) ? uint32_t(INT32_MAX) : uint32_t(count);
  }
  if (h.count > 0) {
    uint8_t time[4];
    if (!file_.seek(h.dataOffset + uint64_t(h.count - 1) * record) || !file_.readExact(time, 4))
      return fail("the last picture record cannot be read");
    h.lastTime = le32(time);
  }
  return true;
}

bool FaceFile::read(int index, FaceRecord& record) {
  if (!isOpen()) return fail("the face file is not open");
  if (index < 0) index = position_;
  if (uint32_t(index) >= header_.count)
    return fail("picture " + std::to_string(index) + " is past the file's " +
                std::to_string(header_.count) + " pictures");
  if (header_.width <= 0 || header_.height <= 0)
    return failPicture(index, "the header gives no picture size");
  if (header_.version == 0) return readRaw(index, record);
  if (index >= chainEnd_) return failPicture(index, chainError_);
  if (!walking_ || index != position_) {
    if (!seekToPicture(index)) return false;
  }
  return readNextCompressed(record);
}

bool FaceFile::readRaw(int index, FaceRecord& record) {
  const size_t samples = size_t(header_.width) * size_t(header_.height);
  const uint64_t at = header_.dataOffset + uint64_t(index) * (samples + 4);
  uint8_t time[4];
  record.bytes.resize(samples);
  if (!file_.seek(at) || !file_.readExact(time, 4) ||
      !file_.readExact(record.bytes.data(), samples))
    return failPicture(index, "short read at " + offsetText(at));
  record.time = le32(time);
  record.width = header_.width;
  record.height = header_.height;
  position_ = index + 1;
  return true;
}

bool FaceFile::loadGroup(uint64_t at, Group& group) {
  // A chain that points outside the file or back to a record already met ends the walk.
  if (at < header_.dataOffset || at + kGroupRecordSize > length_)
    return fail("the group chain points outside the file (" + offsetText(at) + ")");
  if (!visited_.insert(at).second) return fail("the group chain loops back to " + offsetText(at));
  uint8_t bytes[kGroupRecordSize];
  if (!file_.seek(at) || !file_.readExact(bytes, kGroupRecordSize))
    return fail("short read of the group record at " + offsetText(at));
  group.at = at;
  group.next = le32(bytes + 12);
  group.count = le16(bytes + 24);
  return true;
}

bool FaceFile::restartChain() {
  walking_ = false;
  visited_.clear();
  const uint64_t start = header_.dataOffset;
  if (!loadGroup(start, outer_) || !loadGroup(start + kGroupRecordSize, inner_)) return false;
  if (outer_.count == 0) return fail("the file holds no groups");
  at_ = inner_.at + kGroupRecordSize;
  readInGroup_ = 0;
  position_ = 0;
  walking_ = true;
  return true;
}

bool FaceFile::nextGroup() {
  if (inner_.next != 0) {
    if (!loadGroup(inner_.next, inner_)) return false;
  } else if (outer_.next != 0) {
    if (!loadGroup(outer_.next, outer_)) return false;
    if (outer_.count == 0) return fail("the group chain ends");
    if (!loadGroup(outer_.at + kGroupRecordSize, inner_)) return false;
  } else {
    return fail("the group chain ends");
  }
  at_ = inner_.at + kGroupRecordSize;
  readInGroup_ = 0;
  return true;
}

bool FaceFile::chainEnded(int firstUnreachable) {
  chainEnd_ = firstUnreachable;
  chainError_ = error_;
  return false;
}

bool FaceFile::seekToPicture(int index) {
  if (!restartChain()) {
    chainEnded(0);
    return failPicture(index, error_);
  }
  int passed = 0;
  while (passed + int(inner_.count) <= index) {
    passed += inner_.count;
    if (!nextGroup()) {
      chainEnded(passed);
      return failPicture(index, error_);
    }
  }
  // Over the group's earlier pictures by their headers alone.
  for (int k = passed; k < index; ++k) {
    uint8_t head[kPictureHeaderSize];
    if (!file_.seek(at_) || !file_.readExact(head, kPictureHeaderSize))
      return failPicture(index, "short read of picture " + std::to_string(k) + "'s header");
    const int64_t next = int64_t(at_) + int64_t(kPictureHeaderSize) +
                         int64_t(int32_t(le32(head + 12))) + int64_t(le32(head + 4));
    if (next < int64_t(header_.dataOffset) || uint64_t(next) > length_)
      return failPicture(index, "picture " + std::to_string(k) + " reaches outside the file");
    at_ = uint64_t(next);
  }
  readInGroup_ = index - passed;
  position_ = index;
  return true;
}

bool FaceFile::readNextCompressed(FaceRecord& record) {
  const int index = position_;
  while (readInGroup_ >= int(inner_.count))
    if (!nextGroup()) {
      chainEnded(index);
      return failPicture(index, error_);
    }
  uint8_t head[kPictureHeaderSize];
  if (!file_.seek(at_) || !file_.readExact(head, kPictureHeaderSize))
    return failPicture(index, "short read of the picture header at " + offsetText(at_));
  const uint32_t length = le32(head + 4);
  const int width = le16(head + 8), height = le16(head + 10);
  const int64_t payloadAt =
      int64_t(at_) + int64_t(kPictureHeaderSize) + int64_t(int32_t(le32(head + 12)));
  if (length > kPayloadBuffer)
    return failPicture(index, "payload of " + std::to_string(length) + " bytes exceeds the " +
                                  std::to_string(kPayloadBuffer) + "-byte buffer");
  if (width <= 0 || height <= 0 ||
      int64_t(width) * height > int64_t(header_.width) * header_.height)
    return failPicture(index, "picture of " + std::to_string(width) + "x" + std::to_string(height) +
                                  " does not fit the header's " + std::to_string(header_.width) +
                                  "x" + std::to_string(header_.height));
  if (payloadAt < int64_t(header_.dataOffset) || uint64_t(payloadAt) + length > length_)
    return failPicture(index, "payload reaches outside the file (" + offsetText(at_) + ")");
  record.bytes.resize(length);
  if (!file_.seek(uint64_t(payloadAt)) || !file_.readExact(record.bytes.data(), length))
    return failPicture(index, "short read of the payload at " + offsetText(uint64_t(payloadAt)));
  record.time = le32(head);
  record.width = width;
  record.height = height;
  at_ = uint64_t(payloadAt) + length;
  ++readInGroup_;
  position_ = index + 1;
  return true;
}

}  // namespace kd
