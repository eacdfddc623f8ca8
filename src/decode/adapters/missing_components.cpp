#include "decode/adapters/missing_components.h"

#include "decode/adapters/xvid_adapter.h"

namespace kd {

namespace {

const char* componentName(int family) {
  switch (family) {
    case 3:
      return "MPEG-4 through the platform media object";
    case 6:  // only when the build found no xvidcore
      return xvidDecoderAvailable() ? nullptr : "xvidcore MPEG-4";
    case 7:
      return "network camera stream library";
    case 8:
      return "media viewer control";
    default:
      return nullptr;
  }
}

}  // namespace

bool needsMissingComponent(int family) {
  return componentName(family) != nullptr;
}

std::string missingComponentReason(int family) {
  const char* name = componentName(family);
  if (!name) return {};
  return "codec family " + std::to_string(family) + " (" + name +
         ") needs a component not available on this system";
}

}  // namespace kd
