#pragma once
// Rebuilding the pictures a play from the recording's start would show, without playing from
// the start. A run decodes records in sequence from a block's first frame (an intra picture) with
// a fresh decoder and a cleared picture. Begun at the recording's first frame its pictures are
// exact at once; begun later they are exact once the decoder has settled: three decodes that
// reported a picture have replaced everything it carries over (the AVC decoder's output store
// and references), and from there on the run goes in step with a play from the start, damaged
// frames included. Frames before the settling point still depend on what came before the run.
#include <cstdint>
#include <memory>

#include "playback/play_decoder.h"

namespace kd {

class PictureFrame;
class RecordingReader;

// Whether the pictures a decoder writes are those of a play from the recording's start.
struct RunExactness {
  static constexpr int kSettleDecodes = 3;
  bool fromStart = false;  // the decoder began fresh at the recording's first frame
  int decodes = 0;         // decodes that reported a picture since its run began
  bool tainted = false;    // a frame was passed or decoded unlike a play (no deblocking)
  bool exact() const { return !tainted && (fromStart || decodes >= kSettleDecodes); }
  void decoded(bool reported) {
    if (reported && decodes < kSettleDecodes) ++decodes;
  }
};

// The block a run must begin at for frame (block, n) to come out exact: the frame's own block
// when enough frames precede it there, else as far back as needed; `extraBlocks` more when a run
// from there did not settle in time (damaged or picture-less frames).
int runStartBlock(const RecordingReader& reader, int block, int n, int extraBlocks);

class DecodeRun {
 public:
  DecodeRun(RecordingReader& reader, PictureFrame& packet, const PlayDecoderFactory& factory)
      : reader_(reader), packet_(packet), factory_(factory) {}

  // Reads frame 0 of `block` into the packet, makes a fresh decoder and clears the picture.
  // False when the frame cannot be read or no decoder is made.
  bool start(int block);
  // Decodes the packet's record as a play shows it (deblocking on) and counts it.
  void decode(int32_t& delay);
  bool readNext();
  bool exact() const { return exactness_.exact(); }
  const RunExactness& exactness() const { return exactness_; }
  // The run's decoder, to go on decoding in step; the run is over.
  std::unique_ptr<PlayDecoder> takeDecoder() { return std::move(decoder_); }

 private:
  RecordingReader& reader_;
  PictureFrame& packet_;
  const PlayDecoderFactory& factory_;
  std::unique_ptr<PlayDecoder> decoder_;
  RunExactness exactness_;
};

}  // namespace kd
