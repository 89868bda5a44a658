#include "effects/fft.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// 256-bit paths where GCC can keep 32-byte stack alignment (not on Windows, where it cannot
// realign the stack for spilled registers).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#include <immintrin.h>
#define VEMO_FFT_WIDE 1
#endif

namespace vemo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Swaps each pair (i, bitrev(i)) once, moving whole complex values.
void bit_reverse(float* data, const FftTwiddles& tw) {
    for (int s = 0; s < tw.swap_count; s += 2) {
        float* a = data + 2 * tw.swaps[s];
        float* b = data + 2 * tw.swaps[s + 1];
        uint64_t va, vb;
        std::memcpy(&va, a, 8);
        std::memcpy(&vb, b, 8);
        std::memcpy(a, &vb, 8);
        std::memcpy(b, &va, 8);
    }
}

// One butterfly: t = b * u, b = a - t, a = a + t, in double, stored as floats.
inline void butterfly(float* a, float* b, double ur, double ui) {
    const double br = b[0], bi = b[1];
    const double tr = br * ur - bi * ui;
    const double ti = br * ui + bi * ur;
    const double ar = a[0], ai = a[1];
    b[0] = static_cast<float>(ar - tr);
    b[1] = static_cast<float>(ai - ti);
    a[0] = static_cast<float>(ar + tr);
    a[1] = static_cast<float>(ai + ti);
}

void stages_plain(float* data, int points, double s, const FftTwiddles& tw) {
    for (int group = 2; group <= points; group <<= 1) {
        const int half = group / 2;
        const double* ure = tw.re + 2 * (half - 1);
        const double* uim = tw.im + 2 * (half - 1);
        for (int start = 0; start < points; start += group) {
            float* a = data + 2 * start;
            for (int p = 0; p < half; ++p) butterfly(a + 2 * p, a + 2 * (half + p), ure[2 * p], s * uim[2 * p + 1]);
        }
    }
}

// The vector butterflies keep the real and imaginary parts in neighbouring lanes. Each lane
// performs the scalar operations exactly (br*ur + bi*(-ui) is br*ur - bi*ui, and
// bi*ur + br*ui is br*ui + bi*ur), so the results are bit for bit the scalar ones.
#if defined(__SSE2__)
inline __m128d load_pair(const float* p) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}
inline void store_pair(float* p, __m128d v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v)));
}

void stages_sse2(float* data, int points, bool inverse, const FftTwiddles& tw, int last_group) {
    const __m128d flip = inverse ? _mm_set1_pd(-0.0) : _mm_setzero_pd();
    for (int group = 2; group <= last_group; group <<= 1) {
        const int half = group / 2;
        const double* ure = tw.re + 2 * (half - 1);
        const double* uim = tw.im + 2 * (half - 1);
        for (int start = 0; start < points; start += group) {
            float* a = data + 2 * start;
            float* b = a + 2 * half;
            for (int p = 0; p < half; ++p) {
                const __m128d u_re = _mm_load_pd(ure + 2 * p);
                const __m128d u_im = _mm_xor_pd(_mm_load_pd(uim + 2 * p), flip);
                const __m128d bv = load_pair(b + 2 * p);
                const __m128d t = _mm_add_pd(_mm_mul_pd(bv, u_re), _mm_mul_pd(_mm_shuffle_pd(bv, bv, 1), u_im));
                const __m128d av = load_pair(a + 2 * p);
                store_pair(b + 2 * p, _mm_sub_pd(av, t));
                store_pair(a + 2 * p, _mm_add_pd(av, t));
            }
        }
    }
}
#endif

#if defined(VEMO_FFT_WIDE)
// Two butterflies per instruction: in the first stage those of two neighbouring groups, later
// two neighbouring positions of one group.
// `last_group` bounds the stages run (the whole transform: `points`); `points` is the block size.
__attribute__((target("avx"))) void stages_avx(float* data, int last_group, bool inverse, const FftTwiddles& tw,
                                               int points) {
    const __m256d flip = inverse ? _mm256_set1_pd(-0.0) : _mm256_setzero_pd();
    {
        const __m256d u_re = _mm256_set_m128d(_mm_load_pd(tw.re), _mm_load_pd(tw.re));
        const __m256d u_im = _mm256_xor_pd(_mm256_set_m128d(_mm_load_pd(tw.im), _mm_load_pd(tw.im)), flip);
        for (int start = 0; start < points; start += 4) {
            float* x = data + 2 * start;
            const __m128 lo = _mm_loadu_ps(x), hi = _mm_loadu_ps(x + 4);  // points 0,1 and 2,3
            const __m256d av = _mm256_cvtps_pd(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(1, 0, 1, 0)));
            const __m256d bv = _mm256_cvtps_pd(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 2, 3, 2)));
            const __m256d t =
                _mm256_add_pd(_mm256_mul_pd(bv, u_re), _mm256_mul_pd(_mm256_permute_pd(bv, 0x5), u_im));
            const __m128 a2 = _mm256_cvtpd_ps(_mm256_add_pd(av, t));  // new points 0 and 2
            const __m128 b2 = _mm256_cvtpd_ps(_mm256_sub_pd(av, t));  // new points 1 and 3
            _mm_storeu_ps(x, _mm_shuffle_ps(a2, b2, _MM_SHUFFLE(1, 0, 1, 0)));
            _mm_storeu_ps(x + 4, _mm_shuffle_ps(a2, b2, _MM_SHUFFLE(3, 2, 3, 2)));
        }
    }
    for (int group = 4; group <= last_group; group <<= 1) {
        const int half = group / 2;
        const double* ure = tw.re + 2 * (half - 1);
        const double* uim = tw.im + 2 * (half - 1);
        for (int start = 0; start < points; start += group) {
            float* a = data + 2 * start;
            float* b = a + 2 * half;
            for (int p = 0; p < half; p += 2) {
                const __m256d u_re = _mm256_loadu_pd(ure + 2 * p);
                const __m256d u_im = _mm256_xor_pd(_mm256_loadu_pd(uim + 2 * p), flip);
                const __m256d bv = _mm256_cvtps_pd(_mm_loadu_ps(b + 2 * p));
                const __m256d t =
                    _mm256_add_pd(_mm256_mul_pd(bv, u_re), _mm256_mul_pd(_mm256_permute_pd(bv, 0x5), u_im));
                const __m256d av = _mm256_cvtps_pd(_mm_loadu_ps(a + 2 * p));
                _mm_storeu_ps(b + 2 * p, _mm256_cvtpd_ps(_mm256_sub_pd(av, t)));
                _mm_storeu_ps(a + 2 * p, _mm256_cvtpd_ps(_mm256_add_pd(av, t)));
            }
        }
    }
}

// Four butterflies per instruction for the stages whose groups hold at least eight points; the
// two first stages run as in stages_avx. (The zero-masked conversions and permute are the plain
// ones: GCC 12's plain forms trip -Wmaybe-uninitialized inside its own header.)
__attribute__((target("avx512f"))) void stages_avx512(float* data, int points, bool inverse, const FftTwiddles& tw) {
    stages_avx(data, points < 4 ? points : 4, inverse, tw, points);
    const __m512d flip = inverse ? _mm512_set1_pd(-0.0) : _mm512_setzero_pd();
    for (int group = 8; group <= points; group <<= 1) {
        const int half = group / 2;
        const double* ure = tw.re + 2 * (half - 1);
        const double* uim = tw.im + 2 * (half - 1);
        for (int start = 0; start < points; start += group) {
            float* a = data + 2 * start;
            float* b = a + 2 * half;
            for (int p = 0; p < half; p += 4) {
                const __m512d u_re = _mm512_loadu_pd(ure + 2 * p);
                const __m512d u_im = _mm512_castsi512_pd(
                    _mm512_xor_si512(_mm512_castpd_si512(_mm512_loadu_pd(uim + 2 * p)), _mm512_castpd_si512(flip)));
                const __m512d bv = _mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(b + 2 * p));
                const __m512d t =
                    _mm512_add_pd(_mm512_mul_pd(bv, u_re), _mm512_mul_pd(_mm512_maskz_permute_pd(0xFF, bv, 0x55), u_im));
                const __m512d av = _mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(a + 2 * p));
                _mm256_storeu_ps(b + 2 * p, _mm512_maskz_cvtpd_ps(0xFF, _mm512_sub_pd(av, t)));
                _mm256_storeu_ps(a + 2 * p, _mm512_maskz_cvtpd_ps(0xFF, _mm512_add_pd(av, t)));
            }
        }
    }
}
#endif

}  // namespace

void fft_prepare(FftTwiddles& tw, int points) {
    tw.points = points;
    tw.swap_count = 0;
    for (int i = 1, j = 0; i < points; ++i) {
        int bit = points >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j |= bit;
        if (i < j) {
            tw.swaps[tw.swap_count++] = static_cast<uint16_t>(i);
            tw.swaps[tw.swap_count++] = static_cast<uint16_t>(j);
        }
    }
#if defined(VEMO_FFT_WIDE)
    tw.wide = __builtin_cpu_supports("avx");
    tw.wider = tw.wide && __builtin_cpu_supports("avx512f");
#endif
    for (int group = 2; group <= points; group <<= 1) {
        const int half = group / 2;
        const double arg = 2.0 * kPi / group;
        const double wr = std::cos(arg);
        const double wi = -std::sin(arg);
        double ur = 1.0, ui = 0.0;
        for (int p = 0; p < half; ++p) {
            double* re = tw.re + 2 * (half - 1 + p);
            double* im = tw.im + 2 * (half - 1 + p);
            re[0] = re[1] = ur;
            im[0] = -ui;
            im[1] = ui;
            const double next = ur * wr - ui * wi;
            ui = ur * wi + ui * wr;
            ur = next;
        }
    }
}

void fft(float* data, int points, int sign, const FftTwiddles& tw) {
    bit_reverse(data, tw);
#if defined(VEMO_FFT_WIDE) && defined(__SSE2__)
    if (tw.wider && points >= 8) {
        stages_avx512(data, points, sign > 0, tw);
        return;
    }
    if (tw.wide && points >= 4) {
        stages_avx(data, points, sign > 0, tw, points);
        return;
    }
#endif
#if defined(__SSE2__)
    stages_sse2(data, points, sign > 0, tw, points);
#else
    stages_plain(data, points, sign < 0 ? 1.0 : -1.0, tw);
#endif
}

void fft_plain(float* data, int points, int sign, const FftTwiddles& tw) {
    bit_reverse(data, tw);
    stages_plain(data, points, sign < 0 ? 1.0 : -1.0, tw);
}

}  // namespace vemo
