// The frame scalers pinned against straightforward references and a few
// golden pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/graphics.h"
#include "render/render.h"

namespace {

// A layer-shaped buffer: one spare row and pixel at the end.
std::vector<uint8_t> Image(int32_t w, int32_t h, uint32_t seed) {
  std::vector<uint8_t> b(static_cast<size_t>(w) * 4 * (h + 1) + 4, 0);
  std::mt19937 rng(seed);
  for (size_t i = 0; i < static_cast<size_t>(w) * h * 4; ++i) b[i] = static_cast<uint8_t>(rng());
  return b;
}

int RefWeight(int i) {
  int v = static_cast<int>(1.25 * (i - 128) + 128);
  return std::clamp(v, 0, 255);
}

// The filter written out plainly, one channel at a time.
std::vector<uint8_t> RefFiltered(const std::vector<uint8_t>& src, int32_t x0, int32_t y0,
                                 int32_t x1, int32_t y1, int32_t sw, int32_t sh, int32_t dw100,
                                 int32_t dh100) {
  int32_t dw = dw100 / 100, dh = dh100 / 100;
  auto axis = [](int32_t p0, int32_t p1, int32_t d100, int32_t i, int32_t* pos, int* wt) {
    int64_t f = (p0 % 100) * 256 / 100, span = p1 - p0;
    int64_t div = d100 == 100 ? 100 : d100 - 100;
    bool shrink = d100 < span;
    int64_t t = ((256 * int64_t(i) + (shrink ? f : 0)) * span) / div + (shrink ? 0 : f);
    *pos = static_cast<int32_t>(t >> 8) + p0 / 100;
    *wt = RefWeight(static_cast<int>(t & 0xFF));
  };
  std::vector<uint8_t> out(static_cast<size_t>(dw) * dh * 4, 0);
  bool rowsEnded = false;
  for (int32_t j = 0; j < dh; ++j) {
    int32_t sy; int fy;
    axis(y0, y1, dh100, j, &sy, &fy);
    if (sy >= sh) rowsEnded = true;
    if (sy < 0 || rowsEnded) continue;
    bool colsEnded = false;
    for (int32_t i = 0; i < dw; ++i) {
      int32_t sx; int fx;
      axis(x0, x1, dw100, i, &sx, &fx);
      if (sx >= sw) colsEnded = true;
      if (sx < 0 || colsEnded) continue;
      for (int c = 0; c < 4; ++c) {
        auto px = [&](int32_t x, int32_t y) { return int(src[(size_t(y) * sw + x) * 4 + c]); };
        int top = std::min(65535, px(sx, sy) * (256 - fx) + px(sx + 1, sy) * fx) >> 8;
        int bot = std::min(65535, px(sx, sy + 1) * (256 - fx) + px(sx + 1, sy + 1) * fx) >> 8;
        int v = std::min(65535, top * (256 - fy) + bot * fy) >> 8;
        out[(size_t(j) * dw + i) * 4 + c] = static_cast<uint8_t>(std::min(v, 255));
      }
    }
  }
  return out;
}

std::vector<uint8_t> RefNearest(const std::vector<uint8_t>& src, int32_t x0, int32_t y0,
                                int32_t x1, int32_t y1, int32_t sw, int32_t sh, int32_t dw,
                                int32_t dh) {
  std::vector<uint8_t> out(static_cast<size_t>(dw) * dh * 4, 0);
  int64_t cs = (int64_t(x1 - x0 + 1) << 16) / dw, rs = (int64_t(y1 - y0 + 1) << 16) / dh;
  for (int32_t j = 0; j < dh; ++j) {
    int64_t sy = y0 + ((j * rs) >> 16);
    for (int32_t i = 0; i < dw; ++i) {
      int64_t sx = x0 + ((i * cs) >> 16);
      if (sx < 0 || sx >= sw || sy < 0 || sy >= sh) continue;
      std::copy_n(&src[(size_t(sy) * sw + sx) * 4], 4, &out[(size_t(j) * dw + i) * 4]);
    }
  }
  return out;
}

struct ScaleCase { int32_t sw, sh, dw, dh; };
const ScaleCase kCases[] = {
    {3, 2, 7, 5}, {9, 7, 4, 3}, {16, 16, 16, 16}, {5, 4, 1, 1}, {1, 1, 6, 3},
    {800, 600, 1920, 1080}, {640, 480, 320, 240}, {37, 19, 101, 13},
};

TEST(ScaleFiltered, WeightTable) {
  EXPECT_EQ(Present_FilterWeight(0), 0);
  EXPECT_EQ(Present_FilterWeight(25), 0);   // -0.75 truncates to 0
  EXPECT_EQ(Present_FilterWeight(27), 1);
  EXPECT_EQ(Present_FilterWeight(100), 93);
  EXPECT_EQ(Present_FilterWeight(128), 128);
  EXPECT_EQ(Present_FilterWeight(230), 255);
  EXPECT_EQ(Present_FilterWeight(255), 255);
}

TEST(ScaleFiltered, MatchesTheReference) {
  for (const ScaleCase& c : kCases) {
    std::vector<uint8_t> src = Image(c.sw, c.sh, static_cast<uint32_t>(c.sw * 31 + c.dw));
    std::vector<uint8_t> dst(static_cast<size_t>(c.dw) * c.dh * 4, 0xCD);
    Present_ScaleFiltered(dst.data(), src.data(), 0, 0, 100 * (c.sw - 1), 100 * (c.sh - 1), c.sw,
                          c.sh, 100 * c.dw, 100 * c.dh);
    EXPECT_EQ(dst, RefFiltered(src, 0, 0, 100 * (c.sw - 1), 100 * (c.sh - 1), c.sw, c.sh,
                               100 * c.dw, 100 * c.dh))
        << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
  }
}

TEST(ScaleFiltered, SubPixelRectangleMatchesTheReference) {
  std::vector<uint8_t> src = Image(20, 10, 7);
  const int32_t rects[][4] = {{150, 50, 1725, 830}, {-250, 0, 1900, 900}, {37, 99, 500, 400}};
  for (const auto& r : rects) {
    for (const ScaleCase& d : {ScaleCase{0, 0, 13, 7}, ScaleCase{0, 0, 40, 25}}) {
      std::vector<uint8_t> dst(static_cast<size_t>(d.dw) * d.dh * 4, 0xCD);
      Present_ScaleFiltered(dst.data(), src.data(), r[0], r[1], r[2], r[3], 20, 10, 100 * d.dw,
                            100 * d.dh);
      EXPECT_EQ(dst, RefFiltered(src, r[0], r[1], r[2], r[3], 20, 10, 100 * d.dw, 100 * d.dh))
          << r[0] << "," << r[1] << " -> " << d.dw;
    }
  }
}

TEST(ScaleFiltered, GoldenPixels) {
  // Black and white side by side, widened to three pixels: the middle one
  // mixes them half and half.
  std::vector<uint8_t> src = {0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> dst(3 * 4);
  Present_ScaleFiltered(dst.data(), src.data(), 0, 0, 100, 0, 2, 1, 300, 100);
  EXPECT_EQ(dst, (std::vector<uint8_t>{0, 0, 0, 0, 127, 127, 127, 127, 255, 255, 255, 255}));
  // One destination pixel maps to the rectangle's start.
  std::vector<uint8_t> one(4);
  Present_ScaleFiltered(one.data(), src.data(), 100, 0, 100, 0, 2, 1, 100, 100);
  EXPECT_EQ(one, (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST(ScaleNearest, MatchesTheReferenceAndClearsOutside) {
  for (const ScaleCase& c : kCases) {
    std::vector<uint8_t> src = Image(c.sw, c.sh, static_cast<uint32_t>(c.dh));
    std::vector<uint8_t> dst(static_cast<size_t>(c.dw) * c.dh * 4, 0xCD);
    Present_ScaleThreaded(dst.data(), src.data(), 0, 0, c.sw - 1, c.sh - 1, c.sw, c.sh, c.dw, c.dh);
    EXPECT_EQ(dst, RefNearest(src, 0, 0, c.sw - 1, c.sh - 1, c.sw, c.sh, c.dw, c.dh));
  }
  std::vector<uint8_t> src = Image(8, 8, 3);
  std::vector<uint8_t> dst(10 * 10 * 4, 0xCD);
  Present_ScaleThreaded(dst.data(), src.data(), -2, -3, 9, 10, 8, 8, 10, 10);
  EXPECT_EQ(dst, RefNearest(src, -2, -3, 9, 10, 8, 8, 10, 10));
}

TEST(ScaleNearest, DoublesEachPixel) {
  std::vector<uint8_t> src(2 * 4 * 3 + 4, 0);
  for (int i = 0; i < 4; ++i) src[i * 4] = static_cast<uint8_t>(10 * (i + 1));
  std::vector<uint8_t> dst(4 * 4 * 4);
  Present_ScaleThreaded(dst.data(), src.data(), 0, 0, 1, 1, 2, 2, 4, 4);
  const uint8_t expect[4][4] = {{10, 10, 20, 20}, {10, 10, 20, 20}, {30, 30, 40, 40}, {30, 30, 40, 40}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst[(y * 4 + x) * 4], expect[y][x]) << x << "," << y;
}

TEST(ScaleShared, WorkersGiveTheSamePixels) {
  Gfx_StartWorkers(3);
  std::vector<uint8_t> src = Image(800, 600, 11);
  std::vector<uint8_t> a(1920 * 1080 * 4), b(1920 * 1080 * 4);
  Present_ScaleFiltered(a.data(), src.data(), 0, 0, 79900, 59900, 800, 600, 192000, 108000);
  Present_ScaleThreaded2(b.data(), src.data(), 0, 0, 79900, 59900, 800, 600, 192000, 108000);
  EXPECT_EQ(a, b);
  std::vector<uint8_t> n = RefNearest(src, 0, 0, 799, 599, 800, 600, 1920, 1080);
  Present_ScaleThreaded(b.data(), src.data(), 0, 0, 799, 599, 800, 600, 1920, 1080);
  EXPECT_EQ(b, n);
  Gfx_StopWorkers();
}

}  // namespace
