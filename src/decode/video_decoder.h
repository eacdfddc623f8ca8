#pragma once
// The abstract video decoder. The operations keep the order of the original decoder family;
// each decoder overrides the ones its codec family uses (see the comments).
#include <cstdint>

namespace kd {

class FramePacket;

class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;

  // AVC decoder only: decode the packet's payload into its DecodedPicture; `delay` receives the
  // time in milliseconds until the next picture is due. Others: false, nothing done.
  virtual bool decodeFrameTimed(FramePacket& packet, int32_t& delay, bool deblock);
  // AVC decoder only: whether the last decodeFrameTimed that returned false decoded its payload
  // but had no picture due yet (the decoder's output delay), rather than failing.
  virtual bool pictureNotYetDue() const;
  // DCT codec: decode into the decoder's own picture only.
  virtual bool decodeOnly(FramePacket& packet);
  // DCT codec: convert the last decoded picture at its coded (macroblock-rounded) size.
  virtual bool renderLastPicture(uint8_t* pixels);
  // Every decoder except AVC: decode and write the packet's DecodedPicture. Callers ignore the
  // result; a failed frame leaves the picture as it was.
  virtual int decodeFrame(FramePacket& packet);
  // MPEG-4 decoder only: decode into a caller's buffer with control flags.
  virtual int decodeFrameInto(FramePacket& packet, uint8_t* output, int flags);
  // DCT codec internal: decode the blocks of one macroblock; returns the bits consumed.
  virtual int decodeBlocks(int16_t* blocks, int codedMask, bool inter);
};

}  // namespace kd
