#include "decode/video_decoder.h"

namespace kd {

bool VideoDecoder::decodeFrameTimed(FramePacket&, int32_t&, bool) {
  return false;
}
bool VideoDecoder::pictureNotYetDue() const {
  return false;
}
bool VideoDecoder::decodeOnly(FramePacket&) {
  return false;
}
bool VideoDecoder::renderLastPicture(uint8_t*) {
  return false;
}
int VideoDecoder::decodeFrame(FramePacket&) {
  return 0;
}
int VideoDecoder::decodeFrameInto(FramePacket&, uint8_t*, int) {
  return 0;
}
int VideoDecoder::decodeBlocks(int16_t*, int, bool) {
  return 0;
}

}  // namespace kd
