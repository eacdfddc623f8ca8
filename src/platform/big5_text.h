#pragma once
// The recorders' single-byte texts are Big5 (code page 950). Conversion to UTF-8 for display and
// output, and back when writing. ASCII passes unchanged; bytes that do not convert become U+FFFD
// (one per undecodable byte, so nothing is silently dropped); characters without a Big5 form
// become '?'.
#include <string>

namespace kd {

std::string big5ToUtf8(const std::string& big5);
std::string utf8ToBig5(const std::string& utf8);

}  // namespace kd
