// The 8-bit loop filter for every x86-64 processor (SSE2).
#include "decode/avc/avc_simd.h"

#if KD_AVC_HAVE_SSE2
#define KD_AVC_BYTES_NAMESPACE sse2
#include "decode/avc/avc_loop_filter_bytes_kernels.h"
#endif
