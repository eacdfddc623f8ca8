#pragma once
// Decoders' diagnostic lines ("avcDecodeHeader error = %d" and the like). They go to standard
// output by default; kdtool sends them to standard error, tests may silence them.
#include <cstdio>

namespace kd {

void setDiagnosticStream(std::FILE* stream);  // nullptr silences
void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kd
