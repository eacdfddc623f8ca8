// The 8-bit loop filter built for AVX2 (this file only) and called only where the processor has
// it: the SSE2 kernels in the three-operand encoding.
#include "decode/avc/avc_simd.h"

#if KD_AVC_HAVE_AVX2
#define KD_AVC_BYTES_NAMESPACE avx2
#include "decode/avc/avc_loop_filter_bytes_kernels.h"
#endif
