#pragma once
// Loads the font configuration and its caches on a worker while the application object and the
// windows are made: the menu bar's first size needs the font database, which would otherwise load
// them on the user-interface thread. The loaded configuration is shared by the whole process.
#include <thread>

namespace kd {

class FontConfigWarmUp {
 public:
  FontConfigWarmUp();
  ~FontConfigWarmUp();  // waits for the worker
  FontConfigWarmUp(const FontConfigWarmUp&) = delete;
  FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

 private:
  std::thread worker_;
};

}  // namespace kd
