#pragma once

#if defined(__SSE__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#include <xmmintrin.h>
#define QV_DSP_HAS_MXCSR 1
#endif

namespace qv::dsp {

//! While alive, treats denormal floats as zero on this thread. A decaying filter or reverb tail
//! otherwise passes through denormal values, which many processors handle a hundred times slower.
//! Where the processor offers no such switch this does nothing.
class ScopedFlushDenormals {
 public:
#ifdef QV_DSP_HAS_MXCSR
  ScopedFlushDenormals() noexcept : m_saved(_mm_getcsr()) {
    _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
  }
  ~ScopedFlushDenormals() {
    _mm_setcsr(m_saved);
  }
#else
  ScopedFlushDenormals() noexcept = default;
#endif
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

 private:
#ifdef QV_DSP_HAS_MXCSR
  static constexpr unsigned int kFlushToZero = 0x8000;
  static constexpr unsigned int kDenormalsAreZero = 0x0040;
  unsigned int m_saved;
#endif
};

}  // namespace qv::dsp
