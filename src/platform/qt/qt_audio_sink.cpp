#include "platform/qt/qt_audio_sink.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "platform/audio_sink.h"

namespace kd {

namespace {

constexpr const char* kModuleName = "libkdqtaudio.so";
constexpr const char* kEntryPoint = "kdCreateQtAudioDevices";

using CreateDevices = AudioDevices* (*)();

// Where the module is looked for: beside the program, then where the build put it.
std::vector<std::string> moduleCandidates() {
  std::vector<std::string> candidates;
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) candidates.push_back((program.parent_path() / kModuleName).string());
#ifdef KD_QT_AUDIO_MODULE
  candidates.push_back(KD_QT_AUDIO_MODULE);
#endif
  return candidates;
}

CreateDevices loadModule() {
  std::string reasons;
  for (const std::string& path : moduleCandidates()) {
    if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      if (auto create = reinterpret_cast<CreateDevices>(::dlsym(module, kEntryPoint)))
        return create;
      reasons += "\n  " + path + ": no " + kEntryPoint;
    } else {
      const char* why = ::dlerror();
      reasons += "\n  " + path + ": " + (why ? why : "cannot be loaded");
    }
  }
  std::fprintf(stderr, "kdplayer: the sound module cannot be loaded, playing silently:%s\n",
               reasons.c_str());
  return nullptr;
}

std::shared_future<CreateDevices>& pendingModule() {
  static std::shared_future<CreateDevices> module;
  return module;
}

// The module's devices, made at their first use rather than when the player's objects are built:
// the module is then usually loaded, and the sound system is asked for its devices only when a
// recording with sound needs them. Without the module there are none, and playback is silent.
class LazyQtDevices : public AudioDevices {
 public:
  int count() const override { return real() ? real()->count() : 0; }
  bool acceptsFormat(int index) const override { return real() && real()->acceptsFormat(index); }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override {
    return real() ? real()->open(index, ui, std::move(done)) : nullptr;
  }

 private:
  AudioDevices* real() const {
    if (!resolved_) {
      resolved_ = true;
      if (const CreateDevices create = pendingModule().get()) devices_.reset(create());
    }
    return devices_.get();
  }
  mutable bool resolved_ = false;
  mutable std::unique_ptr<AudioDevices> devices_;
};

}  // namespace

void registerQtAudioDevices() {
  // Loaded on a worker while the windows are made: the first sound output waits for it only if
  // it comes first. Nothing is loaded when another sound output was chosen.
  const char* chosen = std::getenv("KD_AUDIO_SINK");
  if (chosen && *chosen && std::string(chosen) != "qt") return;
  pendingModule() = std::async(std::launch::async, loadModule).share();
  registerAudioDevices("qt", [] { return std::make_unique<LazyQtDevices>(); });
}

}  // namespace kd
