#include "synth/avc/avc_encoder.h"

#include <algorithm>
#include <cstdlib>

#include "decode/avc/avc_picture_builder.h"
#include "synth/avc/avc_bit_writer.h"
#include "synth/avc/avc_macroblock_coder.h"

namespace kd::avc {

namespace {
constexpr uint16_t kAvcFlags = 0x40;  // codec nibble 4
constexpr size_t kKeptPictures = 256;
}  // namespace

AvcEncoder::AvcEncoder(const VideoEncoderSettings& settings)
    : settings_(settings),
      width_(std::clamp(settings.width, 16, 1023)),
      height_(std::clamp(settings.height, 16, 1023)),
      version_(std::clamp(settings.avcVersion, 3, 15)),
      quant_(settings.quant >= 10 && settings.quant <= 59 ? settings.quant : 28) {
  auto option = [&](const char* key) {
    auto it = settings.options.find(key);
    return it == settings.options.end() ? std::string() : it->second;
  };
  deblock_ = option("deblock") != "0";
  nonReference_ = option("non-reference") == "1" && version_ > 3;
  bPictures_ = settings.bPictures && version_ == 3;
  preferStill_ = option("prefer-still") != "0";
  if (!option("repeat-every").empty())
    repeatEvery_ = std::max(0, std::atoi(option("repeat-every").c_str()));
}

EncodedFrame AvcEncoder::makeRecord(uint16_t kind, bool key) {
  EncodedFrame f;
  f.kind = kind;
  f.flags = kAvcFlags;
  f.key = key;
  f.timeStamp = stamps_.front();  // records carry the stamps in arrival order
  stamps_.pop_front();
  return f;
}

void AvcEncoder::keep(uint32_t displayStamp, const OutputPicture& picture) {
  reconstructions_[displayStamp] = picture;
  reconstructions_[displayStamp].stamp = int32_t(displayStamp);
  while (reconstructions_.size() > kKeptPictures) reconstructions_.erase(reconstructions_.begin());
}

const OutputPicture* AvcEncoder::reconstructionAt(uint32_t stamp) const {
  auto it = reconstructions_.find(stamp);
  return it == reconstructions_.end() ? nullptr : &it->second;
}

void AvcEncoder::codePicture(const SourcePicture& picture, uint32_t displayStamp, int frameType,
                             int directDistance, std::vector<EncodedFrame>& out) {
  const bool trueB = frameType == 2 && version_ == 3;
  const bool reference = frameType != 2;
  if (frameType == 0 && !haveStore_) {
    store_.create(width_, height_);
    haveStore_ = true;
  }
  EncodedFrame record = makeRecord(frameType == 0 ? 0
                                   : trueB        ? 2
                                   : reference    ? 1
                                                  : 3,
                                   frameType == 0);
  if (frameType == 1 && version_ == 3) store_.swapReferences();
  OutputPicture& target = store_.beginPicture(trueB, int32_t(record.timeStamp));
  std::vector<MacroblockRecord>& records = reference ? store_.recordsA() : store_.recordsB();

  BitWriter writer;
  writer.put(16, 21);  // start code
  writer.put(uint32_t(version_), 4);
  writer.put(uint32_t(frameType), 2);
  if (frameType == 0) {
    writer.put(uint32_t(width_), 10);
    writer.put(uint32_t(height_), 10);
  }
  writer.put(uint32_t(quant_), 8);
  if (frameType == 2) writer.put(uint32_t(directDistance), 2);
  writer.alignTo(16);

  PictureBuilder builder(store_);
  builder.begin(PictureContext{version_, quant_, trueB, deblock_, directDistance}, target, records);
  CodingParams params{version_, quant_, frameType, trueB, directDistance, preferStill_};
  MacroblockCoder coder(store_, builder, picture, params, records);
  for (int mby = 0; mby < store_.mbRows(); ++mby)
    for (int mbx = 0; mbx < store_.mbCols(); ++mbx) coder.code(mbx, mby, writer);
  writer.alignTo(32);

  if (reference) {
    store_.updateReference(target);
    if (version_ != 3) store_.swapReferences();
  }
  keep(displayStamp, target);
  record.payload = writer.bytes();
  if (settings_.swapBytes) {
    // Little-endian words: each group of four bytes reversed.
    for (size_t i = 0; i + 3 < record.payload.size(); i += 4) {
      std::swap(record.payload[i], record.payload[i + 3]);
      std::swap(record.payload[i + 1], record.payload[i + 2]);
    }
  }
  out.push_back(std::move(record));
}

void AvcEncoder::repeatRecord(bool bPosition, uint32_t displayStamp,
                              std::vector<EncodedFrame>& out) {
  EncodedFrame record = makeRecord(bPosition ? 5 : 4, false);
  store_.repeatPicture(bPosition, int32_t(record.timeStamp));
  // The repeated picture is the newest one, whichever slot now holds it.
  keep(displayStamp, bPosition ? store_.next() : store_.newest());
  out.push_back(std::move(record));
}

void AvcEncoder::codeAsP(const Pending& p, std::vector<EncodedFrame>& out) {
  const bool nonRef = nonReference_ && (pCount_++ % 2 == 1);
  codePicture(p.picture, p.stamp, nonRef ? 2 : 1, 0, out);
}

std::vector<EncodedFrame> AvcEncoder::encode(const RgbImage& image, uint32_t timeStamp,
                                             bool keyFrame) {
  std::vector<EncodedFrame> out;
  stamps_.push_back(timeStamp);
  SourcePicture picture = toSourcePicture(image, width_, height_);
  const bool repeatSlot = repeatEvery_ > 0 && index_ % repeatEvery_ == repeatEvery_ - 1;
  ++index_;
  const bool repeat = repeatSlot || (haveStore_ && picture == previous_);
  previous_ = picture;
  if (keyFrame || !haveStore_) {
    for (const Pending& p : pendingB_) codeAsP(p, out);
    pendingB_.clear();
    codePicture(picture, timeStamp, 0, 0, out);
    return out;
  }
  if (!bPictures_) {
    if (repeat)
      repeatRecord(false, timeStamp, out);
    else
      codeAsP(Pending{std::move(picture), timeStamp, false}, out);
    return out;
  }
  if (pendingB_.size() < 2) {
    pendingB_.push_back(Pending{std::move(picture), timeStamp, repeat});
    return out;
  }
  // This picture is the next anchor; the two waiting ones go between it and the last anchor.
  codePicture(picture, timeStamp, 1, 0, out);
  for (size_t i = 0; i < pendingB_.size(); ++i) {
    if (pendingB_[i].repeat || pendingB_[i].picture == picture)
      repeatRecord(true, pendingB_[i].stamp, out);
    else
      codePicture(pendingB_[i].picture, pendingB_[i].stamp, 2, int(i), out);
  }
  pendingB_.clear();
  return out;
}

std::vector<EncodedFrame> AvcEncoder::flush() {
  std::vector<EncodedFrame> out;
  for (const Pending& p : pendingB_) codeAsP(p, out);
  pendingB_.clear();
  return out;
}

}  // namespace kd::avc
