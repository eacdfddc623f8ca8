#pragma once
// The decoder a play window uses for one recording: chosen once at open from the format
// version, the revision and the first frame's codec nibble, then called for every frame that
// carries a picture.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kd {

class FramePacket;
class PictureFrame;
class RecordingInfo;

class PlayDecoder {
 public:
  virtual ~PlayDecoder() = default;
  // Decodes into frame.picture(); `delay` receives the AVC decoder's display time in
  // milliseconds (0 from the others). False when the decoder refused the frame; the picture then
  // keeps what the decoder left in it.
  virtual bool decode(PictureFrame& frame, bool deblock, int32_t& delay) = 0;
  // Pictures of three planes (red, green, blue) rather than packed pixels.
  virtual bool planar() const = 0;
};

// Makes the decoder for a recording whose first frame is `first`; nullptr with `reason` when no
// decoder serves it.
using PlayDecoderFactory = std::function<std::unique_ptr<PlayDecoder>(
    const RecordingInfo& info, const FramePacket& first, std::string& reason)>;

// The product's choice, through the decode dispatch.
std::unique_ptr<PlayDecoder> choosePlayDecoder(const RecordingInfo& info, const FramePacket& first,
                                               std::string& reason);

}  // namespace kd
