// SSE2 pixel-span routines (levels 2 and 3).
#include <emmintrin.h>

#include "graphics/blend.h"
#include "graphics/pixel_formulas.h"
#include "graphics/pixel_sets.h"

namespace {

using V = __m128i;
constexpr size_t kBytes = 16;
inline V Load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
inline void Store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
inline V Zero() { return _mm_setzero_si128(); }
inline V Set1_16(int x) { return _mm_set1_epi16(short(x)); }
inline V And(V a, V b) { return _mm_and_si128(a, b); }
inline V Xor(V a, V b) { return _mm_xor_si128(a, b); }
inline V Set1_32(int x) { return _mm_set1_epi32(x); }
inline V Or(V a, V b) { return _mm_or_si128(a, b); }
inline V AndNot(V a, V b) { return _mm_andnot_si128(a, b); }
// Source alpha in both 16-bit lanes of its pixel.
inline V AlphaPairs(V sv) {
  V a = _mm_srli_epi32(sv, 24);
  return _mm_or_si128(a, _mm_slli_epi32(a, 16));
}
// Every pixel's alpha 0, or every pixel's alpha 255.
inline bool AllAlphaZero(V sv) {
  V a = _mm_and_si128(sv, _mm_set1_epi32(int(0xFF000000u)));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) == 0xFFFF;
}
inline bool AllAlphaFull(V sv) {
  V a = _mm_and_si128(sv, _mm_set1_epi32(int(0xFF000000u)));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_set1_epi32(int(0xFF000000u)))) == 0xFFFF;
}
// The mask weights of a block, one 32-bit lane per pixel, from the table
// (SSE2 has no 32-bit minimum or maximum for computing them from the rule).
constexpr unsigned kEveryLane = 0xFFFFu;
struct TableWeights {
  V operator()(const uint8_t* m) const {
    return _mm_setr_epi32(g_MaskWeights[m[0]], g_MaskWeights[m[4]], g_MaskWeights[m[8]], g_MaskWeights[m[12]]);
  }
};
template <class Body>
inline void WithMaskWeights(Body&& body) {
  body(TableWeights());
}
#define VOP(name) _mm_##name
#include "graphics/pixel_simd_impl.h"

// The blend rows' helpers: no gather instruction, so the mode tables are
// read a byte at a time.
// The table modes from their tables: interleaving d and s gives the 16-bit
// index s * 256 + d of each byte.
template <int kMode, int kChannels>
inline V TableModeBytes(V s, V d) {
  const uint8_t* lut = Blend_ModeLuts[kMode - 3];
  alignas(16) uint16_t idx[16];
  alignas(16) uint8_t out[16] = {};
  Store(idx, _mm_unpacklo_epi8(d, s));
  Store(idx + 8, _mm_unpackhi_epi8(d, s));
  for (int p = 0; p < 16; p += 4)
    for (int c = 0; c < kChannels; c++) out[p + c] = lut[idx[p + c]];
  return Load(out);
}
#include "graphics/blend_simd_impl.h"
#undef VOP

// Slot 21: rounded average of the two rows, then of each pixel pair.
void Halve(uint8_t* d, const uint8_t* s, size_t rowPixels, size_t dstPixels) {
  const uint8_t* r2 = s + rowPixels * 4;
  size_t x = 0;
  for (; x + 4 <= dstPixels; x += 4) {
    V a = _mm_avg_epu8(Load(s + x * 8), Load(r2 + x * 8));
    V b = _mm_avg_epu8(Load(s + x * 8 + 16), Load(r2 + x * 8 + 16));
    __m128 af = _mm_castsi128_ps(a), bf = _mm_castsi128_ps(b);
    V even = _mm_castps_si128(_mm_shuffle_ps(af, bf, _MM_SHUFFLE(2, 0, 2, 0)));
    V odd = _mm_castps_si128(_mm_shuffle_ps(af, bf, _MM_SHUFFLE(3, 1, 3, 1)));
    Store(d + x * 4, _mm_avg_epu8(even, odd));
  }
  for (; x < dstPixels; x++) pixf::HalvePxAvg(d + x * 4, s + x * 8, r2 + x * 8);
}

}  // namespace

void Blend_FillSse2Rows(BlendRow* table) { FillBlendMode<0>(table); }

void Pix_FillSse2Set(PixelOps* o) {
  Pix_FillScalarSet(o);
  FillSimdSet(o);
  o->halve = Halve;
}
