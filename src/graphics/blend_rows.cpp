// Row functions of the blend modes and the row table that the pixel workers
// pick from. The commonest plain rows forward to g_PixelOps; the scalar rows
// apply the mode's lookup table with the kind's weight and are the reference
// that the vector rows of the SSE2 and AVX2 sets reproduce byte for byte.
#include "graphics/blend.h"
#include "graphics/pixel_ops.h"

BlendRow Blend_RowTable[kBlendRowCount];
BlendRow Blend_ScalarRows[kBlendRowCount];

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

// Rows served by the processor-specific routines. kSet -1 reads g_PixelOps
// at call time, so those entries always follow the installed set; 0..2 read
// the copy of that set kept for its own table.
PixelOps g_SetOps[3];
template <int kSet>
inline const PixelOps& OpsOf() {
  if constexpr (kSet < 0) return g_PixelOps;
  else return g_SetOps[kSet];
}
template <int S> void OpsCopy(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().copy(d, s, n); }
template <int S> void OpsNormal(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().normalOp(d, s, op, n); }
template <int S> void OpsAdd(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().addFull(d, s, n); }
template <int S> void OpsAddOp(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().addOp(d, s, op, n); }
template <int S> void OpsSub(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().subFull(d, s, n); }
template <int S> void OpsMul(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().mulFull(d, s, n); }
template <int S> void OpsScreen(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().screenFull(d, s, n); }
template <int S> void OpsScreenOp(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().screenOp(d, s, op, n); }
template <int S> void OpsLighten(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().lightenFull(d, s, n); }
template <int S> void OpsDarken(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().darkenFull(d, s, n); }
template <int S> void OpsLinBurn(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().linBurnFull(d, s, n); }
template <int S> void OpsLinLight(uint8_t* d, const uint8_t* s, int, size_t n) { OpsOf<S>().linLightFull(d, s, n); }
template <int S> void OpsAlpha(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().alphaFull(d, s, op, n); }
template <int S> void OpsAlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().alphaOp(d, s, op, n); }
template <int S> void OpsAddAlpha(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().addAlphaFull(d, s, op, n); }
template <int S> void OpsAddAlphaOp(uint8_t* d, const uint8_t* s, int op, size_t n) { OpsOf<S>().addAlphaOp(d, s, op, n); }
template <int S> void OpsMask(uint8_t* d, const uint8_t* s, const uint8_t* m, int l, int g, size_t n) {
  OpsOf<S>().maskFull(d, s, m, l, g, n);
}

BlendRow* g_Fill = nullptr;  // the table FillMode writes
BlendRow& Entry(int kind, int mode, int variant) { return g_Fill[kind * 40 + mode * 2 + variant]; }

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

// One whole table: the scalar rows, the vector rows of `vector` (1 SSE2,
// 2 AVX2, 0 none) over them, then the entries served by g_PixelOps.
template <int S>
void FillTable(BlendRow* t, int vector) {
  g_Fill = t;
  FillMode<0>();
  if (vector == 1) Blend_FillSse2Rows(t);
  if (vector == 2) Blend_FillAvx2Rows(t);
  // Plain rows, full opacity.
  Entry(0, 0, 1).plain = OpsCopy<S>;
  Entry(0, 1, 1).plain = OpsAdd<S>;
  Entry(0, 2, 1).plain = OpsSub<S>;
  Entry(0, 3, 1).plain = OpsMul<S>;
  Entry(0, 5, 1).plain = OpsScreen<S>;
  Entry(0, 6, 1).plain = OpsLighten<S>;
  Entry(0, 7, 1).plain = OpsDarken<S>;
  Entry(0, 13, 1).plain = OpsLinBurn<S>;
  Entry(0, 17, 1).plain = OpsLinLight<S>;
  // Plain, partial opacity.
  Entry(0, 0, 0).plain = OpsNormal<S>;
  Entry(0, 1, 0).plain = OpsAddOp<S>;
  Entry(0, 5, 0).plain = OpsScreenOp<S>;
  // By source alpha.
  Entry(1, 0, 1).plain = OpsAlpha<S>;
  Entry(1, 1, 1).plain = OpsAddAlpha<S>;
  Entry(1, 0, 0).plain = OpsAlphaOp<S>;
  Entry(1, 1, 0).plain = OpsAddAlphaOp<S>;
  // By mask, full opacity, normal mode.
  Entry(2, 0, 1).mask = OpsMask<S>;
  // Mode 19 is no mode: give it the normal rows so that no entry is empty.
  for (int k = 0; k < kBlendKindCount; k++)
    for (int v = 0; v < 2; v++) Entry(k, 19, v) = Entry(k, 0, v);
  g_Fill = nullptr;
}

BlendRow g_SetRows[3][kBlendRowCount];
bool g_SetRowsFilled[3] = {false, false, false};

}  // namespace

void Blend_FillRowTable() {
  for (int set = 0; set < 3; set++) {
    const PixelOps* ops = Pix_GetSet(set);
    g_SetRowsFilled[set] = ops != nullptr;
    if (ops) g_SetOps[set] = *ops;
  }
  // The scalar table first: every vector row hands its tail to it.
  FillTable<0>(Blend_ScalarRows, 0);
  FillTable<0>(g_SetRows[0], 0);
  if (g_SetRowsFilled[1]) FillTable<1>(g_SetRows[1], 1);
  if (g_SetRowsFilled[2]) FillTable<2>(g_SetRows[2], 2);
  int installed = g_PixLevel == PixLevel::Scalar ? 0 : g_CpuFeatures.avx2 ? 2 : 1;
  FillTable<-1>(Blend_RowTable, installed);
}

const BlendRow* Blend_GetSetRows(int which) {
  if (which < 0 || which > 2 || !g_SetRowsFilled[which]) return nullptr;
  return g_SetRows[which];
}

BlendRow Blend_PickRow(int kind, int mode, int opacity) {
  if (kind < 0 || kind >= kBlendKindCount) kind = 0;
  if (mode < 0 || mode >= kBlendModeCount) mode = 0;
  int variant = opacity >= kOpacityFull ? 1 : 0;
  if (kind == kBlendMaskAlpha) variant = 0;
  return Blend_RowTable[kind * 40 + mode * 2 + variant];
}
