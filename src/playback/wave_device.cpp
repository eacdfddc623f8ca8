#include "playback/wave_device.h"

#include <algorithm>
#include <map>

namespace kd {

namespace {

// The process-wide table of devices in use by a CWaveDevice, one per set of devices: made with
// the first CWaveDevice, freed with the last. All users are on the user-interface thread.
struct InUseTable {
  int users = 0;
  std::vector<bool> inUse;
};

std::map<const AudioDevices*, InUseTable>& inUseTables() {
  static std::map<const AudioDevices*, InUseTable> tables;
  return tables;
}

constexpr uint32_t kG726BytesPerBuffer = 360;
constexpr uint32_t kImaBlockBytes = 508;
constexpr uint32_t kImaHeaderBytes = 4;

}  // namespace

CWaveDevice::CWaveDevice(AudioDevices& devices) : devices_(devices) {
  InUseTable& table = inUseTables()[&devices_];
  if (table.users++ == 0) table.inUse.assign(size_t(std::max(devices_.count(), 0)), false);
}

CWaveDevice::~CWaveDevice() {
  close();
  auto it = inUseTables().find(&devices_);
  if (--it->second.users == 0) inUseTables().erase(it);
}

bool CWaveDevice::open(TaskPoster& ui, CompletionTarget target, int device, SoundFamily family) {
  if (isOpen()) return false;
  target_ = std::move(target);
  family_ = family;
  const std::vector<bool>& inUse = inUseTables()[&devices_].inUse;
  if (device >= 0) return openDevice(ui, device);
  for (int d = 0; d < int(inUse.size()); ++d) {
    if (openDevice(ui, d)) return true;
  }
  return false;
}

bool CWaveDevice::openDevice(TaskPoster& ui, int device) {
  std::vector<bool>& inUse = inUseTables()[&devices_].inUse;
  if (device >= int(inUse.size()) || inUse[size_t(device)]) return false;
  if (!devices_.acceptsFormat(device)) return false;
  sink_ = devices_.open(device, ui, [this](uint64_t tag) { onFinished(tag); });
  if (!sink_) return false;
  bufferBytes_ = family_ == SoundFamily::G726 ? kG726BufferBytes : kImaBufferBytes;
  headers_.assign(kBuffers, Header{});
  for (Header& h : headers_) h.samples.assign(bufferBytes_ / 2, 0);
  decoder_ = makeSoundDecoder(family_);
  sink_->setVolume(1.0);
  inUse[size_t(device)] = true;
  device_ = device;
  return true;
}

void CWaveDevice::close() {
  if (!isOpen()) return;
  sink_->reset();  // stops at once; reports still waiting are dropped
  sink_.reset();
  headers_.clear();
  decoder_.reset();
  std::vector<bool>& inUse = inUseTables()[&devices_].inUse;
  if (device_ < int(inUse.size())) inUse[size_t(device_)] = false;
  device_ = -1;
}

int CWaveDevice::queuedBuffers() const {
  return int(
      std::count_if(headers_.begin(), headers_.end(), [](const Header& h) { return h.queued; }));
}

bool CWaveDevice::fillG726(Header& header, const uint8_t*& input, uint32_t& remaining) {
  // Whole groups of 3 bytes (8 samples); a 1- or 2-byte tail cannot be decoded.
  const uint32_t bytes = std::min(remaining / 3 * 3, kG726BytesPerBuffer);
  if (bytes == 0) return false;
  size_t samples = 0;
  if (!decoder_->decode(input, bytes, header.samples.data(), samples)) return false;
  header.used = samples;
  input += bytes;
  remaining -= bytes;
  return true;
}

bool CWaveDevice::fillIma(Header& header, const uint8_t*& input, uint32_t& remaining) {
  const uint32_t bytes = std::min(remaining, kImaBlockBytes);
  if (bytes < kImaHeaderBytes) return false;
  size_t samples = 0;
  if (!decoder_->decode(input, bytes, header.samples.data(), samples)) return false;
  header.used = samples;
  input += bytes;
  remaining -= bytes;
  return true;
}

bool CWaveDevice::write(const uint8_t* payload, uint32_t length) {
  if (!isOpen() || !payload || length == 0) return false;
  const bool g726 = family_ == SoundFamily::G726;
  const uint32_t leftover = g726 ? 3 : kImaHeaderBytes;  // less than this cannot be played
  const uint8_t* input = payload;
  uint32_t remaining = length;
  for (int i = 0; i < kBuffers && remaining >= leftover; ++i) {
    Header& header = headers_[size_t(i)];
    if (header.queued) continue;
    const bool filled =
        g726 ? fillG726(header, input, remaining) : fillIma(header, input, remaining);
    if (!filled) return false;
    header.done = false;
    if (!sink_->queue(header.samples.data(), header.used, uint64_t(i))) return false;
    header.queued = true;
  }
  return remaining < leftover;
}

void CWaveDevice::onFinished(uint64_t tag) {
  if (tag >= headers_.size() || !headers_[size_t(tag)].queued) return;
  headers_[size_t(tag)].done = true;
  // A copy: the play window may close this device from its handler.
  const CompletionTarget target = target_;
  if (target) target(int(tag));
}

bool CWaveDevice::release(int buffer) {
  if (buffer < 0 || buffer >= int(headers_.size()) || !headers_[size_t(buffer)].done) {
    return false;
  }
  headers_[size_t(buffer)].queued = false;
  headers_[size_t(buffer)].done = false;
  return queuedBuffers() <= 1;
}

namespace {

// The play window's view of a CWaveDevice: each finished buffer is released, then reported.
class WaveDeviceOutput : public PlaySoundOutput {
 public:
  WaveDeviceOutput(AudioDevices& devices, SoundBufferDone done)
      : device_(devices), done_(std::move(done)) {}

  bool open(TaskPoster& ui, SoundFamily family) {
    return device_.open(
        ui,
        [this](int buffer) {
          const bool atMostOne = device_.release(buffer);
          // A copy: the handler may delete this output.
          const SoundBufferDone done = done_;
          if (done) done(atMostOne);
        },
        -1, family);
  }
  bool write(const uint8_t* payload, uint32_t length) override {
    return device_.write(payload, length);
  }

 private:
  CWaveDevice device_;
  SoundBufferDone done_;
};

}  // namespace

PlaySoundFactory waveDeviceSoundFactory(TaskPoster& ui, AudioDevices& devices) {
  return [&ui, &devices](SoundFamily family,
                         SoundBufferDone done) -> std::unique_ptr<PlaySoundOutput> {
    auto output = std::make_unique<WaveDeviceOutput>(devices, std::move(done));
    if (!output->open(ui, family)) return nullptr;
    return output;
  };
}

}  // namespace kd
