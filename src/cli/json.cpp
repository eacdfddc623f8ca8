#include "cli/json.h"

#include <cinttypes>
#include <cstdio>

namespace kd::cli {

std::string jsonEscape(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

void JsonWriter::separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!first_.empty()) {
    if (!first_.back()) out_ += ",";
    first_.back() = false;
  }
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_ += "{";
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::endObject() {
  first_.pop_back();
  out_ += "}";
  return *this;
}
JsonWriter& JsonWriter::beginArray() {
  separate();
  out_ += "[";
  first_.push_back(true);
  return *this;
}
JsonWriter& JsonWriter::endArray() {
  first_.pop_back();
  out_ += "]";
  return *this;
}
JsonWriter& JsonWriter::key(const std::string& name) {
  separate();
  out_ += jsonEscape(name) + ":";
  afterKey_ = true;
  return *this;
}
JsonWriter& JsonWriter::value(const std::string& text) {
  separate();
  out_ += jsonEscape(text);
  return *this;
}
JsonWriter& JsonWriter::value(int64_t number) {
  separate();
  out_ += std::to_string(number);
  return *this;
}
JsonWriter& JsonWriter::value(uint64_t number) {
  separate();
  out_ += std::to_string(number);
  return *this;
}
JsonWriter& JsonWriter::value(double number) {
  separate();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", number);
  out_ += buf;
  return *this;
}
JsonWriter& JsonWriter::value(bool flag) {
  separate();
  out_ += flag ? "true" : "false";
  return *this;
}
JsonWriter& JsonWriter::null() {
  separate();
  out_ += "null";
  return *this;
}

}  // namespace kd::cli
