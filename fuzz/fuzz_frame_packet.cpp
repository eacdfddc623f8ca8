// The memory form of a frame packet.
#include <vector>

#include "recording/frame_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kd::FramePacket packet(4096, 1024);
  const size_t used = packet.loadFrom(data, size);
  if (used) {
    std::vector<uint8_t> out(packet.storedSize());
    if (packet.storeTo(out.data(), out.size()) != out.size()) __builtin_trap();
  }
  return 0;
}
