// Scalar pixel-span routines: the reference set (level 1) and the routines
// that every set shares (slots 22 to 25 and the plain memory ones).
#include <cstring>

#include "graphics/blend.h"
#include "graphics/pixel_formulas.h"
#include "graphics/pixel_sets.h"

namespace {

using namespace pixf;

void ZeroFill(void* dst, size_t n) { std::memset(dst, 0, n); }
void ByteFill(void* dst, size_t n, uint8_t v) { std::memset(dst, v, n); }
void WordFill(void* dst, size_t n, uint32_t v) {
  uint8_t* p = static_cast<uint8_t*>(dst);
  for (size_t i = 0; i + 4 <= n; i += 4) std::memcpy(p + i, &v, 4);
}
void Copy(void* dst, const void* src, size_t n) { std::memcpy(dst, src, n); }

void NormalOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Lerp(d[i], s[i], uint32_t(op));
}
void AlphaFull(uint8_t* d, const uint8_t* s, int, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) AlphaFullPx(d + i, s + i);
}
void AlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) AlphaOpPx(d + i, s + i, uint32_t(op));
}
void MaskFull(uint8_t* d, const uint8_t* s, const uint8_t* m, int, int, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) MaskPx(d + i, s + i, g_MaskWeights[m[i]]);
}
void CrossFade(uint8_t* d, const uint8_t* a, const uint8_t* b, int op, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Lerp(a[i], b[i], uint32_t(op));
}
void AddFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = AddSat(d[i], s[i]);
}
void AddOpRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = AddOp(d[i], s[i], uint32_t(op));
}
void AddAlphaFull(uint8_t* d, const uint8_t* s, int, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) AddAlphaPx(d + i, s + i, uint32_t(s[i + 3]) + 1);
}
void AddAlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4)
    AddAlphaPx(d + i, s + i, (uint32_t(op) * (uint32_t(s[i + 3]) + 1)) >> 8);
}
void SubFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = s[i] > d[i] ? uint8_t(s[i] - d[i]) : 0;
}
void MulFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Div255(uint32_t(s[i]) * d[i]);
}
void ScreenFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Screen(d[i], s[i]);
}
void ScreenOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Mix(d[i], Screen(d[i], s[i]), uint32_t(op));
}
void LightenFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = s[i] > d[i] ? s[i] : d[i];
}
void DarkenFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = s[i] < d[i] ? s[i] : d[i];
}
void LinBurnFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Clamp255(int32_t(s[i]) + d[i] - 255);
}
void LinLightFull(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = Clamp255(int32_t(d[i]) + 2 * s[i] - 256);
}
// The scalar set's halving: per channel the sum of the 2x2 block >> 2.
void HalveSum(uint8_t* d, const uint8_t* s, size_t rowPixels, size_t dstPixels) {
  const uint8_t* r2 = s + rowPixels * 4;
  for (size_t x = 0; x < dstPixels; x++)
    for (int c = 0; c < 4; c++) {
      size_t i = x * 8 + c;
      d[x * 4 + c] = uint8_t((s[i] + s[i + 4] + r2[i] + r2[i + 4]) >> 2);
    }
}

// "Over" onto a target with alpha: the new alpha is the union of both, the
// colour weight the source's share of it.
void OverPx(uint8_t* d, const uint8_t* s) {
  int32_t dA = d[3], sA = s[3];
  int32_t a = dA + sA - Blend_Product(dA, sA);
  int32_t w = Blend_RecipTable[a][sA];
  for (int c = 0; c < 3; c++) d[c] = uint8_t(d[c] + (((s[c] - d[c]) * w) >> 8));
  d[3] = uint8_t(a);
}
void Over(uint8_t* d, const uint8_t* s, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) OverPx(d + i, s + i);
}
// At an opacity below 256 the new alpha can stay below the source's, and the
// weight then exceeds 256: the colour is clamped instead of wrapping.
void OverOp(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    uint8_t* p = d + i;
    const uint8_t* q = s + i;
    int32_t dA = p[3], sA = q[3];
    int32_t a = dA + (((sA - Blend_Product(dA, sA)) * op) >> 8);
    int64_t w = int64_t(Blend_RecipTable[a][sA]) * op;
    for (int c = 0; c < 3; c++)
      p[c] = Clamp255(int32_t(p[c] + ((int64_t(q[c] - p[c]) * w) >> 16)));
    p[3] = uint8_t(a);
  }
}
void OverScaled(uint8_t* d, const uint8_t* s, int opA, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    d[i + 3] = uint8_t((d[i + 3] * opA) >> 8);
    OverPx(d + i, s + i);
  }
}
// Slot 25; the colour step can leave 0..255 for small alphas and is clamped.
void OverScaledOp(uint8_t* d, const uint8_t* s, int opA, int op, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    uint8_t* p = d + i;
    const uint8_t* q = s + i;
    int32_t dA = (p[3] * opA) >> 8, sA = q[3];
    int32_t a = dA + (((sA - (((sA + 1) * dA) >> 8)) * op) >> 8);
    for (int c = 0; c < 3; c++)
      p[c] = Clamp255(p[c] + ((((q[c] - p[c]) * op) >> 8) * sA) / (a + 1));
    p[3] = uint8_t(a);
  }
}

}  // namespace

void Pix_FillScalarSet(PixelOps* o) {
  *o = PixelOps{ZeroFill,   ByteFill,  WordFill,     Copy,        NormalOp,    AlphaFull,
                AlphaOp,    MaskFull,  CrossFade,    AddFull,     AddOpRow,    AddAlphaFull,
                AddAlphaOp, SubFull,   MulFull,      ScreenFull,  ScreenOp,    LightenFull,
                DarkenFull, LinBurnFull, LinLightFull, HalveSum,  Over,        OverOp,
                OverScaled, OverScaledOp};
}
