#include "platform/null_audio_sink.h"

#include <algorithm>

namespace kd {

NullAudioSink::NullAudioSink(TaskPoster& ui, BufferDone done)
    : reporter_(ui, std::move(done)), thread_([this] { play(); }) {}

NullAudioSink::~NullAudioSink() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    buffers_.clear();
    reporter_.cancelPending();
  }
  changed_.notify_all();
  thread_.join();
}

bool NullAudioSink::queue(const int16_t* samples, size_t count, uint64_t tag) {
  if (!samples || count == 0) return false;
  const auto duration = std::chrono::microseconds(count * 1000000 / kAudioSampleRate);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Back to back after the last queued buffer, or from now when the queue ran dry.
    const Clock::time_point start =
        buffers_.empty() ? Clock::now() : std::max(Clock::now(), buffers_.back().end);
    buffers_.push_back(Buffer{tag, start + duration});
  }
  changed_.notify_all();
  return true;
}

void NullAudioSink::reset() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    buffers_.clear();
    reporter_.cancelPending();
  }
  changed_.notify_all();
}

void NullAudioSink::play() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (buffers_.empty()) {
      changed_.wait(lock);
      continue;
    }
    const Clock::time_point end = buffers_.front().end;
    if (Clock::now() < end) {
      changed_.wait_until(lock, end);
      continue;
    }
    // Reported under the lock, so a reset either drops the buffer or cancels the report.
    reporter_.report(buffers_.front().tag);
    buffers_.pop_front();
  }
}

std::unique_ptr<AudioSink> NullAudioDevices::open(int index, TaskPoster& ui,
                                                  AudioSink::BufferDone done) {
  if (!acceptsFormat(index)) return nullptr;
  return std::make_unique<NullAudioSink>(ui, std::move(done));
}

}  // namespace kd
