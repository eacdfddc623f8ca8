#pragma once
// Whether the SIMD kernels exist in this build. Both the portable and the SIMD kernels are
// compiled where SIMD is available, so tests can hold them against each other; KD_SCALAR_ONLY
// makes the decoder call the portable ones.
#if defined(__SSE2__) || defined(_M_X64)
#define KD_AVC_HAVE_SSE2 1
#else
#define KD_AVC_HAVE_SSE2 0
#endif

#if KD_AVC_HAVE_SSE2 && !defined(KD_SCALAR_ONLY)
#define KD_AVC_USE_SSE2 1
#else
#define KD_AVC_USE_SSE2 0
#endif

// The AVX2 kernels are built (by the build system, for their own file) on x86-64 only and
// used where the processor has AVX2; elsewhere the SSE2 ones run.
#ifndef KD_AVC_HAVE_AVX2
#define KD_AVC_HAVE_AVX2 0
#endif

namespace kd::avc {
// True when the AVX2 kernels are built, allowed and the processor runs them.
bool avx2Usable();
}  // namespace kd::avc
