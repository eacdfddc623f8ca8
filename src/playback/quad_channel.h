#pragma once
// One channel of the four-channel play window. Every field is guarded by `lock`; the worker
// thread holds it for a whole step, commands and the sound management while they touch it.
#include <cstdint>
#include <memory>
#include <mutex>

#include "decode/dispatch/recording_decoder.h"
#include "playback/caption_info.h"
#include "playback/locked_audio_devices.h"
#include "playback/presenter.h"
#include "playback/quad_pane.h"
#include "playback/wave_out.h"
#include "recording/frame_packet.h"
#include "recording/recording_info.h"

namespace kd {

struct QuadChannel {
  std::mutex lock;
  uint32_t dueBase = 0;                 // tick count when the current interval began
  uint32_t interval = 0;                // speed-scaled milliseconds until the next frame
  std::unique_ptr<PictureFrame> frame;  // the next frame to show, with the reader attached
  QuadPane* pane = nullptr;
  std::unique_ptr<CWaveOut> sound;
  std::unique_ptr<LockedAudioDevices> soundDevices;  // the sound output's, reporting under `lock`
  std::unique_ptr<CaptionInfo> caption;
  std::unique_ptr<Presenter> presenter;
  RecordingDecoder decoder;
  std::unique_ptr<RecordingInfo> recording;
  bool hasPosition = false;
  QuadPosition position;    // the frame shown last
  int64_t pendingTime = 0;  // seconds; 0: none
  bool active = false;
  bool running = false;
  int width = 0;
  int height = 0;
  int32_t paneValue = 0;
  // Grows at every open and close, so a queued notification can tell it is stale.
  uint32_t generation = 0;
};

}  // namespace kd
