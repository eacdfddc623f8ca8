#pragma once
// The system's sound devices through Qt Multimedia (QAudioSink on whatever the system offers:
// PipeWire, PulseAudio or ALSA). They live in a module of their own (libkdqtaudio.so, beside the
// program), loaded on a worker at start-up so that the multimedia libraries do not delay it.
namespace kd {

// Registers the Qt devices as "qt" for systemAudioDevices(). Call once at start-up on the
// user-interface thread, before the first sound output is made; the sinks live on that thread.
void registerQtAudioDevices();

}  // namespace kd
