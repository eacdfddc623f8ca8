#include <dlfcn.h>

#include <filesystem>
#include <mutex>

#include "export/mp4_writer.h"

namespace kd {

namespace {

constexpr const char* kModuleName = "libkdmp4.so";
constexpr const char* kEntryPoint = "kdCreateMp4Writer";

using CreateWriter = Mp4Writer* (*)();

// Where the module is looked for: beside the program, then where the build put it.
std::vector<std::string> moduleCandidates() {
  std::vector<std::string> candidates;
  std::error_code error;
  const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) candidates.push_back((program.parent_path() / kModuleName).string());
#ifdef KD_MP4_MODULE
  candidates.push_back(KD_MP4_MODULE);
#endif
  return candidates;
}

// Loaded once and kept: writers made from it run its code until they are deleted.
CreateWriter loadModule(std::string& reasons) {
  for (const std::string& path : moduleCandidates()) {
    if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      if (auto create = reinterpret_cast<CreateWriter>(::dlsym(module, kEntryPoint))) return create;
      reasons += " " + path + ": no " + kEntryPoint + ";";
    } else {
      const char* why = ::dlerror();
      reasons += " " + path + ": " + (why ? why : "cannot be loaded") + ";";
    }
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<Mp4Writer> makeMp4Writer(std::string& error) {
  static std::once_flag once;
  static CreateWriter create = nullptr;
  static std::string reasons;
  std::call_once(once, [] { create = loadModule(reasons); });
  if (!create) {
    error = "the MP4 writer cannot be loaded:" + reasons;
    return nullptr;
  }
  return std::unique_ptr<Mp4Writer>(create());
}

}  // namespace kd
