#pragma once
// A minimal streaming JSON writer for kdtool's --json output (UTF-8 strings are escaped, not
// re-encoded).
#include <cstdint>
#include <string>
#include <vector>

namespace kd::cli {

class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(const std::string& name);
  JsonWriter& value(const std::string& text);
  JsonWriter& value(const char* text) { return value(std::string(text)); }
  JsonWriter& value(int64_t number);
  JsonWriter& value(uint64_t number);
  JsonWriter& value(int number) { return value(int64_t(number)); }
  JsonWriter& value(unsigned number) { return value(uint64_t(number)); }
  JsonWriter& value(double number);
  JsonWriter& value(bool flag);
  JsonWriter& null();
  const std::string& str() const { return out_; }

 private:
  void separate();
  std::string out_;
  std::vector<bool> first_;  // per open container: no element written yet
  bool afterKey_ = false;
};

std::string jsonEscape(const std::string& text);

}  // namespace kd::cli
