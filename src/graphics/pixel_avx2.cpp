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
constexpr unsigned kEveryLane = 0xFFFFFFFFu;
// The eight mask weights of a block from the table, read one by one: eight
// plain loads measured about twice as fast as a gather of them.
struct TableWeights {
  V operator()(const uint8_t* m) const {
    const int32_t* g = g_MaskWeights;
    return _mm256_setr_epi32(g[m[0]], g[m[4]], g[m[8]], g[m[12]], g[m[16]], g[m[20]], g[m[24]], g[m[28]]);
  }
};
// The same weights computed from g_MaskWeightRule, about twice as fast as
// the table in the mask rows. Each pixel's mask byte is the low byte of its
// 32-bit lane; both products have 16-bit factors (the byte and the slope,
// 1..256 and the opacity), so one multiply-add gives each. The rule's x + 1
// is taken as one sum, clamped to 1..256.
struct RuleWeights {
  V low = Set1_32(0xFF), one = Set1_32(1), top = Set1_32(256), slope, offset, opacity;
  explicit RuleWeights(const MaskWeightRule& r)
      : slope(Set1_32(r.slope & 0xFFFF)), offset(Set1_32(r.offset + 1)), opacity(Set1_32(r.opacity)) {
    __asm__("" : "+x"(low), "+x"(one), "+x"(top), "+x"(slope), "+x"(offset), "+x"(opacity));
  }
  V operator()(const uint8_t* m) const {
    V x = _mm256_srai_epi32(_mm256_madd_epi16(And(Load(m), low), slope), 1);
    x = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(x, offset), one), top);
    return _mm256_srli_epi32(_mm256_madd_epi16(x, opacity), 8);
  }
};
// Calls body with the weight source of this block loop: the rule where the
// table has one, else the table.
template <class Body>
inline void WithMaskWeights(Body&& body) {
  if (g_MaskWeightRule.set) body(RuleWeights(g_MaskWeightRule));
  else body(TableWeights());
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

// Soft light, d + ((s - 128) * k >> shift) clamped, without its root. For
// every case but a bright source over a dark destination, k is 16384 less
// c, the root of 256 - d rounded up (1..16), whose share of the product is
// too small to reach the next integer: for s < 128 (shift 15) the step is
// floor((s - 128) / 2), and for s > 128 over d > 32 (shift 16) it is
// floor((s - 129) / 4). Over d <= 32 a bright source takes k from a table
// of those 33 values, looked up with byte shuffles, and (s - 128) * k >> 15
// is the high half of 2(s - 128) * k.
// Every constant of the soft light rows, in memory (filled once, by
// Blend_FillAvx2Rows): the rows read them as operands, where constants built
// in registers would be built again for every block.
struct SoftLightConsts {
  V lo[2], hi[2];  // k's low and high bytes for d = 0..15 and 16..31
  V lo32, hi32;    // k's bytes at d = 32
  V byte32, word128, word1, word33, word255, lowBytes, highBytes;
};
SoftLightConsts g_SoftLight;
void FillSoftLightConsts() {
  SoftLightConsts& c = g_SoftLight;
  alignas(32) uint8_t lo[2][32], hi[2][32];
  for (int half = 0; half < 2; half++)
    for (int i = 0; i < 32; i++) {
      int k = Blend_SoftLightBrightK(16 * half + i % 16);
      lo[half][i] = uint8_t(k), hi[half][i] = uint8_t(k >> 8);
    }
  for (int half = 0; half < 2; half++) c.lo[half] = Load(lo[half]), c.hi[half] = Load(hi[half]);
  int k32 = Blend_SoftLightBrightK(32);
  c.lo32 = _mm256_set1_epi8(char(k32 & 255)), c.hi32 = _mm256_set1_epi8(char(k32 >> 8));
  c.byte32 = _mm256_set1_epi8(32), c.word128 = Set1_16(128), c.word1 = Set1_16(1);
  c.word33 = Set1_16(33), c.word255 = Set1_16(255);
  c.lowBytes = Set1_32(0x00FF00FF), c.highBytes = Set1_32(int(0xFF00FF00u));
}
__attribute__((always_inline)) inline V SoftLightLanes(V s, V d, V k) {
  const SoftLightConsts& c = g_SoftLight;
  V t = _mm256_sub_epi16(s, c.word128);
  V low = _mm256_srai_epi16(t, 1);
  V high = _mm256_srai_epi16(_mm256_sub_epi16(t, c.word1), 2);
  V dark = _mm256_mulhi_epu16(_mm256_add_epi16(t, t), k);
  V bright = _mm256_cmpgt_epi16(t, Zero()), overDark = _mm256_cmpgt_epi16(c.word33, d);
  V step = _mm256_blendv_epi8(low, _mm256_blendv_epi8(high, dark, overDark), bright);
  return _mm256_min_epi16(_mm256_max_epi16(_mm256_add_epi16(d, step), Zero()), c.word255);
}
// Inlined by force: as a call, each block spills its vectors around it.
__attribute__((always_inline)) inline V SoftLightBytes(V s, V d) {
  const SoftLightConsts& c = g_SoftLight;
  V bit4 = _mm256_slli_epi16(d, 3);  // each byte's bit 4 in its top bit
  V is32 = _mm256_cmpeq_epi8(d, c.byte32);
  V klo = _mm256_blendv_epi8(_mm256_shuffle_epi8(c.lo[0], d), _mm256_shuffle_epi8(c.lo[1], d), bit4);
  V khi = _mm256_blendv_epi8(_mm256_shuffle_epi8(c.hi[0], d), _mm256_shuffle_epi8(c.hi[1], d), bit4);
  klo = _mm256_blendv_epi8(klo, c.lo32, is32);
  khi = _mm256_blendv_epi8(khi, c.hi32, is32);
  V kE = Or(And(klo, c.lowBytes), _mm256_slli_epi16(khi, 8));
  V kO = Or(_mm256_srli_epi16(klo, 8), And(khi, c.highBytes));
  V rE = SoftLightLanes(And(s, c.lowBytes), And(d, c.lowBytes), kE);
  V rO = SoftLightLanes(_mm256_srli_epi16(s, 8), _mm256_srli_epi16(d, 8), kO);
  return Or(rE, _mm256_slli_epi16(rO, 8));
}

template <int kMode, int kChannels>
inline V TableModeBytes(V s, V d) {
  if constexpr (kMode == 15) {
    return SoftLightBytes(s, d);
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

void Blend_FillAvx2Rows(BlendRow* table) {
  FillSoftLightConsts();
  FillBlendMode<0>(table);
}

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
