#pragma once
// kdtool synth --face: the generator's face files.
#include <string>
#include <vector>

namespace kd::cli {

// True when the synth arguments ask for a face file.
bool asksForFaceFile(const std::vector<std::string>& args);
int synthFaceFile(std::vector<std::string> args);

}  // namespace kd::cli
