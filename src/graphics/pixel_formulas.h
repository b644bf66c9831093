// Per-byte and per-pixel forms of the pixel-span routines. The scalar set is
// built from these, and the vector sets use them for the pixels that do not
// fill a whole vector, so a pixel's value never depends on its place in a
// row. Kept free of library templates: the AVX2 file includes it under its
// own instruction-set flags, and everything here has internal linkage.
#pragma once
#include <cstddef>
#include <cstdint>

namespace pixf {

// d + (((s - d) * op) >> 8), except that an opacity of exactly 128 gives the
// rounded average, as the vector rows' byte-average instruction does.
static inline uint8_t Lerp(uint32_t d, uint32_t s, uint32_t op) {
  if (op == 128) return uint8_t((d + s + 1) >> 1);
  return uint8_t((d * (256 - op) + s * op) >> 8);
}

// d + (((s - d) * w) >> 8) for a weight 0..256 (floor of the step).
static inline uint8_t Mix(uint32_t d, uint32_t s, uint32_t w) {
  return uint8_t((d * (256 - w) + s * w) >> 8);
}

// d - (((d - s) * w) >> 8): the mask row rounds its step toward d.
static inline uint8_t MixUp(uint32_t d, uint32_t s, uint32_t w) {
  return uint8_t((d * (256 - w) + s * w + 255) >> 8);
}

static inline uint8_t AddSat(uint32_t d, uint32_t s) {
  uint32_t v = d + s;
  return uint8_t(v > 255 ? 255 : v);
}
static inline uint8_t Div255(uint32_t x) { return uint8_t((x * 0x8081u) >> 23); }
static inline uint8_t Screen(uint32_t d, uint32_t s) {
  return uint8_t(s + d - Div255(s * d));
}
static inline uint8_t Clamp255(int32_t v) {
  return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Slot 10's form: min(255, d + ((s * op) >> 8)).
static inline uint8_t AddOp(uint32_t d, uint32_t s, uint32_t op) {
  return AddSat(d, (s * op) >> 8);
}
static inline uint8_t Avg(uint32_t a, uint32_t b) { return uint8_t((a + b + 1) >> 1); }

// One pixel of slots 5/6/11/12: colour bytes mixed toward f with weight w,
// alpha kept.
static inline void MixPixelBgr(uint8_t* d, const uint8_t* f, uint32_t w) {
  d[0] = Mix(d[0], f[0], w);
  d[1] = Mix(d[1], f[1], w);
  d[2] = Mix(d[2], f[2], w);
}

static inline void AlphaFullPx(uint8_t* d, const uint8_t* s) {
  MixPixelBgr(d, s, uint32_t(s[3]) + 1);
}
static inline void AlphaOpPx(uint8_t* d, const uint8_t* s, uint32_t op) {
  MixPixelBgr(d, s, ((s[3] * op) >> 8) + 1);
}
static inline void AddAlphaPx(uint8_t* d, const uint8_t* s, uint32_t w) {
  uint8_t f[3] = {AddSat(d[0], s[0]), AddSat(d[1], s[1]), AddSat(d[2], s[2])};
  MixPixelBgr(d, f, w);
}
// Slot 7: weight from the mask table; a weight of 1 or less leaves the pixel.
static inline void MaskPx(uint8_t* d, const uint8_t* s, int32_t w) {
  if (w <= 1) return;
  d[0] = MixUp(d[0], s[0], uint32_t(w));
  d[1] = MixUp(d[1], s[1], uint32_t(w));
  d[2] = MixUp(d[2], s[2], uint32_t(w));
}

// Slot 21's vector form: rounded average of the two rows, then of the two
// columns.
static inline void HalvePxAvg(uint8_t* d, const uint8_t* r1, const uint8_t* r2) {
  for (int c = 0; c < 4; c++) {
    uint8_t left = Avg(r1[c], r2[c]);
    uint8_t right = Avg(r1[4 + c], r2[4 + c]);
    d[c] = Avg(left, right);
  }
}

}  // namespace pixf
