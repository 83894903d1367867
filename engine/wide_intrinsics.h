// <immintrin.h> for the stretch's AVX2 and AVX-512 runs. Once the AVX-512
// intrinsics are inlined, GCC 12 reports their deliberately undefined
// pass-through operands as (maybe) uninitialized; they are never read.
#pragma once

#ifdef QUILLET_WIDE_VECTORS
#if defined(__clang__)
#include <immintrin.h>
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
#endif
