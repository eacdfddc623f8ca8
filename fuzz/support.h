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

namespace kd::fuzz {

// Runs a video decoder of `family` (0–8; −1: the legacy decoder, mode from the input) over the
// input: [size selector][options: bit 0 deblock, bit 1 flags bit 14, bit 2 legacy enlarging]
// then frames as [16-bit little-endian length][payload], at most 8 of them.
void fuzzVideoDecoder(int family, const uint8_t* data, size_t size);

// Runs a sound decoder (0 G.726, 1 IMA ADPCM) over the input split into payloads of the
// lengths the outputs use.
void fuzzSoundDecoder(int family, const uint8_t* data, size_t size);

}  // namespace kd::fuzz
