#include "platform/audio_sink.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/null_audio_sink.h"

namespace kd {

namespace {

// No device: every open fails.
class NoAudioDevices : public AudioDevices {
 public:
  int count() const override { return 0; }
  bool acceptsFormat(int) const override { return false; }
  std::unique_ptr<AudioSink> open(int, TaskPoster&, AudioSink::BufferDone) override {
    return nullptr;
  }
};

using DevicesMaker = std::function<std::unique_ptr<AudioDevices>()>;

std::mutex& registryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::string, DevicesMaker>& registry() {
  static std::map<std::string, DevicesMaker> makers;
  return makers;
}

std::unique_ptr<AudioDevices> chooseDevices() {
  const char* env = std::getenv("KD_AUDIO_SINK");
  const std::string name = env && *env ? env : "qt";
  if (name == "null") return std::make_unique<NullAudioDevices>(1);
  std::lock_guard<std::mutex> lock(registryMutex());
  auto it = registry().find(name);
  if (it != registry().end()) return it->second();
  return std::make_unique<NoAudioDevices>();
}

}  // namespace

AudioDevices& systemAudioDevices() {
  static const std::unique_ptr<AudioDevices> devices = chooseDevices();
  return *devices;
}

void registerAudioDevices(const std::string& name, DevicesMaker make) {
  std::lock_guard<std::mutex> lock(registryMutex());
  registry()[name] = std::move(make);
}

BufferReporter::BufferReporter(TaskPoster& ui, AudioSink::BufferDone done)
    : ui_(ui), shared_(std::make_shared<Shared>()) {
  shared_->done = std::move(done);
}

BufferReporter::~BufferReporter() {
  shared_->open = false;
}

void BufferReporter::report(uint64_t tag) {
  const uint64_t generation = shared_->generation.load();
  ui_.post([shared = shared_, generation, tag] {
    if (shared->open && shared->generation.load() == generation && shared->done) {
      shared->done(tag);
    }
  });
}

void BufferReporter::cancelPending() {
  ++shared_->generation;
}

}  // namespace kd
