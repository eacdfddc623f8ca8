#pragma once
// The motion search options shared by kdtool motion and kdtool play: --zone L,T,R,B (repeated,
// up to three), --sensitivity 0-10 and --count N.
#include <string>
#include <vector>

#include "playback/motion_episodes.h"

namespace kd::cli {

// Fills `settings` from the raw argument list. False with `error` on a malformed or excess zone,
// sensitivity or count; no zone at all is left for the caller to judge.
bool readMotionSettings(const std::vector<std::string>& args, MotionSettings& settings,
                        std::string& error);

}  // namespace kd::cli
