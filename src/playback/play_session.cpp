#include "playback/play_session.h"

#include "recording/recording_reader.h"

namespace kd {

PlaySession::PlaySession(EngineClock& clock, PlayDecoderFactory decoders, PlaySoundFactory sound)
    : clock_(clock),
      player_(this, clock, std::move(decoders), std::move(sound)),
      fastScan_(clock, player_, [this] { onPlayerStopped(); }),
      navigation_(player_) {}

PlaySession::~PlaySession() {
  fastScan_.cancel();
  player_.close(false);
}

bool PlaySession::open(const std::string& path, int playbackSpeed) {
  stopped_ = false;
  openTick_ = clock_.now();
  if (!player_.open(path, 0, true)) return false;
  setPlaybackSpeed(playbackSpeed);
  return true;
}

void PlaySession::setPlaybackSpeed(int playbackSpeed) {
  fastScan_.setPlaybackSpeed(playbackSpeed);
  player_.setSpeed(FastScan::isScanSpeed(playbackSpeed) ? 0 : playbackSpeed);
}

void PlaySession::report(PlayEvent event) {
  event.tick = clock_.now() - openTick_;
  if (handler_) handler_(event);
}

PlayEvent PlaySession::frameEvent(PlayerNotifyCode code, PictureFrame& frame) {
  PlayEvent e;
  e.code = code;
  e.block = frame.block;
  e.frame = frame.frameInBlock;
  RecordingReader* reader = frame.reader();
  e.number = reader ? reader->frameNumber(frame.block, frame.frameInBlock) : 0;
  e.timeStamp = frame.timeStamp;
  e.flags = frame.flags;
  return e;
}

void PlaySession::onPlayerFrame(PictureFrame& frame) {
  report(frameEvent(PN_FRAME, frame));
  // The view: a pending step pauses first; otherwise the scan speeds pause for a hop.
  if (!navigation_.onFrameShown()) fastScan_.onFrameShown(frame);
}

void PlaySession::onPlayerMotion(const MotionZoneBlock& zones) {
  PlayEvent e;
  e.code = PN_MOTION;
  e.zones = zones;
  report(e);
}

void PlaySession::onPlayerScanFrame(PictureFrame& frame) {
  report(frameEvent(PN_SCAN_FRAME, frame));
}

void PlaySession::onPlayerStopped() {
  if (stopped_) return;
  stopped_ = true;
  fastScan_.cancel();
  player_.close(false);
  PlayEvent e;
  e.code = PN_STOPPED;
  report(e);
}

}  // namespace kd
