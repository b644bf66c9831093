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

// The blend rows' helpers. The eight mask weights of a block are read one by
// one: eight plain loads measured about twice as fast as a gather of them in
// the mask rows. The mode tables are gathered, one channel of eight pixels at
// a time, at the index s * 256 + d built in each pixel's lane (a four-byte
// read, of which the low byte is kept); that measured faster than reading
// them byte by byte.
constexpr unsigned kEveryLane = 0xFFFFFFFFu;
inline V MaskWeightsOf(const uint8_t* m) {
  const int32_t* g = g_MaskWeights;
  return _mm256_setr_epi32(g[m[0]], g[m[4]], g[m[8]], g[m[12]], g[m[16]], g[m[20]], g[m[24]], g[m[28]]);
}
template <int kChannel>
inline V LutChannel(const int* base, V s, V d, V low, V high) {
  constexpr int kAt = 8 * kChannel;
  V si = kAt < 8 ? _mm256_slli_epi32(s, 8 - kAt) : _mm256_srli_epi32(s, kAt - 8);
  V idx = Or(And(si, high), And(_mm256_srli_epi32(d, kAt), low));
  V f = And(_mm256_i32gather_epi32(base, idx, 1), low);
  return kAt ? _mm256_slli_epi32(f, kAt) : f;
}
template <int kChannels>
inline V LutBytes(const uint8_t* lut, V s, V d) {
  const int* base = reinterpret_cast<const int*>(lut);
  const V low = Set1_32(0xFF), high = Set1_32(0xFF00);
  V f = Or(Or(LutChannel<0>(base, s, d, low, high), LutChannel<1>(base, s, d, low, high)),
           LutChannel<2>(base, s, d, low, high));
  if constexpr (kChannels == 4) f = Or(f, LutChannel<3>(base, s, d, low, high));
  return f;
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
