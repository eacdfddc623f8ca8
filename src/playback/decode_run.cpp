#include "playback/decode_run.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

int runStartBlock(const RecordingReader& reader, int block, int n, int extraBlocks) {
  int start = block;
  uint32_t before = uint32_t(std::max(n, 0));
  while (start > 0 && before < uint32_t(RunExactness::kSettleDecodes)) {
    --start;
    before += reader.framesInBlock(start);
  }
  return std::max(0, start - std::max(extraBlocks, 0));
}

bool DecodeRun::start(int block) {
  decoder_.reset();
  exactness_ = RunExactness{};
  if (!reader_.readFrame(packet_, block, 0)) return false;
  std::string reason;
  decoder_ = factory_ ? factory_(reader_, packet_, reason) : nullptr;
  if (!decoder_) return false;
  DecodedPicture& picture = *packet_.picture();
  std::memset(picture.pixels(), 0, picture.byteSize());
  exactness_.fromStart = reader_.frameNumber(packet_.block, packet_.frameInBlock) == 0;
  return true;
}

void DecodeRun::decode(int32_t& delay) {
  delay = 0;
  if ((packet_.flags & frame_flags::kNoPicture) || !decoder_) return;
  exactness_.decoded(decoder_->decode(packet_, true, delay));
}

bool DecodeRun::readNext() {
  return reader_.readFrame(packet_);
}

}  // namespace kd
