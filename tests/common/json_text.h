#pragma once
// Reading kdtool's flat JSON output in tests without a JSON library (and without <regex>, whose
// templates cost half a minute of compile time per file under the sanitizers).
#include <cctype>
#include <string>
#include <vector>

namespace kd::testing {

// The integer after the first "key": in a JSON text; -999999 when there is none.
inline long long jsonInt(const std::string& json, const std::string& key) {
  const std::string tag = "\"" + key + "\":";
  for (size_t at = json.find(tag); at != std::string::npos; at = json.find(tag, at + 1)) {
    size_t p = at + tag.size();
    const bool negative = p < json.size() && json[p] == '-';
    if (negative) ++p;
    if (p >= json.size() || !std::isdigit(static_cast<unsigned char>(json[p]))) continue;
    long long value = 0;
    while (p < json.size() && std::isdigit(static_cast<unsigned char>(json[p])))
      value = value * 10 + (json[p++] - '0');
    return negative ? -value : value;
  }
  return -999999;
}

// The innermost objects ({...} holding no other braces) of a JSON text, in order.
inline std::vector<std::string> jsonObjects(const std::string& json) {
  std::vector<std::string> out;
  size_t open = std::string::npos;
  for (size_t i = 0; i < json.size(); ++i) {
    if (json[i] == '{') {
      open = i;
    } else if (json[i] == '}' && open != std::string::npos) {
      out.push_back(json.substr(open, i - open + 1));
      open = std::string::npos;
    }
  }
  return out;
}

}  // namespace kd::testing
