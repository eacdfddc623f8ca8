#include "playback/file_verification.h"

#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

// The address of frame `number` by the index.
void addressOf(const RecordingReader& reader, uint32_t number, int& block, int& frame) {
  block = 0;
  while (block + 1 < reader.blockCount() && reader.framesInBlock(block) <= number) {
    number -= reader.framesInBlock(block);
    ++block;
  }
  frame = int(number);
}

}  // namespace

bool verifyRecording(RecordingReader& reader, VerificationResult& result, std::string& error,
                     const VerificationProgress& progress, const std::atomic<bool>* cancel) {
  result = VerificationResult{};
  result.framesIndexed = reader.frameCount();
  const int width = reader.pictureWidth(), height = reader.pictureHeight();
  PictureFrame packet(reader.sourceKey(), width > 0 ? width : 1, height > 0 ? height : 1);
  RecordingDecoder decoder;
  bool decoderMade = false;
  bool havePrevious = false;
  uint32_t previousStamp = 0;
  const DecodeContext context =
      reader.formatVersion == 8 ? DecodeContext::QuadPlayback : DecodeContext::PlayerWindow;

  for (;;) {
    if (cancel && cancel->load()) {
      result.stopped = true;
      break;
    }
    if (!reader.readFrame(packet)) {
      if (result.framesRead < result.framesIndexed) {
        VerificationFault f;
        f.number = result.framesRead;
        addressOf(reader, f.number, f.block, f.frame);
        f.reason = "unreadable";
        f.detail = reader.lastError();
        result.faults.push_back(f);
      }
      break;
    }
    ++result.framesRead;
    if (!decoderMade) {
      if (!openRecordingDecoder(reader, packet.flags, context, decoder, error)) return false;
      decoderMade = true;
    }
    VerificationFault f;
    f.block = packet.block;
    f.frame = packet.frameInBlock;
    f.number = reader.frameNumber(packet.block, packet.frameInBlock);
    f.hasTime = true;
    f.time = reader.secondsAt(packet.timeStamp);

    int32_t delay = 0;
    switch (decodeFrameOutcome(decoder, packet, true, delay)) {
      case FrameDecodeOutcome::Decoded:
        ++result.framesDecoded;
        break;
      case FrameDecodeOutcome::Failed:
        f.reason = "decode";
        f.detail = "the picture does not decode";
        result.faults.push_back(f);
        break;
      case FrameDecodeOutcome::NoPicture:
      case FrameDecodeOutcome::NotYetDue:
        break;
    }
    if (havePrevious && packet.timeStamp < previousStamp) {
      f.reason = "time";
      f.detail = "time stamp " + std::to_string(packet.timeStamp) + " comes before " +
                 std::to_string(previousStamp);
      result.faults.push_back(f);
    }
    havePrevious = true;
    previousStamp = packet.timeStamp;
    if (progress) progress(result.framesRead, result.framesIndexed);
  }
  return true;
}

}  // namespace kd
