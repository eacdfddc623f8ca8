#pragma once
// How long the process has run: for the first-picture trace of the start-up benchmark.
namespace kd {

// Milliseconds since the kernel started this process (its start time in /proc), or since the
// first call where that cannot be read.
long long millisecondsSinceProcessStart();

// With KD_TRACE_FIRST_PICTURE set, prints "NAME: N ms" on stderr (the start-up's stages).
void traceStartUp(const char* name);

}  // namespace kd
