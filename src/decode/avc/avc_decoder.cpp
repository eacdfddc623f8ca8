#include "decode/avc/avc_decoder.h"

#include <algorithm>

#include "decode/avc/avc_macroblock_parser.h"
#include "decode/avc/avc_picture_builder.h"
#include "decode/diagnostics.h"  // appends the line end itself

namespace kd::avc {

namespace {
constexpr uint32_t kStartCode = 16;
constexpr int kStartCodeBits = 21;
constexpr size_t kLastStartPosition = 160;
}  // namespace

AvcDecoder::AvcDecoder() = default;
AvcDecoder::~AvcDecoder() = default;

int AvcDecoder::avcInitBitStream(const uint8_t* payload, size_t length) {
  if (payload == nullptr || length < 4 || length >= BitReader::kCapacity) {
    diagnostic("avcInitBitStream error = %d", kAvcNoPicture);
    return kAvcNoPicture;
  }
  reader_.load(payload, length);
  for (size_t bit = 0; bit <= kLastStartPosition; ++bit) {
    if (bit + kStartCodeBits > reader_.limit()) {
      diagnostic("avcInitBitStream error = %d", kAvcPastEnd);
      return kAvcPastEnd;
    }
    if (reader_.peekAt(bit, kStartCodeBits) == kStartCode) {
      reader_.seek(bit + kStartCodeBits);
      return kAvcOk;
    }
  }
  diagnostic("avcInitBitStream error = %d", kAvcNoPicture);
  return kAvcNoPicture;
}

int AvcDecoder::avcDecodeHeader() {
  AvcHeader h = header_;
  h.version = int(reader_.read(4));
  if (h.version < 3) {
    diagnostic("Bitstream version error: %d", h.version);
    diagnostic("avcDecodeHeader error = %d", kAvcBadVersion);
    return kAvcBadVersion;
  }
  h.frameType = int(reader_.read(2));
  if (h.frameType == 3) {
    diagnostic("avcDecodeHeader error = %d", kAvcBadStream);
    return kAvcBadStream;
  }
  if (h.frameType == 0) {
    h.width = int(reader_.read(10));
    h.height = int(reader_.read(10));
  } else {
    h.width = width_;
    h.height = height_;
  }
  h.quant = int(reader_.read(8));
  if (h.quant < 10 || h.quant > 59) {
    diagnostic("avcDecodeHeader error = %d", kAvcBadStream);
    return kAvcBadStream;
  }
  h.directDistance = h.frameType == 2 ? int(reader_.read(2)) : 0;
  reader_.alignTo16();
  header_ = h;
  diagnostic("version = %d, frametype = %d, pixels = %d, lines = %d, quant = %d", h.version,
             h.frameType, h.width, h.height, h.quant);
  return kAvcOk;
}

int AvcDecoder::avcCreateRes(int width, int height) {
  if (store_ && store_->width() == width && store_->height() == height) return kAvcOk;
  store_.reset();
  if (width < 16 || height < 16) {
    diagnostic("avcCreateRes error: %d", kAvcBadStream);
    return kAvcBadStream;
  }
  store_ = std::make_unique<PictureStore>();
  store_->create(width, height);
  width_ = width;
  height_ = height;
  return kAvcOk;
}

int AvcDecoder::avcInitMV(bool trueB, uint32_t stamp) {
  if (!store_) {
    diagnostic("avcInitMV error:%d", kAvcNoPicture);
    return kAvcNoPicture;
  }
  target_ = &store_->beginPicture(trueB, int32_t(stamp));
  return kAvcOk;
}

int AvcDecoder::macroblockFailure() const {
  return reader_.pastEnd() ? kAvcPastEnd : kAvcBadStream;
}

void AvcDecoder::referenceRowsDone(int mby) {
  // Filtering macroblock row mby still changes the last lines of the row above it.
  if (mby > 0) store_->copyReferenceRows(*target_, mby - 1, mby);
  if (mby == store_->mbRows() - 1) store_->copyReferenceRows(*target_, mby, mby + 1);
}

int AvcDecoder::avcDecodeIFrame(bool deblock) {
  PictureBuilder builder(*store_);
  builder.begin(PictureContext{header_.version, header_.quant, false, deblock, 0}, *target_,
                store_->recordsA());
  const ParseContext parse{header_.version, header_.quant, store_->mbCols(), &store_->recordsA()};
  for (int mby = 0; mby < store_->mbRows(); ++mby) {
    for (int mbx = 0; mbx < store_->mbCols(); ++mbx) {
      const int type = int(reader_.read(1));
      if (type != 0) {
        diagnostic("avcDecodeIFrame error: invalid mb type(%d)", type);
        return kAvcBadStream;
      }
      if (!parseIntraMacroblock(reader_, parse, mbx, mby, mb_)) return macroblockFailure();
      if (reader_.pastEnd()) return kAvcPastEnd;
      builder.reconstruct(mbx, mby, mb_);
    }
    referenceRowsDone(mby);
  }
  store_->finishReference();
  if (header_.version != 3) store_->swapReferences();
  return kAvcOk;
}

int AvcDecoder::avcDecodePFrame(bool deblock, bool reference) {
  if (reference && header_.version == 3) store_->swapReferences();
  std::vector<MacroblockRecord>& records = reference ? store_->recordsA() : store_->recordsB();
  PictureBuilder builder(*store_);
  builder.begin(PictureContext{header_.version, header_.quant, false, deblock, 0}, *target_,
                records);
  const ParseContext parse{header_.version, header_.quant, store_->mbCols(), &records};
  for (int mby = 0; mby < store_->mbRows(); ++mby) {
    for (int mbx = 0; mbx < store_->mbCols(); ++mbx) {
      bool ok = true;
      if (reader_.readBit()) {
        mb_.type = kMbForward;
        ok = parseInterMacroblock(reader_, parse, mbx, mby, mb_);
      } else if (header_.version > 3 && reader_.readBit()) {
        mb_.clearResidual();
        mb_.type = kMbSkipOrDirect;
        mb_.direct = false;
        mb_.mvX = mb_.mvY = 0;
      } else {
        ok = parseIntraMacroblock(reader_, parse, mbx, mby, mb_);
      }
      if (!ok) return macroblockFailure();
      if (reader_.pastEnd()) return kAvcPastEnd;
      builder.reconstruct(mbx, mby, mb_);
    }
    if (reference) referenceRowsDone(mby);
  }
  if (reference) {
    store_->finishReference();
    if (header_.version != 3) store_->swapReferences();
  }
  return kAvcOk;
}

int AvcDecoder::avcDecodeBFrame(bool deblock) {
  std::vector<MacroblockRecord>& records = store_->recordsB();
  PictureBuilder builder(*store_);
  builder.begin(
      PictureContext{header_.version, header_.quant, true, deblock, header_.directDistance},
      *target_, records);
  const ParseContext parse{header_.version, header_.quant, store_->mbCols(), &records};
  for (int mby = 0; mby < store_->mbRows(); ++mby) {
    for (int mbx = 0; mbx < store_->mbCols(); ++mbx) {
      const int type = int(reader_.read(2));
      bool ok = true;
      if (type == kMbIntra) {
        ok = parseIntraMacroblock(reader_, parse, mbx, mby, mb_);
      } else if (type == kMbSkipOrDirect) {
        mb_.clearResidual();
        mb_.type = kMbSkipOrDirect;
        mb_.direct = true;
        mb_.mvX = mb_.mvY = 0;
      } else {
        mb_.type = uint8_t(type);
        ok = parseInterMacroblock(reader_, parse, mbx, mby, mb_);
      }
      if (!ok) return macroblockFailure();
      if (reader_.pastEnd()) return kAvcPastEnd;
      builder.reconstruct(mbx, mby, mb_);
    }
  }
  return kAvcOk;
}

int AvcDecoder::decode(const uint8_t* payload, size_t length, int frameKind, uint32_t timeStamp,
                       bool deblock) {
  if (frameKind == 4 || frameKind == 5) {
    if (!store_) return kAvcNoPicture;
    store_->repeatPicture(frameKind == 5 && header_.version == 3, int32_t(timeStamp));
    return kAvcOk;
  }
  int rc = avcInitBitStream(payload, length);
  if (rc != kAvcOk) return rc;
  rc = avcDecodeHeader();
  if (rc != kAvcOk) return rc;
  switch (header_.frameType) {
    case 0:
      rc = avcCreateRes(header_.width, header_.height);
      if (rc == kAvcOk) rc = avcInitMV(false, timeStamp);
      if (rc == kAvcOk) rc = avcDecodeIFrame(deblock);
      break;
    case 1:
      rc = avcInitMV(false, timeStamp);
      if (rc == kAvcOk) rc = avcDecodePFrame(deblock, true);
      break;
    default: {
      const bool trueB = header_.version == 3;
      rc = avcInitMV(trueB, timeStamp);
      if (rc == kAvcOk) rc = trueB ? avcDecodeBFrame(deblock) : avcDecodePFrame(deblock, false);
      break;
    }
  }
  if (rc != kAvcOk) store_.reset();  // decoding resumes at the next I-picture
  return rc;
}

int AvcDecoder::avcGetPicture(const uint8_t** y, const uint8_t** u, const uint8_t** v) const {
  if (!y || !u || !v) return kAvcMissingArgument;
  if (!store_ || store_->due().stamp == 0) return kAvcNoPicture;
  OutputPicture& due = store_->due();
  *y = due.y.data();
  *u = due.u.data();
  *v = due.v.data();
  return kAvcOk;
}

int AvcDecoder::avcGetSize(int* width, int* height) const {
  if (!width || !height) return kAvcMissingArgument;
  if (!store_) return kAvcNoPicture;
  *width = store_->width();
  *height = store_->height();
  return kAvcOk;
}

int AvcDecoder::avcGetFrameDelay(int32_t* delay, int32_t* stamp) const {
  if (!delay || !stamp) return kAvcMissingArgument;
  if (!store_ || store_->due().stamp == 0) return kAvcNoPicture;
  const int64_t difference = int64_t(store_->next().stamp) - store_->due().stamp;
  *delay = int32_t(std::max<int64_t>(0, difference));
  *stamp = store_->due().stamp;
  return kAvcOk;
}

}  // namespace kd::avc
