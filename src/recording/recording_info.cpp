#include "recording/recording_info.h"

#include <algorithm>
#include <vector>

#include "platform/file.h"
#include "platform/folder.h"
#include "recording/byte_order.h"
#include "recording/resolution.h"

namespace kd {

namespace {

constexpr uint64_t kTicksTo1970 = 621355968000000000ull;

int32_t ticksToSeconds(uint64_t ticks) {
  const uint64_t seconds = (ticks - kTicksTo1970) / 10000000ull;
  const int32_t low = int32_t(uint32_t(seconds));
  return low < 0 ? int32_t(0u - uint32_t(low)) : low;
}

int mapFormat8Picture(uint8_t b) {
  switch (b) {
    case 0:
      return 135;
    case 2:
      return 131;
    case 3:
      return 3;
    case 128:
    case 144:
      return 144;
    case 129:
      return 145;
    default:
      return 7;
  }
}

int mapFormat7Picture(uint8_t b) {
  switch (b) {
    case 1:
      return 7;
    case 2:
      return 131;
    case 3:
      return 3;
    default:
      return 135;
  }
}

size_t cappedLength(const std::string& text) {
  return std::min(text.size(), RecordingInfo::kMaxTextLength);
}

}  // namespace

// The header composer: little-endian fields plus the recording's counted texts.
struct HeaderComposer : ByteComposer {
  void raw(const std::string& text, size_t n) {
    bytes.insert(bytes.end(), text.begin(), text.begin() + ptrdiff_t(n));
  }
  void text32(const std::string& text) {
    size_t n = cappedLength(text);
    u32(uint32_t(n));
    raw(text, n);
  }
};

uint8_t format8PictureByte(int code) {
  switch (code) {
    case 135:
      return 0;
    case 131:
      return 2;
    case 3:
      return 3;
    case 144:
      return 128;
    case 145:
      return 129;
    default:
      return 1;
  }
}

int resolutionAfterRoundTrip(int formatVersion, int code) {
  if (formatVersion == 8) return mapFormat8Picture(format8PictureByte(code));
  if (formatVersion == 7) return mapFormat7Picture(uint8_t(code));
  return code & 0xFF;
}

int formatVersionForName(const std::string& path, int fallback) {
  const std::string name = lowerAscii(fileNameOf(path));
  auto endsWith = [&](const char* tail, size_t n) {
    return name.size() >= n && name.compare(name.size() - n, n, tail) == 0;
  };
  if (endsWith("kdx", 3)) return 1;
  if (endsWith("kdq", 3)) return 2;
  if (endsWith("kdz", 3)) return 3;
  if (endsWith("ckd", 3)) return 7;
  if (endsWith("kd", 2)) return 0;
  return fallback;
}

bool RecordingInfo::fail(const std::string& reason) {
  parseError_ = reason;
  return false;
}

bool RecordingInfo::probe(const std::string& filePath) {
  File file;
  if (!file.open(filePath, File::Mode::Read)) return fail(file.lastError());
  fileLength = uint32_t(std::min<uint64_t>(file.length(), 0xFFFFFFFFu));
  std::string savedPath = path;
  path = filePath;  // parse looks at the name's extension
  file.seek(0);
  if (!parse(file)) {
    path = savedPath;
    return false;
  }
  return true;
}

bool RecordingInfo::parse(File& file) {
  parseError_.clear();
  uint8_t sig[4];
  if (!file.readExact(sig, 4)) return fail("file too short for a header");
  if (std::memcmp(sig, "4XDK", 4) == 0) {
    formatVersion = 8;
  } else {
    std::string name = path.empty() ? file.path() : path;
    formatVersion = formatVersionForName(name, formatVersion);
  }
  file.seek(0);
  switch (formatVersion) {
    case 8:
      return parseFormat8(file);
    case 7:
      return parseFormat7(file);
    case 3:
      return parseFormat3(file);
    case 0:
    case 1:
    case 2:
      return parseFormat0to2(file);
    default:
      return fail("unknown format version " + std::to_string(formatVersion));
  }
}

bool RecordingInfo::readText(File& file, std::string& text) {
  uint8_t len[4];
  if (!file.readExact(len, 4)) return fail("header cut short in a text field");
  const uint32_t n = le32(len);
  if (n > kMaxTextLength) return fail("text field longer than 500 bytes");
  text.resize(n);
  if (n && !file.readExact(text.data(), n)) return fail("header cut short in a text field");
  return true;
}

// Formats 3, 7 and 8 open with the same 22 bytes: signature, revision, data offset, flags,
// reserved word, camera and card number.
void RecordingInfo::takeLeadingFields(const uint8_t* h) {
  std::memcpy(signature.data(), h, 4);
  revision = le32(h + 4);
  dataOffset = le32(h + 8);
  flags = le32(h + 12);
  reserved = le32(h + 16);
  camera = h[20];
  card = h[21];
}

bool RecordingInfo::parseFormat8(File& file) {
  uint8_t h[852];
  if (!file.readExact(h, sizeof h)) return fail("header shorter than 852 bytes");
  takeLeadingFields(h);
  spare1 = h[23];
  startTime = int32_t(le32(h + 24));
  endTime = int32_t(le32(h + 28));
  timeBase = le32(h + 40);
  gmtOffset = int32_t(le32(h + 44));
  setResolution(mapFormat8Picture(h[22]));
  hostName = fixedText(h + 48, 32);
  for (int c = 0; c < 4; ++c) {
    channelCameraNames[c] = fixedText(h + 80 + 64 * c, 64);
    channelCardNames[c] = fixedText(h + 336 + 64 * c, 64);
  }
  rawHeader.assign(reinterpret_cast<const char*>(h), sizeof h);
  return true;
}

bool RecordingInfo::parseFormat7(File& file) {
  uint8_t h[45];
  if (!file.readExact(h, 4)) return fail("header cut short");
  if (std::memcmp(h, " RWN", 4) != 0) return fail("unknown signature");
  if (!file.readExact(h + 4, 41)) return fail("header cut short");
  takeLeadingFields(h);
  streamWord = le32(h + 23);
  spare1 = h[27];
  startTime = int32_t(le32(h + 29));
  endTime = int32_t(le32(h + 33));
  timeBase = le32(h + 37);
  gmtOffset = int32_t(le32(h + 41));
  setResolution(mapFormat7Picture(h[22]));
  return readText(file, cameraName) && readText(file, cardName) && readText(file, hostName);
}

bool RecordingInfo::parseFormat3(File& file) {
  uint8_t sig[4];
  if (!file.readExact(sig, 4)) return fail("header cut short");
  if (sig[0] == 'S') {
    if (std::memcmp(sig, "SXDK", 4) != 0) return fail("unknown signature");
    file.seek(0);
    std::vector<uint8_t> h(1280);
    if (!file.readExact(h.data(), h.size())) return fail("header shorter than 1280 bytes");
    std::memcpy(signature.data(), h.data(), 4);
    revision = le32(&h[4]);
    dataOffset = le32(&h[8]);
    flags = le32(&h[12]);
    reserved = le32(&h[16]);
    camera = card = h[21];
    timeBase = le32(&h[24]);
    gmtOffset = int32_t(le32(&h[28]));
    startTime = ticksToSeconds(le64(&h[32]));
    endTime = ticksToSeconds(le64(&h[48]));
    hostName = fixedText(&h[64], 128);
    cameraName = fixedText(&h[192], 512);
    cardName = fixedText(&h[704], 576);
    const bool lines240 = h[22] != 0;
    switch (h[23]) {
      case 0:
        setResolution(lines240 ? 18 : 131);
        break;
      case 1:
        setResolution(lines240 ? 21 : 130);
        break;
      case 3:
        setResolution(lines240 ? 28 : 137);
        break;
      default:
        // Other size classes name no known geometry: refuse rather than guess a picture size.
        return fail("unknown picture size class " + std::to_string(h[23]));
    }
    rawHeader.assign(reinterpret_cast<const char*>(h.data()), h.size());
    return true;
  }
  if (sig[0] != ' ' || std::memcmp(sig, " XDK", 4) != 0) return fail("unknown signature");
  uint8_t h[40];
  std::memcpy(h, sig, 4);
  if (!file.readExact(h + 4, 36)) return fail("header cut short");
  takeLeadingFields(h);
  spare1 = h[23];
  startTime = int32_t(le32(h + 24));
  endTime = int32_t(le32(h + 28));
  timeBase = le32(h + 32);
  gmtOffset = int32_t(le32(h + 36));
  setResolution(h[22]);
  return readText(file, cameraName) && readText(file, cardName) && readText(file, hostName);
}

bool RecordingInfo::parseFormat0to2(File& file) {
  uint8_t h[36];
  if (!file.readExact(h, sizeof h)) return fail("header cut short");
  if (h[0] != 'K' || h[1] != 'D') return fail("unknown signature");
  const uint32_t rev = le16(h + 2);
  if (rev > 4096) return fail("revision above 4096");
  const uint32_t n1 = le16(h + 20), n2 = le16(h + 22);
  if (n1 > kMaxTextLength || n2 > kMaxTextLength) return fail("text field longer than 500 bytes");
  std::string card1(n1, '\0'), camera2(n2, '\0');
  if ((n1 && !file.readExact(card1.data(), n1)) || (n2 && !file.readExact(camera2.data(), n2)))
    return fail("header cut short in a text field");
  std::string host;
  if (!readText(file, host)) return false;
  int32_t gmt = gmtOffset;
  if (rev >= 257) {
    uint8_t g[4];
    if (!file.readExact(g, 4)) return fail("header cut short at the GMT offset");
    gmt = int32_t(le32(g));
  }
  signature = {'K', 'D', char(h[2]), char(h[3])};
  revision = rev;
  spare2 = h[7];
  camera = h[6];
  card = h[5];
  startTime = int32_t(le32(h + 8));
  endTime = int32_t(le32(h + 12));
  timeBase = le32(h + 16);
  flags = le32(h + 24);
  spare3 = h[24];
  dataOffset = le32(h + 28);
  reserved = le32(h + 32);
  cardName = std::move(card1);
  cameraName = std::move(camera2);
  hostName = std::move(host);
  gmtOffset = gmt;
  setResolution(h[4]);
  return true;
}

uint32_t RecordingInfo::headerLength() const {
  const size_t texts = cappedLength(cameraName) + cappedLength(cardName) + cappedLength(hostName);
  switch (formatVersion) {
    case 7:
      return uint32_t(57 + texts);
    case 3:
      return uint32_t(52 + texts);
    case 0:
    case 1:
    case 2:
      return uint32_t(40 + texts + (revision >= 257 ? 4 : 0));
    default:
      return 0;
  }
}

void RecordingInfo::composeLeadingFields(HeaderComposer& c, const char* sig) const {
  for (int i = 0; i < 4; ++i) c.u8(uint8_t(sig[i]));
  c.u32(revision);
  c.u32(dataOffset);
  c.u32(flags);
  c.u32(reserved);
  c.u8(camera);
  c.u8(card);
}

// Formats 3 and 7 end alike: start, end, time base, GMT offset, then the three texts.
void RecordingInfo::composeTimesAndTexts(HeaderComposer& c) const {
  c.u32(uint32_t(startTime));
  c.u32(uint32_t(endTime));
  c.u32(timeBase);
  c.u32(uint32_t(gmtOffset));
  c.text32(cameraName);
  c.text32(cardName);
  c.text32(hostName);
}

uint32_t RecordingInfo::write(File& file) {
  HeaderComposer c;
  const uint32_t length = headerLength();
  if (length == 0) return 0;
  dataOffset = length;
  switch (formatVersion) {
    case 7:
      composeLeadingFields(c, " RWN");
      c.u8(resolutionCode);
      c.u32(streamWord);
      c.u8(spare1);
      c.u8(uint32_t(startTime) & 0xFF);
      composeTimesAndTexts(c);
      break;
    case 3:
      composeLeadingFields(c, " XDK");
      c.u8(resolutionCode);
      c.u8(spare1);
      composeTimesAndTexts(c);
      break;
    default: {  // 0, 1, 2
      const size_t n1 = cappedLength(cardName), n2 = cappedLength(cameraName);
      c.u8('K');
      c.u8('D');
      c.u16(std::min<uint32_t>(revision, 4096));
      c.u8(resolutionCode);
      c.u8(card);
      c.u8(camera);
      c.u8(spare2);
      c.u32(uint32_t(startTime));
      c.u32(uint32_t(endTime));
      c.u32(timeBase);
      c.u16(uint32_t(n1));
      c.u16(uint32_t(n2));
      c.u32((flags & 0xFFFFFF00u) | spare3);
      c.u32(dataOffset);
      c.u32(reserved);
      c.raw(cardName, n1);
      c.raw(cameraName, n2);
      c.text32(hostName);
      if (revision >= 257) c.u32(uint32_t(gmtOffset));
      break;
    }
  }
  if (!file.write(c.bytes.data(), c.bytes.size())) return 0;
  return uint32_t(c.bytes.size());
}

int64_t RecordingInfo::secondsAt(uint32_t stamp) const {
  return int64_t(startTime) + int64_t((stamp - timeBase) / 1000u);
}

void RecordingInfo::setResolution(int code) {
  resolutionCode = uint8_t(code);
  ResolutionSizes s{};
  if (lookUpResolution(code, s)) {
    codedWidth = s.codedWidth;
    codedHeight = s.codedHeight;
    tableDisplayWidth = s.displayWidth;
    tableDisplayHeight = s.displayHeight;
  }
  if (formatVersion == 0 && code == 131) {
    codedWidth = 640;
    codedHeight = 240;
  }
}

const std::string& RecordingInfo::cameraNameOf(int channel) const {
  return channel >= 0 && channel < 4 ? channelCameraNames[size_t(channel)] : cameraName;
}

const std::string& RecordingInfo::cardNameOf(int channel) const {
  return channel >= 0 && channel < 4 ? channelCardNames[size_t(channel)] : cardName;
}

int RecordingInfo::pictureWidth() const {
  return (isWide() && resolutionCode == 7) ? 352 : codedWidth;
}

int RecordingInfo::displayWidth() const {
  if (isWide() && resolutionCode == 7) return 704;
  if (formatVersion == 0 && resolutionCode == 131) return 640;
  return tableDisplayWidth;
}

int RecordingInfo::displayHeight() const {
  if (formatVersion == 0 && resolutionCode == 131) return 480;
  return tableDisplayHeight;
}

}  // namespace kd
