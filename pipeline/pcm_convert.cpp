// SPDX-License-Identifier: GPL-3.0-or-later
#include "pipeline/pcm_convert.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The reference formula for one sample; the vector path below gives the same bits.
inline int16_t ConvertOne(float x, bool &clipped) {
    const float t = x * 32767.0f + 0.5f;
    if (t >= 32768.0f) {
        clipped = true;
        return 32767;
    }
    if (!(t >= -32768.0f)) {  // also catches NaN
        clipped = true;
        return -32768;
    }
    return static_cast<int16_t>(std::floor(t));
}

// One channel into a contiguous run of samples.
bool ConvertPlane(const float *in, int frames, int16_t *out) {
    bool clipped = false;
    int j = 0;
#if defined(__SSE2__)
    const __m128 scale = _mm_set1_ps(32767.0f);
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 top = _mm_set1_ps(32767.0f);
    const __m128 bottom = _mm_set1_ps(-32768.0f);
    const __m128 overflow = _mm_set1_ps(32768.0f);
    __m128 clipMask = _mm_setzero_ps();
    for (; j + 8 <= frames; j += 8) {
        __m128i packed[2];
        for (int h = 0; h < 2; ++h) {
            const __m128 t = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(in + j + 4 * h), scale), half);
            // NaN compares unordered: it counts as clipped and _mm_max_ps, which returns
            // its second operand for NaN, maps it to the bottom.
            clipMask = _mm_or_ps(clipMask, _mm_cmpge_ps(t, overflow));
            clipMask = _mm_or_ps(clipMask, _mm_cmpnge_ps(t, bottom));
            const __m128 c = _mm_min_ps(_mm_max_ps(t, bottom), top);
            // floor = truncation, minus one where truncation went up (negative fractions).
            __m128i i = _mm_cvttps_epi32(c);
            const __m128 above = _mm_cmpgt_ps(_mm_cvtepi32_ps(i), c);
            i = _mm_add_epi32(i, _mm_castps_si128(above));
            packed[h] = i;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + j), _mm_packs_epi32(packed[0], packed[1]));
    }
    clipped = _mm_movemask_ps(clipMask) != 0;
#endif
    for (; j < frames; ++j) out[j] = ConvertOne(in[j], clipped);
    return clipped;
}

}  // namespace

bool ConvertFloatToPcm16(const float *const *planes, int channels, int frames, int16_t *out) {
    if (channels == 1) return ConvertPlane(planes[0], frames, out);
    bool clipped = false;
    int16_t plane[1024];
    for (int c = 0; c < channels; ++c) {
        for (int start = 0; start < frames; start += 1024) {
            const int count = frames - start < 1024 ? frames - start : 1024;
            clipped |= ConvertPlane(planes[c] + start, count, plane);
            int16_t *dst = out + static_cast<long>(start) * channels + c;
            for (int j = 0; j < count; ++j) dst[static_cast<long>(j) * channels] = plane[j];
        }
    }
    return clipped;
}
