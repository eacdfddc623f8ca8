#pragma once
// Folders for the browser's tests, filled by the recording generator and the snapshot writer.
#include <cstdint>
#include <functional>
#include <string>

#include "recording/snapshot_image.h"
#include "synth/generator.h"

namespace kd::testing {

// A small generator recording (one block of two frames) at `path`; `tweak` adjusts the options.
void makeRecording(const std::string& path,
                   const std::function<void(GeneratorOptions&)>& tweak = {});
// Grows (or cuts) a file to exactly `bytes`: the header read only needs the front.
void setFileSize(const std::string& path, uint64_t bytes);
// An 8 × 4 snapshot written as `type` to `path`; `tweak` sets its metadata.
void makeSnapshot(const std::string& path, int type,
                  const std::function<void(SnapshotImage&)>& tweak = {});

// Times in a fixed zone, whatever the machine's: UTC+8 with no summer time.
void useTaipeiTime();

}  // namespace kd::testing
