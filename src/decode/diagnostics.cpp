#include "decode/diagnostics.h"

#include <atomic>
#include <cstdarg>

namespace kd {

namespace {
std::atomic<std::FILE*> g_stream{stdout};
}

void setDiagnosticStream(std::FILE* stream) { g_stream.store(stream); }

void diagnostic(const char* format, ...) {
  std::FILE* stream = g_stream.load();
  if (!stream) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stream, format, args);
  va_end(args);
  std::fputc('\n', stream);
}

}  // namespace kd
