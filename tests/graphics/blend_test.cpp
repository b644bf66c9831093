// Blend modes: the lookup tables against the formulas, and every row of the
// row table over all 65,536 (source, destination) pairs at the opacities that
// matter, against a plain reference of the kind's weighting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "layer_fixture.h"

namespace {

const int kOps[] = {0, 1, 127, 128, 129, 255, 256};

class BlendTest : public ::testing::Test {
 protected:
  void SetUp() override { gfxtest::InitGraphics(); }
};

TEST_F(BlendTest, ModeFormulasSpotChecked) {
  struct Case { int mode, s, d, want; };
  const Case cases[] = {
      {0, 17, 200, 17},   {1, 200, 100, 255}, {2, 255, 0, 255},   {2, 0, 99, 0},
      {2, 100, 30, 70},   {3, 255, 128, 128}, {3, 128, 128, 64},  {4, 10, 0, 255},
      {4, 0, 0, 0},       {4, 100, 200, 127}, {5, 128, 128, 192}, {6, 3, 9, 9},
      {7, 3, 9, 3},       {8, 3, 9, 6},       {9, 255, 255, 0},   {9, 128, 128, 128},
      {10, 77, 128, 77},  {10, 200, 100, 156}, {10, 200, 200, 230}, {11, 255, 1, 255},
      {11, 128, 100, 200}, {12, 0, 254, 0},   {12, 255, 100, 100}, {13, 100, 100, 0},
      {13, 200, 200, 145}, {14, 128, 77, 77}, {14, 100, 200, 156}, {16, 0, 200, 0},
      {16, 255, 0, 255},  {16, 64, 200, 145}, {16, 200, 100, 231}, {17, 200, 100, 244},
      {17, 0, 100, 0},    {18, 50, 200, 100}, {18, 200, 100, 145}, {18, 200, 200, 200},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, Blend_ModeFormula(c.mode, c.s, c.d)) << "mode " << c.mode << " s " << c.s << " d " << c.d;
    if (c.mode >= 3) {
      EXPECT_EQ(c.want, Blend_ModeLuts[c.mode - 3][c.s * 256 + c.d]);
    }
  }
}

// Soft light as drawn by this engine: black over white gives 191.
TEST_F(BlendTest, SoftLightLiteral) {
  EXPECT_EQ(191, Blend_ModeLuts[15 - 3][0 * 256 + 255]);
  EXPECT_EQ(100, Blend_ModeLuts[15 - 3][128 * 256 + 100]);
  for (int s = 0; s < 256; s++)
    for (int d = 0; d < 256; d++) {
      double root = std::sqrt(256.0 - d);
      int k = int((s >= 128 && d <= 32) ? 16384.0 - root * (768 - 8 * d) : 16384.0 - root);
      int v = d + (((s - 128) * k) >> ((s >= 128 && d > 32) ? 16 : 15));
      v = v < 0 ? 0 : v > 255 ? 255 : v;
      ASSERT_EQ(v, Blend_ModeLuts[12][s * 256 + d]) << s << "," << d;
    }
}

TEST_F(BlendTest, TablesBuilt) {
  EXPECT_EQ(-1, Blend_Product(1, -255));
  EXPECT_EQ(256, Blend_Product(255, 256));
  EXPECT_EQ(0, Blend_Product(0, -255));
  EXPECT_EQ(256, Blend_RecipTable[128][128]);
  EXPECT_EQ(0, Blend_RecipTable[0][200]);
  EXPECT_EQ(255, Blend_AddClamp[510]);
  EXPECT_EQ(0, Blend_SubClamp[255]);
  EXPECT_EQ(255, Blend_SubClamp[510]);
}

int Shr8(int v) { return v >> 8; }

// The reference result of one colour byte for a kind and the row's forms.
int RefByte(int kind, int mode, int op, int s, int d, int sA, int maskW, bool alphaByte) {
  int f = Blend_ModeFormula(mode, s, d);
  bool full = op >= 256;
  if (kind == 0) {
    if (full) return f;
    if (mode == 0) return op == 128 ? (d + s + 1) >> 1 : d + Shr8((s - d) * op);
    if (mode == 1) return std::min(255, d + Shr8(s * op));  // the vector form
    return d + Shr8((f - d) * op);
  }
  if (alphaByte) return d;
  if (kind == 1) {
    int w = full ? sA + 1 : (mode == 0 ? Shr8(sA * op) + 1 : Shr8(op * (sA + 1)));
    return d + Shr8((f - d) * w);
  }
  if (maskW <= 1) return d;
  if (kind == 2) {
    if (mode == 0 && full) return d - Shr8((d - s) * maskW);
    return d + Shr8((f - d) * maskW);
  }
  return d + (((f - d) * maskW * (sA + 1)) >> 16);
}

// Rows of 65,536 pixels: pixel i has source byte i >> 8, destination byte i &
// 255 in every channel, and a source alpha and mask byte that vary.
TEST_F(BlendTest, EveryRowOverAllPairs) {
  const size_t n = 65536;
  std::vector<uint8_t> src(n * 4), dst0(n * 4), mask(n * 4), dst(n * 4);
  for (size_t i = 0; i < n; i++) {
    uint8_t s = uint8_t(i >> 8), d = uint8_t(i);
    src[i * 4] = src[i * 4 + 1] = src[i * 4 + 2] = s;
    src[i * 4 + 3] = uint8_t((i * 7 + (i >> 8)) & 255);
    dst0[i * 4] = dst0[i * 4 + 1] = dst0[i * 4 + 2] = d;
    dst0[i * 4 + 3] = uint8_t(i * 13);
    mask[i * 4] = uint8_t(i * 31 + 5);
  }
  int32_t weights[256];
  for (int i = 0; i < 256; i++) weights[i] = (i * 5) % 260 - 3;
  Blend_SetMaskWeights(weights);
  for (int kind = 0; kind < 4; kind++)
    for (int mode = 0; mode < 19; mode++)
      for (int op : kOps) {
        if (kind >= 2 && op != 0 && op != 256) continue;  // weights carry the opacity
        BlendRow row = Blend_PickRow(kind, mode, op);
        dst = dst0;
        if (kind < 2) row.plain(dst.data(), src.data(), op, n * 4);
        else row.mask(dst.data(), src.data(), mask.data(), 0, 0, n * 4);
        int effOp = kind == 3 ? 0 : op;
        for (size_t i = 0; i < n; i++)
          for (int c = 0; c < 4; c++) {
            int want = RefByte(kind, mode, effOp, src[i * 4 + c], dst0[i * 4 + c], src[i * 4 + 3],
                               g_MaskWeights[mask[i * 4]], c == 3);
            ASSERT_EQ(want, dst[i * 4 + c]) << "kind " << kind << " mode " << mode << " op " << op
                                           << " pixel " << i << " channel " << c;
          }
      }
}

TEST_F(BlendTest, BadModeAndOpacityNeverPickAMissingRow) {
  uint8_t d[4] = {1, 2, 3, 4}, s[4] = {9, 9, 9, 9};
  Blend_PickRow(0, 250, 9999).plain(d, s, 256, 4);
  EXPECT_EQ(9, d[0]);
  BlendRow r19 = Blend_PickRow(1, 19, -5);
  EXPECT_NE(nullptr, r19.plain);
}

}  // namespace
