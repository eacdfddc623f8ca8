// The reader: index building, sequential reads to the end, then reads by frame address.
// Input: [extension selector][channel][address seed...][file bytes from byte 8].
#include "support.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const std::string path =
      kd::fuzz::writeScratchFile(data + 8, size - 8, kd::fuzz::extensionFor(data[0]));
  kd::RecordingInfo info;
  info.path = path;
  kd::RecordingReader reader;
  if (!reader.open(info, 1, data[1] % 5 == 4 ? -1 : data[1] % 5)) return 0;
  kd::PictureFrame packet(reader.sourceKey(), 64, 64);
  for (int i = 0; i < 4096 && reader.readFrame(packet); ++i) {
  }
  for (int i = 2; i < 8; i += 2) {
    const int block = reader.blockCount() ? data[i] % (reader.blockCount() + 1) : 0;
    reader.readFrame(packet, block, data[i + 1] % 40);
    reader.readFrame(packet);
  }
  (void)reader.framesBefore(reader.blockCount() - 1);
  (void)reader.blockTime(reader.blockCount() - 1);
  return 0;
}
