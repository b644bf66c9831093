// AVX2 pixel-span routines: the vector set's forms, 32 bytes at a time. This
// file is compiled with -mavx2 (deps.cmake) and runs only after the dispatch
// has seen AVX2 and the OS's saved YMM state; it includes no library headers
// whose inline code could be shared with the other files.
#include <immintrin.h>

#include "graphics/blend_simd_rows.h"
#include "graphics/pixel_formulas.h"
#include "graphics/pixel_sets.h"

namespace {

using V = __m256i;
constexpr size_t kBytes = 32;
inline V Load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
inline void Store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
inline V Zero() { return _mm256_setzero_si256(); }
inline V Set1_16(int x) { return _mm256_set1_epi16(short(x)); }
inline V And(V a, V b) { return _mm256_and_si256(a, b); }
inline V Xor(V a, V b) { return _mm256_xor_si256(a, b); }
inline V Set1_32(int x) { return _mm256_set1_epi32(x); }
inline V Or(V a, V b) { return _mm256_or_si256(a, b); }
inline V AndNot(V a, V b) { return _mm256_andnot_si256(a, b); }
// Source alpha in both 16-bit lanes of its pixel (index 0x80 gives 0).
inline V AlphaPairs(V sv) {
  const V idx = _mm256_setr_epi8(3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128,
                                 3, -128, 3, -128, 7, -128, 7, -128, 11, -128, 11, -128, 15, -128, 15, -128);
  return _mm256_shuffle_epi8(sv, idx);
}
// Every pixel's alpha 0, or every pixel's alpha 255.
inline bool AllAlphaZero(V sv) { return _mm256_testz_si256(sv, _mm256_set1_epi32(int(0xFF000000u))) != 0; }
inline bool AllAlphaFull(V sv) { return _mm256_testc_si256(sv, _mm256_set1_epi32(int(0xFF000000u))) != 0; }
// The eight mask weights of a block, read one by one: eight plain loads
// measured about twice as fast as a gather of them in the mask rows.
constexpr unsigned kEveryLane = 0xFFFFFFFFu;
inline V MaskWeightsOf(const uint8_t* m) {
  const int32_t* g = g_MaskWeights;
  return _mm256_setr_epi32(g[m[0]], g[m[4]], g[m[8]], g[m[12]], g[m[16]], g[m[20]], g[m[24]], g[m[28]]);
}
#define VOP(name) _mm256_##name
#include "graphics/pixel_simd_impl.h"

// Divide, dodge, burn and vivid light, computed: one channel of eight pixels
// at a time in float lanes. Every operand is a small integer, exact in a
// float, and the one division is correctly rounded, so the truncated quotient is
// exact wherever it matters: a true quotient q below 256 that is not whole
// lies at least 1/den (den <= 510) from the next integer, far more than the
// rounding error of a float near 256 (2^-15), and a q of 256 or more
// rounds to at least 256, which clamps to 255 as it should. This measured
// about twice as fast as gathering from the 64 KB tables.
inline __m256 F(int x) { return _mm256_set1_ps(float(x)); }
inline __m256 FMin(__m256 a, __m256 b) { return _mm256_min_ps(a, b); }
inline __m256 FMax(__m256 a, __m256 b) { return _mm256_max_ps(a, b); }

// f(s, d) of table mode kMode for s, d in 0..255 (float lanes), as 32-bit
// integers 0..255.
template <int kMode>
inline V TableModeLanes(__m256 s, __m256 d) {
  if constexpr (kMode == 4) {
    // 255s / d; d = 0 divides by 1/2 instead: 510s is 0 for s = 0, else
    // above 255.
    __m256 q = _mm256_div_ps(_mm256_mul_ps(s, F(255)), FMax(d, _mm256_set1_ps(0.5f)));
    return _mm256_cvttps_epi32(FMin(q, F(255)));
  } else if constexpr (kMode == 11) {
    __m256 q = _mm256_div_ps(_mm256_mul_ps(d, F(256)), _mm256_sub_ps(F(256), s));
    return _mm256_cvttps_epi32(FMin(q, F(255)));
  } else if constexpr (kMode == 12) {
    __m256 q = _mm256_div_ps(_mm256_mul_ps(_mm256_sub_ps(F(255), d), F(256)), _mm256_add_ps(s, F(1)));
    return _mm256_sub_epi32(Set1_32(255), _mm256_cvttps_epi32(FMin(q, F(255))));
  } else {
    static_assert(kMode == 16, "not a computed table mode");
    // s < 128: (510s + 255d - 65025) / 2s, floored at 0 (s = 0 gives at
    // most 0 over a tiny divisor: 0). s >= 128: 255d / (510 - 2s) capped at
    // 255, with 1/2 added to the dividend: it moves the quotient by less
    // than its distance to the next integer, and makes s = 255 (a tiny
    // divisor) give 255 even for d = 0.
    __m256 low = _mm256_cmp_ps(s, F(128), _CMP_LT_OQ);
    __m256 d255 = _mm256_mul_ps(d, F(255));
    __m256 numLow = _mm256_add_ps(_mm256_mul_ps(s, F(510)), _mm256_sub_ps(d255, F(65025)));
    __m256 num = _mm256_blendv_ps(_mm256_add_ps(d255, _mm256_set1_ps(0.5f)), numLow, low);
    __m256 s2 = _mm256_add_ps(s, s);
    __m256 den = _mm256_blendv_ps(_mm256_sub_ps(F(510), s2), s2, low);
    __m256 q = _mm256_div_ps(num, FMax(den, _mm256_set1_ps(1.0f / 1048576)));
    return _mm256_cvttps_epi32(FMin(FMax(q, _mm256_setzero_ps()), F(255)));
  }
}
template <int kChannel>
inline __m256 ChannelFloat(V v) {
  constexpr int kAt = 8 * kChannel;
  V c = kAt == 24 ? _mm256_srli_epi32(v, 24) : And(kAt ? _mm256_srli_epi32(v, kAt) : v, Set1_32(0xFF));
  return _mm256_cvtepi32_ps(c);
}
template <int kMode, int kChannel>
inline V TableModeChannel(V s, V d) {
  V r = TableModeLanes<kMode>(ChannelFloat<kChannel>(s), ChannelFloat<kChannel>(d));
  return kChannel ? _mm256_slli_epi32(r, 8 * kChannel) : r;
}

// Soft light stays a table lookup: its root, two floors and three selects
// per channel measured slower than gathering its table. The table is
// gathered one channel of eight pixels at a time at the index s * 256 + d
// built in each pixel's lane (a four-byte read, of which the low byte is
// kept; soft light's table is not the last one, so the read stays inside
// Blend_ModeLuts).
template <int kChannel>
inline V LutChannel(const int* base, V s, V d, V low, V high) {
  constexpr int kAt = 8 * kChannel;
  V si = kAt < 8 ? _mm256_slli_epi32(s, 8 - kAt) : _mm256_srli_epi32(s, kAt - 8);
  V idx = Or(And(si, high), And(_mm256_srli_epi32(d, kAt), low));
  V f = And(_mm256_i32gather_epi32(base, idx, 1), low);
  return kAt ? _mm256_slli_epi32(f, kAt) : f;
}

template <int kMode, int kChannels>
inline V TableModeBytes(V s, V d) {
  if constexpr (kMode == 15) {
    const int* base = reinterpret_cast<const int*>(Blend_ModeLuts[kMode - 3]);
    const V low = Set1_32(0xFF), high = Set1_32(0xFF00);
    V f = Or(Or(LutChannel<0>(base, s, d, low, high), LutChannel<1>(base, s, d, low, high)),
             LutChannel<2>(base, s, d, low, high));
    if constexpr (kChannels == 4) f = Or(f, LutChannel<3>(base, s, d, low, high));
    return f;
  } else {
    V f = Or(Or(TableModeChannel<kMode, 0>(s, d), TableModeChannel<kMode, 1>(s, d)),
             TableModeChannel<kMode, 2>(s, d));
    if constexpr (kChannels == 4) f = Or(f, TableModeChannel<kMode, 3>(s, d));
    return f;
  }
}
#include "graphics/blend_simd_impl.h"
#undef VOP

}  // namespace

void Blend_FillAvx2Rows(BlendRow* table) { FillBlendMode<0>(table); }

void Pix_FillAvx2Set(PixelOps* o) {
  Pix_FillSse2Set(o);  // slot 21 and the shared routines
  FillSimdSet(o);
}

// Eight RGB pixels (24 bytes, read as two 16-byte loads) per step. Writing
// pixel i's four bytes never reaches the source bytes of a later pixel (they
// start at w + 3i, past 4i), and each step loads before it stores, so the
// forward pass works in place.
void Pix_ExpandRgbRowAvx2(uint8_t* row, size_t w) {
  const uint8_t* src = row + w;
  const __m256i idx = _mm256_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128,
                                       2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
  const __m256i alpha = _mm256_set1_epi32(int(0xFF000000u));
  size_t i = 0;
  for (; i + 8 <= w; i += 8) {
    __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i + 12));
    __m256i v = _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    Store(row + 4 * i, _mm256_or_si256(_mm256_shuffle_epi8(v, idx), alpha));
  }
  for (; i < w; i++) {
    uint8_t r = src[3 * i], g = src[3 * i + 1], b = src[3 * i + 2];
    row[4 * i] = b, row[4 * i + 1] = g, row[4 * i + 2] = r, row[4 * i + 3] = 255;
  }
}

void Pix_SwapRedBlueRowAvx2(uint8_t* row, size_t w) {
  const __m256i idx = _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15,
                                       2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  size_t i = 0;
  for (; i + 8 <= w; i += 8) Store(row + 4 * i, _mm256_shuffle_epi8(Load(row + 4 * i), idx));
  for (; i < w; i++) {
    uint8_t r = row[4 * i];
    row[4 * i] = row[4 * i + 2], row[4 * i + 2] = r;
  }
}
