#include "decode/dispatch/recording_decoder.h"

#include "decode/dispatch/decoder_factory.h"
#include "recording/decoded_picture.h"
#include "recording/frame_packet.h"
#include "recording/recording_info.h"

namespace kd {

bool usesCodecFamilies(int formatVersion, DecodeContext context) {
  if (context == DecodeContext::QuadPlayback) return formatVersion == 3 || formatVersion == 8;
  return formatVersion == 3 || formatVersion == 7;
}

bool familyAllowed(int family, DecodeContext context) {
  switch (family) {
    case 0:
    case 1:
    case 2:
    case 4:
      return true;
    case 3:
    case 6:
    case 7:
    case 8:
      return context == DecodeContext::PlayerWindow;
    default:
      return false;
  }
}

bool openRecordingDecoder(const RecordingInfo& info, uint16_t firstFrameFlags,
                          DecodeContext context, RecordingDecoder& out, std::string& reason) {
  out = RecordingDecoder{};
  if (!usesCodecFamilies(info.formatVersion, context)) {
    auto legacy = std::make_unique<LegacyDctDecoder>();
    if (!legacy->open(info.revision == 4096 ? LegacyDctDecoder::kModeEnlarge
                                            : LegacyDctDecoder::kModePlain)) {
      reason = "the legacy DCT decoder cannot be opened";
      return false;
    }
    out.legacy = std::move(legacy);
    return true;
  }
  const int family = frame_flags::codecFamily(firstFrameFlags);
  if (!familyAllowed(family, context)) {
    reason = "codec family " + std::to_string(family) + " is not supported";
    if (familyAllowed(family, DecodeContext::PlayerWindow))
      reason += context == DecodeContext::QuadPlayback ? " in quad playback" : " in AVI conversion";
    return false;
  }
  out.decoder = createVideoDecoder(family, info.pictureWidth(), info.pictureHeight());
  if (!out.decoder) {
    reason = unavailableFamilyReason(family);
    return false;
  }
  out.family = family;
  return true;
}

bool decodeFrameRecord(RecordingDecoder& d, FramePacket& packet, bool deblock, int32_t& delay) {
  if (packet.flags & frame_flags::kNoPicture) return false;
  if (d.legacy) {
    DecodedPicture* picture = packet.picture();
    if (!picture) return false;
    return d.legacy->decode(packet.video(), packet.videoSize, picture->pixels(), picture->width(),
                            picture->height());
  }
  if (!d.decoder) return false;
  if (d.family == 4) return d.decoder->decodeFrameTimed(packet, delay, deblock);
  return d.decoder->decodeFrame(packet) != 0;
}

FrameDecodeOutcome decodeFrameOutcome(RecordingDecoder& d, FramePacket& packet, bool deblock,
                                      int32_t& delay) {
  if (packet.flags & frame_flags::kNoPicture) return FrameDecodeOutcome::NoPicture;
  if (decodeFrameRecord(d, packet, deblock, delay)) return FrameDecodeOutcome::Decoded;
  if (d.decoder && d.family == 4 && d.decoder->pictureNotYetDue())
    return FrameDecodeOutcome::NotYetDue;
  return FrameDecodeOutcome::Failed;
}

}  // namespace kd
