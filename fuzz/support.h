#pragma once
// Shared pieces of the fuzz targets: inputs become files (the reader works on paths) in a
// per-process scratch folder on tmpfs when there is one.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kd::fuzz {

// Writes `data` to a scratch file whose name ends in `extension`; returns its path.
std::string writeScratchFile(const uint8_t* data, size_t size, const std::string& extension);

// The recording extensions, chosen by an input byte.
const char* extensionFor(uint8_t selector);

}  // namespace kd::fuzz
