// A whole recording, as kdtool decode runs it: the reader, the decoder chosen from the header
// and the first frame record, and the calling rule over every frame (bounded).
// Input: [extension selector][channel][file bytes from byte 2].
#include <algorithm>

#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string path =
      kd::fuzz::writeScratchFile(data + 2, size - 2, kd::fuzz::extensionFor(data[0]));
  kd::RecordingInfo info;
  info.path = path;
  kd::RecordingReader reader;
  if (!reader.open(info, 1, info.formatVersion == 8 ? data[1] % 4 : -1)) {
    if (!info.probe(path) || info.formatVersion != 8 || !reader.open(info, 1, data[1] % 4)) return 0;
  }
  // Picture sizes come from the header; keep the fuzzer's allocations modest.
  const int w = std::min(reader.pictureWidth(), 1280), h = std::min(reader.pictureHeight(), 1024);
  kd::PictureFrame packet(reader.sourceKey(), w, h);
  if (!reader.readFrame(packet)) return 0;
  kd::RecordingDecoder decoder;
  std::string reason;
  if (!kd::openRecordingDecoder(reader, packet.flags, kd::DecodeContext::PlayerWindow, decoder,
                                reason))
    return 0;
  for (int i = 0; i < 64; ++i) {
    int32_t delay = 0;
    kd::decodeFrameRecord(decoder, packet, true, delay);
    if (!reader.readFrame(packet)) break;
  }
  return 0;
}
