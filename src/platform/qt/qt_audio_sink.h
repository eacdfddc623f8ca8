#pragma once
// The system's sound devices through Qt Multimedia (QAudioSink on whatever the system offers:
// PipeWire, PulseAudio or ALSA).
namespace kd {

// Registers the Qt devices as "qt" for systemAudioDevices(). Call once at start-up on the
// user-interface thread, before the first sound output is made; the sinks live on that thread.
void registerQtAudioDevices();

}  // namespace kd
