#pragma once
// FFmpeg as the outside reference for the sound codecs: encodes and decodes through the
// command-line tool in a temporary folder.
#include <cstdint>
#include <string>
#include <vector>

namespace kd::testing {

bool ffmpegAvailable();

// Encodes 8 kHz mono PCM with FFmpeg's G.726 encoder at 24 kbit/s, packed LSB first.
std::vector<uint8_t> ffmpegEncodeG726(const std::vector<int16_t>& pcm);
// Decodes LSB-first 24 kbit/s G.726 with FFmpeg.
std::vector<int16_t> ffmpegDecodeG726(const std::vector<uint8_t>& bytes);
// Decodes whole 508-byte IMA ADPCM blocks, wrapped in a WAV file that declares them. FFmpeg's
// WAV decoder rounds the step as ((2 × code + 1) × step) / 8, a few units off the shift-and-add
// rule, so it checks the block layout, not the arithmetic.
std::vector<int16_t> ffmpegDecodeIma(const std::vector<uint8_t>& blocks);
// Decodes a headerless IMA ADPCM stream, high nibble first, from predictor 0 and index 0, with
// FFmpeg's shift-and-add decoder (adpcm_ima_ssi).
std::vector<int16_t> ffmpegDecodeImaNibbles(const std::vector<uint8_t>& bytes);

// Little-endian 16-bit samples of a byte string.
std::vector<int16_t> samplesOf(const std::vector<uint8_t>& bytes);

}  // namespace kd::testing
