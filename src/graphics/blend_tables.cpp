// Blend lookup tables and the per-channel formulas of the 19 blend modes.
#include <cmath>
#include <cstring>

#include "graphics/blend.h"

int16_t Blend_ProductTable[257][512];
uint16_t Blend_RecipTable[256][256];
uint8_t Blend_AddClamp[511];
uint8_t Blend_SubClamp[511];
uint8_t Blend_ModeLuts[16][65536];
namespace {
int32_t g_MaskWeightTable[256];
}
const int32_t (&g_MaskWeights)[256] = g_MaskWeightTable;
MaskWeightRule g_MaskWeightRule = {false, 0, 0, 0};

void Blend_SetMaskWeights(const int32_t* weights, const MaskWeightRule* rule) {
  std::memcpy(g_MaskWeightTable, weights, sizeof g_MaskWeightTable);
  g_MaskWeightRule = rule ? *rule : MaskWeightRule{false, 0, 0, 0};
  g_MaskWeightRule.set = rule != nullptr;
}

namespace {

bool g_ProductBuilt = false;

int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Soft light as this engine has always drawn it: a gentle push of d by
// (s - 128), strongest for dark destinations under bright sources.
int SoftLight(int s, int d) {
  bool brightDark = s >= 128 && d <= 32;
  int k = brightDark ? Blend_SoftLightBrightK(d) : int(16384.0 - std::sqrt(double(256 - d)));
  int shift = (s >= 128 && d > 32) ? 16 : 15;
  return Clamp(d + (((s - 128) * k) >> shift));
}

int VividLight(int s, int d) {
  if (s == 0) return 0;
  if (s < 128) {
    int v = (510 * s + 255 * d - 65025) / (2 * s);
    return v < 0 ? 0 : v;
  }
  if (s < 255) {
    int v = 255 * d / (510 - 2 * s);
    return v > 255 ? 255 : v;
  }
  return 255;
}

}  // namespace

int Blend_SoftLightBrightK(int d) {
  double root = std::sqrt(double(256 - d));
  return int(16384.0 - root * (768 - 8 * d));
}

void Blend_BuildProductTable() {
  if (g_ProductBuilt) return;
  for (int a = 0; a <= 256; a++)
    for (int b = -255; b <= 256; b++) Blend_ProductTable[a][b + 255] = int16_t(a * b / 255);
  g_ProductBuilt = true;
}

uint8_t Blend_ModeFormula(int mode, int s, int d) {
  switch (mode) {
    case 0: return uint8_t(s);
    case 1: return uint8_t(s + d > 255 ? 255 : s + d);
    case 2: return uint8_t(s > d ? s - d : 0);
    case 3: return uint8_t(s * d / 255);
    case 4:
      if (d == 0) return s ? 255 : 0;
      return uint8_t(s * 255 / d > 255 ? 255 : s * 255 / d);
    case 5: return uint8_t(s + d - s * d / 255);
    case 6: return uint8_t(s > d ? s : d);
    case 7: return uint8_t(s < d ? s : d);
    case 8: return uint8_t(s > d ? s - d : d - s);
    case 9: return uint8_t(s + d - 2 * (s * d / 255));
    case 10:
      if (d < 128) return uint8_t(Blend_Product(s, 2 * d));
      if (d == 128) return uint8_t(s);
      return uint8_t(2 * d - 257 + Blend_Product(s, 512 - 2 * d));
    case 11: {
      int v = d * 256 / (256 - s);
      return uint8_t(v > 255 ? 255 : v);
    }
    case 12: {
      int v = 255 - (255 - d) * 256 / (s + 1);
      return uint8_t(v < 0 ? 0 : v);
    }
    case 13: return uint8_t(Clamp(s + d - 255));
    case 14:
      if (s < 128) return uint8_t(Blend_Product(d, 2 * s));
      if (s == 128) return uint8_t(d);
      return uint8_t(2 * s - 257 + Blend_Product(d, 512 - 2 * s));
    case 15: return uint8_t(SoftLight(s, d));
    case 16: return uint8_t(VividLight(s, d));
    case 17: return uint8_t(Clamp(d + 2 * s - 256));
    case 18:
      if (s < 128) return uint8_t(d < 2 * s ? d : 2 * s);
      return uint8_t(d > 2 * s - 255 ? d : 2 * s - 255);
    default: return uint8_t(s);
  }
}

void Blend_FillRowTable();  // blend_rows.cpp

void Blend_InitTables() {
  Blend_BuildProductTable();
  Blend_FillRowTable();
  for (int d = 0; d < 256; d++)
    for (int k = 0; k < 256; k++) Blend_RecipTable[d][k] = d ? uint16_t(k * 256 / d) : 0;
  for (int i = 0; i < 511; i++) {
    Blend_AddClamp[i] = uint8_t(i > 255 ? 255 : i);
    Blend_SubClamp[i] = uint8_t(i > 255 ? i - 255 : 0);
  }
  for (int mode = 3; mode < kBlendModeCount; mode++)
    for (int s = 0; s < 256; s++)
      for (int d = 0; d < 256; d++) Blend_ModeLuts[mode - 3][s * 256 + d] = Blend_ModeFormula(mode, s, d);
}
