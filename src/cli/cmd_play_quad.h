#pragma once
// kdtool play --quad: the four-channel play window's schedule, headless.
#include "cli/command.h"

namespace kd::cli {

int runQuadPlay(const Options& options);

}  // namespace kd::cli
