// Every pixel-span routine of every set against a plain per-byte reference
// written from the formulas, on random rows of 1..67 pixels at every byte
// alignment and the opacities that matter.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "graphics/pixel_sets.h"

namespace {

const int kOps[] = {0, 1, 127, 128, 129, 255, 256};

int Shr8(int v) { return v >> 8; }  // arithmetic: rounds toward minus infinity
int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
int Lerp(int d, int s, int op) { return op == 128 ? (d + s + 1) >> 1 : d + Shr8((s - d) * op); }

// Reference for one call of a row routine with (d, s) rows of n bytes.
void RefRow(int slot, uint8_t* d, const uint8_t* s, const uint8_t* m, int op, size_t n) {
  for (size_t i = 0; i < n; i++) {
    int dv = d[i], sv = s[i];
    size_t px = i & ~size_t(3);
    bool alpha = (i & 3) == 3;
    int sA = s[px + 3];
    switch (slot) {
      case 4: d[i] = uint8_t(Lerp(dv, sv, op)); break;
      case 5: if (!alpha) d[i] = uint8_t(dv + Shr8((sv - dv) * (sA + 1))); break;
      case 6: if (!alpha) d[i] = uint8_t(dv + Shr8((sv - dv) * (Shr8(sA * op) + 1))); break;
      case 7: {
        int w = g_MaskWeights[m[px]];
        if (!alpha && w > 1) d[i] = uint8_t(dv - Shr8((dv - sv) * w));
        break;
      }
      case 9: d[i] = uint8_t(std::min(dv + sv, 255)); break;
      case 10: d[i] = uint8_t(std::min(255, dv + Shr8(sv * op))); break;
      case 11: if (!alpha) d[i] = uint8_t(dv + Shr8((std::min(dv + sv, 255) - dv) * (sA + 1))); break;
      case 12: if (!alpha) d[i] = uint8_t(dv + Shr8((std::min(dv + sv, 255) - dv) * Shr8(op * (sA + 1)))); break;
      case 13: d[i] = uint8_t(std::max(sv - dv, 0)); break;
      case 14: d[i] = uint8_t(sv * dv / 255); break;
      case 15: d[i] = uint8_t(sv + dv - sv * dv / 255); break;
      case 16: d[i] = uint8_t(dv + Shr8(((sv + dv - sv * dv / 255) - dv) * op)); break;
      case 17: d[i] = uint8_t(std::max(sv, dv)); break;
      case 18: d[i] = uint8_t(std::min(sv, dv)); break;
      case 19: d[i] = uint8_t(std::max(sv + dv - 255, 0)); break;
      case 20: d[i] = uint8_t(Clamp(dv + 2 * sv - 256)); break;
    }
  }
}

void CallRow(const PixelOps& o, int slot, uint8_t* d, const uint8_t* s, const uint8_t* m, int op,
             size_t n) {
  switch (slot) {
    case 4: o.normalOp(d, s, op, n); break;
    case 5: o.alphaFull(d, s, op, n); break;
    case 6: o.alphaOp(d, s, op, n); break;
    case 7: o.maskFull(d, s, m, 0, 0, n); break;
    case 9: o.addFull(d, s, n); break;
    case 10: o.addOp(d, s, op, n); break;
    case 11: o.addAlphaFull(d, s, op, n); break;
    case 12: o.addAlphaOp(d, s, op, n); break;
    case 13: o.subFull(d, s, n); break;
    case 14: o.mulFull(d, s, n); break;
    case 15: o.screenFull(d, s, n); break;
    case 16: o.screenOp(d, s, op, n); break;
    case 17: o.lightenFull(d, s, n); break;
    case 18: o.darkenFull(d, s, n); break;
    case 19: o.linBurnFull(d, s, n); break;
    case 20: o.linLightFull(d, s, n); break;
  }
}

class PixelOpsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    Pix_InitOps(1, 1);
    Blend_InitTables();
    set_ = Pix_GetSet(GetParam());
    if (!set_) GTEST_SKIP() << "set not available on this machine";
    // Mask weights with negatives, 0, 1 and up to 256.
    int32_t weights[256];
    for (int i = 0; i < 256; i++) weights[i] = (i * 3) % 260 - 3;
    Blend_SetMaskWeights(weights);
  }
  const PixelOps* set_ = nullptr;
};

// Random bytes with many alpha 0 and 255 pixels.
void FillRandom(std::mt19937& rng, uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; i++) {
    uint32_t r = rng();
    p[i] = uint8_t(r);
    if ((i & 3) == 3 && (r >> 8) % 4 == 0) p[i] = (r >> 12) & 1 ? 255 : 0;
  }
}

TEST_P(PixelOpsTest, RowsMatchReferenceAtEveryLengthAndAlignment) {
  std::mt19937 rng(1234);
  const int slots[] = {4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
  for (int slot : slots)
    for (int op : kOps)
      for (size_t px = 1; px <= 67; px++)
        for (size_t align = 0; align < 4; align++) {
          size_t n = px * 4;
          std::vector<uint8_t> d(n + 8), s(n + 8), m(n + 8);
          FillRandom(rng, d.data() + align, n);
          FillRandom(rng, s.data() + align, n);
          FillRandom(rng, m.data() + align, n);
          std::vector<uint8_t> want = d;
          RefRow(slot, want.data() + align, s.data() + align, m.data() + align, op, n);
          CallRow(*set_, slot, d.data() + align, s.data() + align, m.data() + align, op, n);
          ASSERT_EQ(want, d) << "slot " << slot << " op " << op << " px " << px << " align " << align;
        }
}

// Rows made of runs of clear, opaque and partly transparent source pixels,
// so that whole vector blocks of alpha 0 or 255 occur at every position
// next to mixed blocks: the blocks that vector rows may shortcut.
TEST_P(PixelOpsTest, AlphaRowsWithRunsOfClearAndOpaqueSources) {
  std::mt19937 rng(77);
  const int slots[] = {5, 6, 11, 12};
  for (int slot : slots)
    for (int op : kOps)
      for (int round = 0; round < 60; round++) {
        size_t px = 1 + rng() % 200, n = px * 4;
        std::vector<uint8_t> d(n), s(n), m(n);
        FillRandom(rng, d.data(), n);
        FillRandom(rng, s.data(), n);
        for (size_t p = 0; p < px;) {
          size_t run = 1 + rng() % 40;
          int kind = int(rng() % 3);
          for (; run > 0 && p < px; run--, p++) {
            if (kind == 0) s[p * 4 + 3] = 0;
            if (kind == 1) s[p * 4 + 3] = 255;
          }
        }
        std::vector<uint8_t> want = d;
        RefRow(slot, want.data(), s.data(), m.data(), op, n);
        CallRow(*set_, slot, d.data(), s.data(), m.data(), op, n);
        ASSERT_EQ(want, d) << "slot " << slot << " op " << op << " round " << round;
      }
}

// Every source alpha over every (source, destination) pair of a colour byte
// in both byte positions of a 16-bit lane (blue, green), one alpha per row
// so that uniform blocks also occur: the set against the scalar reference.
TEST_P(PixelOpsTest, AlphaRowsMatchScalarOverEveryColourPairAndAlpha) {
  if (GetParam() == 0) GTEST_SKIP() << "the scalar set is the reference";
  const PixelOps& ref = *Pix_GetSet(0);
  constexpr size_t kPx = 65536, kN = kPx * 4;
  std::vector<uint8_t> base(kN), s(kN), d(kN), want(kN), m(kN, 0);
  for (size_t k = 0; k < kPx; k++) {
    base[k * 4] = uint8_t(k), s[k * 4] = uint8_t(k >> 8);
    base[k * 4 + 1] = uint8_t(k >> 8), s[k * 4 + 1] = uint8_t(k);
    base[k * 4 + 2] = uint8_t(k * 7), s[k * 4 + 2] = uint8_t(k * 13 >> 3);
    base[k * 4 + 3] = uint8_t(k * 31);
  }
  struct Case {
    int slot, op;
  };
  const Case cases[] = {{5, 256}, {11, 256}, {6, 1}, {6, 128}, {6, 255}, {12, 1}, {12, 129}, {12, 255}};
  for (const Case& c : cases)
    for (int a = 0; a < 256; a++) {
      for (size_t k = 0; k < kPx; k++) s[k * 4 + 3] = uint8_t(a);
      want = base;
      d = base;
      CallRow(ref, c.slot, want.data(), s.data(), m.data(), c.op, kN);
      CallRow(*set_, c.slot, d.data(), s.data(), m.data(), c.op, kN);
      ASSERT_TRUE(want == d) << "slot " << c.slot << " op " << c.op << " alpha " << a;
    }
}

TEST_P(PixelOpsTest, ByteRowsOfOddLength) {
  std::mt19937 rng(5);
  for (int op : kOps)
    for (size_t n = 1; n < 80; n++) {
      std::vector<uint8_t> a(n), b(n), d(n), want(n);
      FillRandom(rng, a.data(), n);
      FillRandom(rng, b.data(), n);
      for (size_t i = 0; i < n; i++) want[i] = uint8_t(Lerp(a[i], b[i], op));
      set_->crossFade(d.data(), a.data(), b.data(), op, n);
      ASSERT_EQ(want, d) << "op " << op << " n " << n;
      std::vector<uint8_t> d4 = a;
      set_->normalOp(d4.data(), b.data(), op, n);
      ASSERT_EQ(want, d4);
    }
}

TEST_P(PixelOpsTest, FillsAndCopy) {
  uint8_t buf[20];
  std::memset(buf, 0xEE, sizeof buf);
  set_->wordFill(buf + 4, 4, 0x11223344u);
  uint32_t w;
  std::memcpy(&w, buf + 4, 4);
  EXPECT_EQ(0x11223344u, w);
  EXPECT_EQ(0xEE, buf[3]);
  EXPECT_EQ(0xEE, buf[8]);
  set_->byteFill(buf, 3, 7);
  EXPECT_EQ(7, buf[2]);
  EXPECT_EQ(0x44, buf[4]);
  set_->zeroFill(buf + 8, 12);
  EXPECT_EQ(0, buf[19]);
  uint8_t src[5] = {1, 2, 3, 4, 5};
  set_->copy(buf, src, 5);
  EXPECT_EQ(0, std::memcmp(buf, src, 5));
}

TEST_P(PixelOpsTest, MaskRowRoundsTowardTheDestination) {
  int32_t weights[256];
  for (int i = 0; i < 256; i++) weights[i] = 128;
  weights[1] = 1;
  Blend_SetMaskWeights(weights);
  uint8_t d[8] = {11, 11, 11, 50, 200, 200, 200, 60};
  uint8_t s[8] = {10, 10, 10, 0, 0, 0, 0, 0};
  uint8_t m[8] = {0, 0, 0, 0, 1, 0, 0, 0};
  set_->maskFull(d, s, m, 0, 0, 8);
  EXPECT_EQ(11, d[0]);   // 11 - ((1 * 128) >> 8)
  EXPECT_EQ(50, d[3]);   // alpha kept
  EXPECT_EQ(200, d[4]);  // weight 1 leaves the pixel
}

TEST_P(PixelOpsTest, AlphaZeroSourceStillMovesByOneStep) {
  uint8_t d[4] = {255, 100, 0, 77};
  uint8_t s[4] = {0x80, 0x80, 0x80, 0};
  set_->alphaFull(d, s, 256, 4);
  EXPECT_EQ(254, d[0]);
  EXPECT_EQ(100, d[1]);
  EXPECT_EQ(0, d[2]);
  EXPECT_EQ(77, d[3]);
}

std::string SetName(const ::testing::TestParamInfo<int>& info) {
  static const char* const kNames[] = {"Scalar", "Sse2", "Avx2"};
  return kNames[info.param];
}
INSTANTIATE_TEST_SUITE_P(Sets, PixelOpsTest, ::testing::Values(0, 1, 2), SetName);

TEST(PixelOps, HalvingFormsPinned) {
  Pix_InitOps(1, 1);
  // A 2x2 block whose channel values are 1, 0, 0, 0.
  std::vector<uint8_t> src(2 * 8 * 2, 0), out(8, 0xAA);
  src[0] = 1;
  Pix_GetSet(0)->halve(out.data(), src.data(), 4, 1);
  EXPECT_EQ(0, out[0]);  // (1 + 0 + 0 + 0) >> 2
  Pix_GetSet(1)->halve(out.data(), src.data(), 4, 1);
  EXPECT_EQ(1, out[0]);  // avg(avg(1, 0), avg(0, 0))
}

TEST(PixelOps, HalvingVectorSetsAgreeOnRandomRows) {
  Pix_InitOps(1, 1);
  std::mt19937 rng(9);
  for (size_t px = 1; px < 40; px++) {
    std::vector<uint8_t> src(px * 16);
    FillRandom(rng, src.data(), src.size());
    std::vector<uint8_t> want(px * 4);
    for (size_t x = 0; x < px; x++)
      for (int c = 0; c < 4; c++) {
        const uint8_t* r1 = src.data();
        const uint8_t* r2 = src.data() + px * 8;
        int l = (r1[x * 8 + c] + r2[x * 8 + c] + 1) >> 1;
        int r = (r1[x * 8 + 4 + c] + r2[x * 8 + 4 + c] + 1) >> 1;
        want[x * 4 + c] = uint8_t((l + r + 1) >> 1);
      }
    for (int set = 1; set <= 2; set++) {
      const PixelOps* o = Pix_GetSet(set);
      if (!o) continue;
      std::vector<uint8_t> out(px * 4);
      o->halve(out.data(), src.data(), px * 2, px);
      ASSERT_EQ(want, out) << "set " << set << " px " << px;
    }
  }
}

// Slots 22..25 are one routine for every set: pin their formulas.
TEST(PixelOps, OverOntoAlphaTargets) {
  Pix_InitOps(1, 1);
  Blend_InitTables();
  uint8_t d[4] = {0, 0, 0, 0}, s[4] = {200, 100, 50, 128};
  g_PixelOps.over(d, s, 4);
  EXPECT_EQ(128, d[3]);
  EXPECT_EQ(200, d[0]);  // empty target takes the source colour
  uint8_t d2[4] = {0, 0, 0, 255}, s2[4] = {255, 255, 255, 0};
  g_PixelOps.over(d2, s2, 4);
  EXPECT_EQ(0, d2[0]);
  EXPECT_EQ(255, d2[3]);
}

TEST(PixelOps, OverWithOpacityClampsInsteadOfWrapping) {
  Pix_InitOps(1, 1);
  Blend_InitTables();
  // dA 0, sA 2, op 129: the weight exceeds 256 and the colour would wrap to 1.
  uint8_t d[4] = {0, 0, 0, 0}, s[4] = {255, 255, 255, 2};
  g_PixelOps.overOp(d, s, 129, 4);
  EXPECT_EQ(255, d[0]);
  EXPECT_EQ(1, d[3]);
  // dA 0, sA 3, op 85, s 0, d 200: the step would wrap to 255.
  uint8_t d2[4] = {200, 200, 200, 0}, s2[4] = {0, 0, 0, 3};
  g_PixelOps.overScaledOp(d2, s2, 256, 85, 4);
  EXPECT_EQ(0, d2[0]);
}

TEST(PixelOps, InitChoosesLevelBySettings) {
  Pix_InitOps(0, 0);
  EXPECT_EQ(PixLevel::Scalar, g_PixLevel);
  uint8_t out[4], src[16] = {1};
  g_PixelOps.halve(out, src, 2, 1);
  EXPECT_EQ(0, out[0]);
  Pix_InitOps(1, 0);
  EXPECT_EQ(PixLevel::Sse, g_PixLevel);
  Pix_InitOps(0, 1);
  EXPECT_EQ(PixLevel::Sse2, g_PixLevel);
  g_PixelOps.halve(out, src, 2, 1);
  EXPECT_EQ(1, out[0]);
  EXPECT_EQ(1, g_CpuFeatures.sse2);
}

}  // namespace

namespace {

// The decoder row conversions, each body on rows of every width in their
// in-place layout, with guard bytes after the row (the expansion may read
// up to 4 of them but never writes them).
TEST(PixelConvert, ExpandAndSwapInPlaceAtEveryWidth) {
  Pix_InitOps(1, 1);
  using Fn = void (*)(uint8_t*, size_t);
  std::vector<std::pair<Fn, Fn>> bodies = {{Pix_ExpandRgbRowScalar, Pix_SwapRedBlueRowScalar}};
  if (g_CpuFeatures.avx2) bodies.push_back({Pix_ExpandRgbRowAvx2, Pix_SwapRedBlueRowAvx2});
  bodies.push_back({Pix_ExpandRgbRow, Pix_SwapRedBlueRow});
  std::mt19937 rng(21);
  for (auto [expand, swap] : bodies)
    for (size_t w = 1; w <= 67; w++) {
      std::vector<uint8_t> rgb(w * 3), row(w * 4 + 8, 0xEE);
      for (auto& b : rgb) b = uint8_t(rng());
      std::memcpy(row.data() + w, rgb.data(), rgb.size());
      expand(row.data(), w);
      for (size_t i = 0; i < w; i++) {
        ASSERT_EQ(rgb[3 * i + 2], row[4 * i]) << w << " " << i;
        ASSERT_EQ(rgb[3 * i + 1], row[4 * i + 1]);
        ASSERT_EQ(rgb[3 * i], row[4 * i + 2]);
        ASSERT_EQ(255, row[4 * i + 3]);
      }
      for (size_t g = w * 4; g < row.size(); g++) ASSERT_EQ(0xEE, row[g]);
      std::vector<uint8_t> rgba(w * 4);
      for (auto& b : rgba) b = uint8_t(rng());
      std::vector<uint8_t> swapped = rgba;
      swap(swapped.data(), w);
      for (size_t i = 0; i < w * 4; i++) ASSERT_EQ(rgba[i ^ ((i & 1) ? 0 : 2)], swapped[i]) << w << " " << i;
    }
}

}  // namespace
