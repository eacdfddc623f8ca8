#include "catalog/catalog_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace kd::testing {

void makeRecording(const std::string& path, const std::function<void(GeneratorOptions&)>& tweak) {
  GeneratorOptions o;
  o.path = path;
  o.blocks = 1;
  o.framesPerBlock = 2;
  if (tweak) tweak(o);
  std::string error;
  ASSERT_TRUE(generateRecording(o, error)) << path << ": " << error;
}

void setFileSize(const std::string& path, uint64_t bytes) {
  std::filesystem::resize_file(path, bytes);
}

void makeSnapshot(const std::string& path, int type,
                  const std::function<void(SnapshotImage&)>& tweak) {
  SnapshotImage s;
  s.setPicture(8, 4, std::vector<uint8_t>(8 * 4 * 3, 90));
  if (tweak) tweak(s);
  ASSERT_TRUE(s.save(type, path)) << s.lastError();
  ASSERT_EQ(s.path(), path);
}

void useTaipeiTime() {
  ::setenv("TZ", "CST-8", 1);
  ::tzset();
}

}  // namespace kd::testing
