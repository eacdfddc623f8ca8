#pragma once
// What a play window, quad channel or AVI conversion holds to decode one recording: the decoder
// chosen when the recording is opened, and the per-frame calling rule.
#include <cstdint>
#include <memory>
#include <string>

#include "decode/dct/legacy_dct_decoder.h"
#include "decode/video_decoder.h"

namespace kd {

class FramePacket;
class RecordingInfo;

// Who opens: the family table and the format-version gate differ.
enum class DecodeContext { PlayerWindow, AviConversion, QuadPlayback };

struct RecordingDecoder {
  std::unique_ptr<VideoDecoder> decoder;     // formats with codec families
  std::unique_ptr<LegacyDctDecoder> legacy;  // every other format version
  int family = -1;                           // −1 with the legacy decoder
};

// Whether a recording of `formatVersion` picks its decoder by codec family in `context`.
bool usesCodecFamilies(int formatVersion, DecodeContext context);
// Whether `context` plays `family` at all (families 3, 6, 7, 8 only in player windows).
bool familyAllowed(int family, DecodeContext context);

// The open-time choice from the header and the first frame record's flags. On failure returns
// false with `reason` naming the family ("codec family 5 is not supported").
bool openRecordingDecoder(const RecordingInfo& info, uint16_t firstFrameFlags,
                          DecodeContext context, RecordingDecoder& out, std::string& reason);

// The calling rule for one frame record: flags bit 0 means no decode; family 4 goes through
// decodeFrameTimed (delay and deblock), other families through decodeFrame, old formats through
// the legacy decoder into the packet's picture. Returns true when a decoder was called and
// reported success; `delay` receives the AVC delay (untouched otherwise).
bool decodeFrameRecord(RecordingDecoder& decoder, FramePacket& packet, bool deblock,
                       int32_t& delay);

// What became of one frame record's decode, for those who judge a recording by it.
enum class FrameDecodeOutcome {
  Decoded,    // the decoder reported success
  NoPicture,  // flags bit 0: nothing to decode
  NotYetDue,  // AVC: the payload decoded, its picture is held back by the output delay
  Failed,     // the decoder refused the payload
};
// decodeFrameRecord, telling a held-back AVC picture from a failure.
FrameDecodeOutcome decodeFrameOutcome(RecordingDecoder& decoder, FramePacket& packet, bool deblock,
                                      int32_t& delay);

}  // namespace kd
