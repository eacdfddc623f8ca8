#include "playback/quad_session.h"

#include "recording/recording_info.h"

namespace kd {

QuadSession::QuadSession(EngineClock& clock, CQuadPlayWnd::Threading threading,
                         AudioDevices& devices)
    : clock_(clock), window_(clock, threading, devices) {
  for (int i = 0; i < CQuadPlayWnd::kChannels; ++i) {
    const uint32_t flags = QuadPane::kCaptionsWanted | (i == 0 ? QuadPane::kSoundPane : 0);
    panes_[i] = std::make_unique<Pane>(*this, i, flags);
  }
}

QuadSession::~QuadSession() {
  window_.destroy();
}

bool QuadSession::open(const std::vector<std::string>& paths, int speed, std::string& error) {
  if (paths.empty() || paths.size() > size_t(CQuadPlayWnd::kChannels)) {
    error = "one to four recordings play together";
    return false;
  }
  std::vector<std::string> channels = paths;
  RecordingInfo first;
  if (paths.size() == 1 && first.probe(paths[0]) && first.formatVersion == 8) {
    channels.assign(CQuadPlayWnd::kChannels, paths[0]);
  }
  window_.create();
  openTick_ = clock_.now();
  for (size_t i = 0; i < channels.size(); ++i) {
    if (!window_.openChannel(int(i), channels[i], panes_[i].get())) {
      error = window_.lastError();
      return false;
    }
    panes_[i]->opened = true;
    ++opened_;
  }
  window_.setSpeed(speed);
  return true;
}

bool QuadSession::openChannel(int channel, const std::string& path, int64_t moment,
                              std::string& error) {
  if (channel < 0 || channel >= CQuadPlayWnd::kChannels) {
    error = "no channel " + std::to_string(channel);
    return false;
  }
  if (opened_ == 0) {
    window_.create();
    openTick_ = clock_.now();
  }
  Pane& pane = *panes_[channel];
  if (!window_.openChannel(channel, path, &pane)) {
    error = window_.lastError();
    return false;
  }
  if (moment != 0 && !window_.setStartTime(channel, moment)) {
    window_.closeChannel(channel, false);
    error = path + ": ends before the moment asked for";
    return false;
  }
  if (!pane.opened) ++opened_;
  pane.opened = true;
  pane.stopped = false;
  return true;
}

bool QuadSession::allStopped() const {
  for (const auto& pane : panes_) {
    if (pane->opened && !pane->stopped) return false;
  }
  return true;
}

void QuadSession::report(int channel, PlayerNotifyCode code, const QuadPosition& position) {
  if (!handler_) return;
  QuadEvent e;
  e.tick = clock_.now() - openTick_;
  e.channel = channel;
  e.code = code;
  e.position = position;
  handler_(e);
}

void QuadSession::Pane::onQuadChannelReady(const QuadPosition& first) {
  session_.report(channel_, PN_CHANNEL_READY, first);
}

void QuadSession::Pane::onQuadFrame(const QuadPosition& shown) {
  session_.report(channel_, PN_FRAME, shown);
}

void QuadSession::Pane::onQuadStopped() {
  stopped = true;
  session_.report(channel_, PN_STOPPED, QuadPosition{});
}

}  // namespace kd
