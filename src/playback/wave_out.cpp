#include "playback/wave_out.h"

#include <algorithm>

namespace kd {

bool CWaveOut::open(TaskPoster& ui, CompletionTarget target, SoundFamily family) {
  if (isOpen()) return true;
  for (int d = 0; d < devices_.count() && !sink_; ++d) {
    if (devices_.acceptsFormat(d)) {
      sink_ = devices_.open(d, ui, [this](uint64_t tag) { onFinished(tag); });
    }
  }
  if (!sink_) return false;
  target_ = std::move(target);
  headers_.assign(kBuffers, Header{});
  for (Header& h : headers_) h.samples.assign(kBufferSamples, 0);
  decoder_ = makeSoundDecoder(family);
  decoder_->reset();
  return true;
}

void CWaveOut::close() {
  if (!isOpen()) return;
  sink_->reset();
  sink_.reset();
  headers_.clear();
  decoder_.reset();
}

int CWaveOut::queuedBuffers() const {
  return int(
      std::count_if(headers_.begin(), headers_.end(), [](const Header& h) { return h.queued; }));
}

bool CWaveOut::write(const uint8_t* payload, uint32_t length) {
  if (!isOpen() || !payload || length == 0) return false;
  // Decoded whole first (in as many decoder calls as its input limit needs), then spread over
  // the free buffers.
  decoded_.clear();
  if (!decodeSoundPayload(*decoder_, payload, length, decoded_)) return false;
  size_t next = 0;
  for (int i = 0; i < kBuffers && next < decoded_.size(); ++i) {
    Header& header = headers_[size_t(i)];
    if (header.queued) continue;
    const size_t n = std::min(decoded_.size() - next, kBufferSamples);
    std::copy_n(decoded_.begin() + ptrdiff_t(next), n, header.samples.begin());
    header.done = false;
    if (!sink_->queue(header.samples.data(), n, uint64_t(i))) return false;
    header.queued = true;
    next += n;
  }
  return next == decoded_.size();
}

void CWaveOut::onFinished(uint64_t tag) {
  if (tag >= headers_.size() || !headers_[size_t(tag)].queued) return;
  headers_[size_t(tag)].done = true;
  const CompletionTarget target = target_;  // the handler may close this output
  if (target) target(int(tag));
}

bool CWaveOut::release(int buffer) {
  if (buffer < 0 || buffer >= int(headers_.size()) || !headers_[size_t(buffer)].done) {
    return false;
  }
  headers_[size_t(buffer)].queued = false;
  headers_[size_t(buffer)].done = false;
  return queuedBuffers() <= 1;
}

}  // namespace kd
