// The vector sets' blend rows against the scalar rows, entry by entry: every
// (source, destination) byte pair in every channel, under a spread of source
// alphas, mask weights and opacities, with runs of clear, opaque, skipped
// and full-weight pixels, and every row start and length around the vector
// blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/graphics.h"

namespace {

const int kPartialOps[] = {0, 1, 127, 128, 129, 255};
constexpr size_t kPairs = 65536;

// Mask bytes 0, 1, 2 give weights that leave a pixel (-5, 0, 1), byte 3 the
// full weight; the others spread over 2..256.
void SetMaskWeights() {
  int32_t weights[256];
  for (int i = 0; i < 256; i++) weights[i] = 2 + (i * 37) % 255;
  weights[0] = -5, weights[1] = 0, weights[2] = 1, weights[3] = 256;
  Blend_SetMaskWeights(weights);
}

class BlendRowsSimdTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::memcpy(savedWeights_, g_MaskWeights, sizeof savedWeights_);
    savedRule_ = g_MaskWeightRule;
    Pix_InitOps(1, 1);
    Blend_InitTables();
    ref_ = Blend_GetSetRows(0);
    rows_ = Blend_GetSetRows(GetParam());
    if (!rows_) GTEST_SKIP() << "set not available on this machine";
    SetMaskWeights();
  }
  void TearDown() override { Blend_SetMaskWeights(savedWeights_, savedRule_.set ? &savedRule_ : nullptr); }

  // Runs entry `e` of both tables over n bytes on copies of dst's first
  // `total` bytes (the bytes past n must stay); returns the first byte that
  // differs, or -1.
  long Compare(size_t e, const uint8_t* dst, const uint8_t* src, const uint8_t* mask, int op,
               size_t n, size_t total, std::vector<uint8_t>& want, std::vector<uint8_t>& got) const {
    want.assign(dst, dst + total);
    got.assign(dst, dst + total);
    if (e / 40 < 2) {
      ref_[e].plain(want.data(), src, op, n);
      rows_[e].plain(got.data(), src, op, n);
    } else {
      ref_[e].mask(want.data(), src, mask, 0, 0, n);
      rows_[e].mask(got.data(), src, mask, 0, 0, n);
    }
    if (std::memcmp(want.data(), got.data(), total) == 0) return -1;
    for (size_t i = 0; i < total; i++)
      if (want[i] != got[i]) return long(i);
    return -1;
  }

  const BlendRow* ref_ = nullptr;
  const BlendRow* rows_ = nullptr;
  int32_t savedWeights_[256];
  MaskWeightRule savedRule_{};
};

// Runs of whole vector blocks and more: each run is one class of pixel.
// Alpha classes: 0 clear, 1 opaque, 2 any. Mask classes: 0 left (bytes
// 0..2), 1 full weight, 2 any.
void FillRuns(std::mt19937& rng, uint8_t* p, size_t px, bool alpha) {
  for (size_t k = 0; k < px;) {
    size_t run = 1 + rng() % 40;
    int cls = int(rng() % 3);
    for (; run > 0 && k < px; run--, k++) {
      uint8_t v = uint8_t(rng());
      if (alpha) p[k * 4 + 3] = cls == 0 ? 0 : cls == 1 ? 255 : v;
      else p[k * 4] = cls == 0 ? uint8_t(rng() % 3) : cls == 1 ? 3 : v;
    }
  }
}

// Pixel k holds the pair (k >> 8, k & 255) in every channel, each channel
// through its own byte permutation, so that every pair meets every channel.
struct PairRows {
  std::vector<uint8_t> src, dst, mask;
  PairRows() : src(kPairs * 4), dst(kPairs * 4), mask(kPairs * 4) {
    const uint8_t sx[4] = {0x00, 0x5A, 0xA5, 0x77}, dx[4] = {0x00, 0x3C, 0xC3, 0x11};
    for (size_t k = 0; k < kPairs; k++)
      for (int c = 0; c < 4; c++) {
        src[k * 4 + c] = uint8_t((k >> 8) ^ sx[c]);
        dst[k * 4 + c] = uint8_t((k & 255) ^ dx[c]);
        mask[k * 4 + c] = uint8_t(k * 31 + 5);
      }
  }
};

std::string Where(size_t e, int op, int pass, size_t off, long byte, const uint8_t* src, const uint8_t* dst) {
  size_t px = size_t(byte) / 4;
  return "kind " + std::to_string(e / 40) + " mode " + std::to_string(e % 40 / 2) + " variant " +
         std::to_string(e % 2) + " op " + std::to_string(op) + " pass " + std::to_string(pass) +
         " start " + std::to_string(off) + " pixel " + std::to_string(px) + " channel " +
         std::to_string(byte % 4) + " s " + std::to_string(src[byte]) + " d " + std::to_string(dst[byte]) +
         " sA " + std::to_string(src[px * 4 + 3]);
}

// Passes over the source alpha (kinds 1 and 3) and the mask (kinds 2 and 3):
// 0 the pairs' own alpha bytes (runs of 256 pixels of one alpha) and a
// quickly varying mask, 1 a quickly varying alpha, 2 runs of each class.
void ApplyPass(int pass, PairRows& rows, const PairRows& base, std::mt19937& rng) {
  rows = base;
  if (pass == 1)
    for (size_t k = 0; k < kPairs; k++) rows.src[k * 4 + 3] = uint8_t(k * 7 + (k >> 8));
  if (pass == 2) {
    FillRuns(rng, rows.src.data(), kPairs, true);
    FillRuns(rng, rows.mask.data(), kPairs, false);
  }
}

TEST_P(BlendRowsSimdTest, EveryEntryMatchesScalarOverAllPairs) {
  const PairRows base;
  PairRows rows;
  std::mt19937 rng(2024);
  std::vector<uint8_t> want, got;
  int call = 0;
  for (int kind = 0; kind < kBlendKindCount; kind++)
    for (int mode = 0; mode < 20; mode++)
      for (int variant = 0; variant < 2; variant++) {
        size_t e = size_t(kind * 40 + mode * 2 + variant);
        std::vector<int> ops = {256};
        if (variant == 0 && kind < 2) ops.assign(std::begin(kPartialOps), std::end(kPartialOps));
        int passes = kind == 0 ? 1 : 3;
        for (int pass = 0; pass < passes; pass++) {
          ApplyPass(pass, rows, base, rng);
          for (int op : ops) {
            // Start the row at a different pixel each call, so that pairs
            // meet every vector position and the tail length varies.
            size_t off = size_t(call++ % 9) * 4;
            long bad = Compare(e, rows.dst.data() + off, rows.src.data() + off, rows.mask.data() + off, op,
                               kPairs * 4 - off, kPairs * 4 - off, want, got);
            ASSERT_EQ(-1, bad) << Where(e, op, pass, off / 4, bad, rows.src.data() + off, rows.dst.data() + off)
                               << " want " << int(want[size_t(bad)]) << " got " << int(got[size_t(bad)]);
          }
        }
      }
}

// Short rows of 1..40 pixels at every start: every vector block length,
// every tail, random bytes with runs of each alpha and mask class.
TEST_P(BlendRowsSimdTest, EveryEntryMatchesScalarAtEveryLengthAndStart) {
  std::mt19937 rng(99);
  std::vector<uint8_t> want, got;
  const int ops[] = {0, 77, 128, 200, 255, 256};
  for (size_t e = 0; e < size_t(kBlendRowCount); e++)
    for (int op : ops) {
      bool plain = e / 40 < 2;
      if (plain ? (e % 2 == 1) != (op == 256) : op != 256) continue;
      for (size_t px = 1; px <= 40; px++)
        for (size_t start = 0; start < 8; start++) {
          // 8 pixels after the row stay as they are.
          size_t n = (px + start + 8) * 4;
          std::vector<uint8_t> s(n), d(n), m(n);
          for (size_t i = 0; i < n; i++) s[i] = uint8_t(rng()), d[i] = uint8_t(rng()), m[i] = uint8_t(rng());
          FillRuns(rng, s.data(), px + start + 8, true);
          FillRuns(rng, m.data(), px + start + 8, false);
          size_t off = start * 4;
          long bad = Compare(e, d.data() + off, s.data() + off, m.data() + off, op, px * 4, n - off, want, got);
          ASSERT_EQ(-1, bad) << Where(e, op, 0, start, bad, s.data() + off, d.data() + off) << " length " << px;
        }
    }
}

// Weights the compositor builds from a layer's mask level, gradient and
// opacity carry their closed form, which the vector rows compute instead of
// looking each weight up: every mask row gives the scalar row's bytes for
// every mask byte at every position, over soft edges of every slope sign,
// the hard edge (gradient 256) and the opacity's ends.
TEST_P(BlendRowsSimdTest, MaskRowsFollowTheCompositorsWeightsOverEveryMaskByte) {
  const int gradients[] = {-32768, -300, -2, -1, 0, 1, 2, 3, 127, 255, 256, 257, 1000, 32767};
  const int levels[] = {0, 1, 100, 128, 255};
  const int opacities[] = {0, 1, 128, 255, 256};
  constexpr size_t kPx = 256 * 4 + 9;
  std::mt19937 rng(7);
  std::vector<uint8_t> s(kPx * 4), d(kPx * 4), m(kPx * 4), want, got;
  for (size_t i = 0; i < s.size(); i++) s[i] = uint8_t(rng()), d[i] = uint8_t(rng()), m[i] = uint8_t(rng());
  // Every mask byte at four positions of a vector block.
  for (size_t k = 0; k < kPx; k++) m[k * 4] = uint8_t(k * 5 / 4 + k / 256);
  for (int g : gradients)
    for (int level : levels)
      for (int op : opacities) {
        Comp_BuildMaskWeights(level, g, op);
        ASSERT_TRUE(g_MaskWeightRule.set);
        for (size_t e = 2 * 40; e < size_t(kBlendRowCount); e++) {
          size_t off = (e % 9) * 4;
          long bad = Compare(e, d.data() + off, s.data() + off, m.data() + off, 256, (kPx - 9) * 4,
                             (kPx - 9) * 4, want, got);
          ASSERT_EQ(-1, bad) << "gradient " << g << " level " << level << " opacity " << op << " mask "
                             << int(m[off + size_t(bad) / 4 * 4]) << " weight "
                             << g_MaskWeights[m[off + size_t(bad) / 4 * 4]] << " "
                             << Where(e, op, 0, off / 4, bad, s.data() + off, d.data() + off);
        }
      }
}

// The picked rows of the installed table are this machine's best set.
TEST_P(BlendRowsSimdTest, InstalledTableUsesTheVectorRows) {
  const BlendRow* best = Blend_GetSetRows(2) ? Blend_GetSetRows(2) : Blend_GetSetRows(1);
  EXPECT_EQ(best[1 * 40 + 3 * 2 + 1].plain, Blend_PickRow(kBlendAlpha, 3, 256).plain);
  EXPECT_EQ(best[2 * 40 + 15 * 2 + 0].mask, Blend_PickRow(kBlendMask, 15, 100).mask);
  Pix_InitOps(0, 0);
  Blend_InitTables();
  EXPECT_EQ(Blend_GetSetRows(0)[1 * 40 + 3 * 2 + 1].plain, Blend_PickRow(kBlendAlpha, 3, 256).plain);
  Pix_InitOps(1, 1);
  Blend_InitTables();
}

std::string SetName(const ::testing::TestParamInfo<int>& info) { return info.param == 1 ? "Sse2" : "Avx2"; }
INSTANTIATE_TEST_SUITE_P(Sets, BlendRowsSimdTest, ::testing::Values(1, 2), SetName);

}  // namespace
