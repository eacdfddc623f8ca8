#include "app/font_warm_up.h"

#include <fontconfig/fontconfig.h>

namespace kd {

FontConfigWarmUp::FontConfigWarmUp() : worker_([] { FcInit(); }) {}

FontConfigWarmUp::~FontConfigWarmUp() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace kd
