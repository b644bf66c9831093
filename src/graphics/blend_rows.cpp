// Row functions of the blend modes and the row table that the pixel workers
// pick from. The commonest plain rows forward to g_PixelOps; the rest apply
// the mode's lookup table with the kind's weight.
#include "graphics/blend.h"
#include "graphics/pixel_ops.h"

BlendRow Blend_RowTable[kBlendKindCount * 40];

namespace {

template <int kMode>
inline int F(int s, int d) {
  if constexpr (kMode == 0) return s;
  else if constexpr (kMode == 1) return Blend_AddClamp[s + d];
  else if constexpr (kMode == 2) return Blend_SubClamp[s - d + 255];
  else return Blend_ModeLuts[kMode - 3][s * 256 + d];
}

template <int kMode>
void PlainFull(uint8_t* d, const uint8_t* s, int, size_t n) {
  for (size_t i = 0; i < n; i++) d[i] = uint8_t(F<kMode>(s[i], d[i]));
}
template <int kMode>
void PlainPartial(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i < n; i++) {
    int dv = d[i];
    d[i] = uint8_t(dv + (((F<kMode>(s[i], dv) - dv) * op) >> 8));
  }
}
template <int kMode>
inline void StepBgr(uint8_t* d, const uint8_t* s, int w, int shift) {
  for (int c = 0; c < 3; c++) {
    int dv = d[c];
    d[c] = uint8_t(dv + (((F<kMode>(s[c], dv) - dv) * w) >> shift));
  }
}
template <int kMode, bool kFull>
void AlphaRow(uint8_t* d, const uint8_t* s, int op, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    int w = kFull ? s[i + 3] + 1 : (op * (s[i + 3] + 1)) >> 8;
    StepBgr<kMode>(d + i, s + i, w, 8);
  }
}
template <int kMode>
void MaskRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int, int, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    int w = g_MaskWeights[m[i]];
    if (w > 1) StepBgr<kMode>(d + i, s + i, w, 8);
  }
}
template <int kMode>
void MaskAlphaRow(uint8_t* d, const uint8_t* s, const uint8_t* m, int, int, size_t n) {
  for (size_t i = 0; i + 4 <= n; i += 4) {
    int w = g_MaskWeights[m[i]];
    if (w > 1) StepBgr<kMode>(d + i, s + i, w * (s[i + 3] + 1), 16);
  }
}

// Rows served by the processor-specific routines; they read g_PixelOps at
// call time so they always follow the installed set.
void OpsCopy(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.copy(d, s, n); }
void OpsNormal(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.normalOp(d, s, op, n); }
void OpsAdd(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.addFull(d, s, n); }
void OpsAddOp(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.addOp(d, s, op, n); }
void OpsSub(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.subFull(d, s, n); }
void OpsMul(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.mulFull(d, s, n); }
void OpsScreen(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.screenFull(d, s, n); }
void OpsScreenOp(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.screenOp(d, s, op, n); }
void OpsLighten(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.lightenFull(d, s, n); }
void OpsDarken(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.darkenFull(d, s, n); }
void OpsLinBurn(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.linBurnFull(d, s, n); }
void OpsLinLight(uint8_t* d, const uint8_t* s, int, size_t n) { g_PixelOps.linLightFull(d, s, n); }
void OpsAlpha(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.alphaFull(d, s, op, n); }
void OpsAlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.alphaOp(d, s, op, n); }
void OpsAddAlpha(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.addAlphaFull(d, s, op, n); }
void OpsAddAlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) { g_PixelOps.addAlphaOp(d, s, op, n); }
void OpsMask(uint8_t* d, const uint8_t* s, const uint8_t* m, int l, int g, size_t n) {
  g_PixelOps.maskFull(d, s, m, l, g, n);
}

BlendRow& Entry(int kind, int mode, int variant) {
  return Blend_RowTable[kind * 40 + mode * 2 + variant];
}

template <int kMode>
void FillMode() {
  Entry(0, kMode, 1).plain = PlainFull<kMode>;
  Entry(0, kMode, 0).plain = PlainPartial<kMode>;
  Entry(1, kMode, 1).plain = AlphaRow<kMode, true>;
  Entry(1, kMode, 0).plain = AlphaRow<kMode, false>;
  Entry(2, kMode, 1).mask = MaskRow<kMode>;
  Entry(2, kMode, 0).mask = MaskRow<kMode>;
  Entry(3, kMode, 0).mask = MaskAlphaRow<kMode>;
  Entry(3, kMode, 1).mask = MaskAlphaRow<kMode>;
  if constexpr (kMode + 1 < kBlendModeCount) FillMode<kMode + 1>();
}

}  // namespace

void Blend_FillRowTable() {
  FillMode<0>();
  // Plain rows, full opacity, served by g_PixelOps.
  Entry(0, 0, 1).plain = OpsCopy;
  Entry(0, 1, 1).plain = OpsAdd;
  Entry(0, 2, 1).plain = OpsSub;
  Entry(0, 3, 1).plain = OpsMul;
  Entry(0, 5, 1).plain = OpsScreen;
  Entry(0, 6, 1).plain = OpsLighten;
  Entry(0, 7, 1).plain = OpsDarken;
  Entry(0, 13, 1).plain = OpsLinBurn;
  Entry(0, 17, 1).plain = OpsLinLight;
  // Plain, partial opacity.
  Entry(0, 0, 0).plain = OpsNormal;
  Entry(0, 1, 0).plain = OpsAddOp;
  Entry(0, 5, 0).plain = OpsScreenOp;
  // By source alpha.
  Entry(1, 0, 1).plain = OpsAlpha;
  Entry(1, 1, 1).plain = OpsAddAlpha;
  Entry(1, 0, 0).plain = OpsAlphaOp;
  Entry(1, 1, 0).plain = OpsAddAlphaOp;
  // By mask, full opacity, normal mode.
  Entry(2, 0, 1).mask = OpsMask;
  // Mode 19 is no mode: give it the normal rows so that no entry is empty.
  for (int k = 0; k < kBlendKindCount; k++)
    for (int v = 0; v < 2; v++) Entry(k, 19, v) = Entry(k, 0, v);
}

BlendRow Blend_PickRow(int kind, int mode, int opacity) {
  if (kind < 0 || kind >= kBlendKindCount) kind = 0;
  if (mode < 0 || mode >= kBlendModeCount) mode = 0;
  int variant = opacity >= kOpacityFull ? 1 : 0;
  if (kind == kBlendMaskAlpha) variant = 0;
  return Blend_RowTable[kind * 40 + mode * 2 + variant];
}
