// Flush denormals to zero while audio is processed, and give the caller back its own
// floating-point control state on the way out.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#include <xmmintrin.h>
#define VEMO_HAVE_MXCSR 1
#endif

namespace vemo {

class DenormalGuard {
public:
    DenormalGuard() {
#ifdef VEMO_HAVE_MXCSR
        saved_ = _mm_getcsr();
        _mm_setcsr(saved_ | 0x8040u);  // FTZ (bit 15) and DAZ (bit 6)
#endif
    }
    ~DenormalGuard() {
#ifdef VEMO_HAVE_MXCSR
        _mm_setcsr(saved_);
#endif
    }
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef VEMO_HAVE_MXCSR
    unsigned saved_ = 0;
#endif
};

}  // namespace vemo
