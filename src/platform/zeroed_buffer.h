#pragma once
// A byte buffer that starts as zeros without being written: large blocks come from the system
// already zeroed, so their pages are touched only as the buffer is used. Picture and packet
// buffers are sized for the largest frame, and touching all of them at once costs start-up time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace kd {

struct FreeDeleter {
  void operator()(uint8_t* bytes) const { std::free(bytes); }
};

using ZeroedBuffer = std::unique_ptr<uint8_t[], FreeDeleter>;

inline ZeroedBuffer makeZeroedBuffer(size_t size) {
  auto* bytes = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
  if (!bytes) throw std::bad_alloc();
  return ZeroedBuffer(bytes);
}

}  // namespace kd
