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
// Unpacking works per 16-byte lane: pixels 0, 1, 4, 5 go to the low result,
// 2, 3, 6, 7 to the high one.
inline V LoadWeightsLo(const uint64_t* w) {
  return _mm256_set_epi64x((long long)w[5], (long long)w[4], (long long)w[1], (long long)w[0]);
}
inline V LoadWeightsHi(const uint64_t* w) {
  return _mm256_set_epi64x((long long)w[7], (long long)w[6], (long long)w[3], (long long)w[2]);
}
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
#define VOP(name) _mm256_##name
#include "graphics/pixel_simd_impl.h"

// The blend rows' helpers, by gather: eight mask weights at once, and the
// mode tables at the 16-bit index s * 256 + d that interleaving d and s
// gives each byte (a four-byte read, of which the low byte is kept).
constexpr unsigned kEveryLane = 0xFFFFFFFFu;
inline V MaskWeightsOf(const uint8_t* m) {
  return _mm256_i32gather_epi32(reinterpret_cast<const int*>(g_MaskWeights), And(Load(m), Set1_32(0xFF)), 4);
}
inline V LutBytes(const uint8_t* lut, V s, V d) {
  const int* base = reinterpret_cast<const int*>(lut);
  const V lo = _mm256_unpacklo_epi8(d, s), hi = _mm256_unpackhi_epi8(d, s), z = Zero();
  const V low = Set1_32(0xFF);
  V g0 = And(_mm256_i32gather_epi32(base, _mm256_unpacklo_epi16(lo, z), 1), low);
  V g1 = And(_mm256_i32gather_epi32(base, _mm256_unpackhi_epi16(lo, z), 1), low);
  V g2 = And(_mm256_i32gather_epi32(base, _mm256_unpacklo_epi16(hi, z), 1), low);
  V g3 = And(_mm256_i32gather_epi32(base, _mm256_unpackhi_epi16(hi, z), 1), low);
  return _mm256_packus_epi16(_mm256_packus_epi32(g0, g1), _mm256_packus_epi32(g2, g3));
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
