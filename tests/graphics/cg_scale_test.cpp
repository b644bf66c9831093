// The scalers and the rotation of command 2 against plain reference forms
// written here, and the destination-buffer rules of the scaling.
#include <cmath>
#include <random>

#include "cg_op_fixture.h"
#include "render/render.h"

using namespace cgtest;
using gfxtest::Pixels;

namespace {

// A layer-layout buffer (spare row and pixel) of random pixels.
std::vector<uint8_t> RandomLayer(int w, int h, uint32_t seed) {
  std::vector<uint8_t> b(Img_PixelBytes(w, h));
  std::mt19937 rng(seed);
  for (auto& v : b) v = uint8_t(rng());
  return b;
}
uint32_t PxAt(const std::vector<uint8_t>& b, int64_t i) {
  uint32_t v;
  std::memcpy(&v, b.data() + i * 4, 4);
  return v;
}

// ---- Method 31 reference ----------------------------------------------
int Cubic(int t) {
  double u = t / 256.0;
  return int(256 * (u <= 1 ? u * u * u - 2 * u * u + 1 : -u * u * u + 5 * u * u - 8 * u + 4));
}
std::vector<uint32_t> RefBicubic(const std::vector<uint8_t>& src, int w, int h, int l, int t, int r,
                                 int b, int W, int H) {
  std::vector<uint32_t> out(size_t(W) * H, 0);
  for (int oy = 0; oy < H; oy++)
    for (int ox = 0; ox < W; ox++) {
      int64_t py = (int64_t(oy) * 65536 / H * (b - t + 1)) >> 8;
      int64_t px = (int64_t(ox) * 65536 / W * (r - l + 1)) >> 8;
      int64_t sy = t + (py >> 8), sx = l + (px >> 8);
      int fy = int(py & 255), fx = int(px & 255);
      if (sy < 0 || sy >= h || sx < 0 || sx >= w) continue;
      int dys[4] = {256 + fy, fy, 256 - fy, 512 - fy}, dxs[4] = {256 + fx, fx, 256 - fx, 512 - fx};
      int64_t sum[4] = {}, ws = 0;
      for (int j = 0; j < 4; j++)
        for (int i = 0; i < 4; i++) {
          int64_t yy = sy - 1 + j, xx = sx - 1 + i;
          if (yy < 0 || yy >= h || xx < 0 || xx >= w) continue;
          int64_t wt = int64_t(Cubic(dys[j])) * Cubic(dxs[i]) / 256;
          for (int c = 0; c < 4; c++) sum[c] += wt * Ch(PxAt(src, yy * w + xx), c);
          ws += wt;
        }
      if (ws == 0) ws = 1;
      uint32_t v = 0;
      for (int c = 0; c < 4; c++) v |= uint32_t(std::clamp<int64_t>(sum[c] / ws, 0, 255)) << (8 * c);
      out[size_t(oy) * W + ox] = v;
    }
  return out;
}

TEST(CgScaleMethod31, MatchesTheReferenceAndLeavesOutsidePixelsBlack) {
  const int w = 13, h = 7;
  auto src = RandomLayer(w, h, 3);
  struct Case {
    int l, t, r, b, W, H;
  } cases[] = {{0, 0, 12, 6, 29, 15}, {0, 0, 12, 6, 5, 3}, {2, 1, 9, 5, 16, 9}, {-3, -2, 15, 8, 20, 10}};
  for (const Case& c : cases) {
    std::vector<uint32_t> got(size_t(c.W) * c.H, 0xDEADBEEF);
    Cg_ScaleMethod31(reinterpret_cast<uint8_t*>(got.data()), src.data(), c.l, c.t, c.r, c.b, w, h, c.W, c.H);
    EXPECT_EQ(RefBicubic(src, w, h, c.l, c.t, c.r, c.b, c.W, c.H), got) << c.W << "x" << c.H;
  }
}

// ---- Method 41 reference ----------------------------------------------
struct RefAxis {
  int64_t start, a, b, span, out100;
  int64_t At(int64_t i, int64_t dens, int64_t extra) const {
    int64_t div = dens * out100 - 100;
    if (div == 0) div = 100;
    return ((256 * i + extra + a) * span) / div + b;
  }
};
RefAxis Axis(int p0, int p1, int out100) {
  int64_t f = int64_t(p0 % 100) * 256 / 100;
  bool shrink = out100 < p1 - p0;
  return {p0 / 100, shrink ? f : 0, shrink ? 0 : f, int64_t(p1) - p0, out100};
}
int Sharp(int f) { return std::clamp(int(1.25 * (f - 128) + 128), 0, 255); }

std::vector<uint32_t> RefSuper(const std::vector<uint8_t>& src, int w, int h, int x0, int y0, int x1,
                               int y1, int OW, int OH) {
  int W = OW / 100, H = OH / 100;
  RefAxis cx = Axis(x0, x1, OW), cy = Axis(y0, y1, OH);
  std::vector<uint32_t> out(size_t(W) * H, 0);
  auto pix = [&](int64_t x, int64_t y, int c) { return Ch(PxAt(src, y * w + x), c); };
  auto sample = [&](int64_t sub, int64_t rpos, int c) {
    int64_t q = cx.At(sub, 2, 0);
    int64_t sx = std::clamp<int64_t>(cx.start + (q >> 8), 0, w - 1);
    int64_t sy = std::clamp<int64_t>(cy.start + (rpos >> 8), 0, h - 1);
    int f = Sharp(int(q & 255)), g = int(rpos & 255);
    // The right neighbour and the row below as the buffer lays them out.
    int64_t i00 = sy * w + sx;
    auto at = [&](int64_t i) { return Ch(PxAt(src, i), c); };
    int top = (at(i00) * (256 - f) + at(i00 + 1) * f) >> 8;
    int bot = (at(i00 + w) * (256 - f) + at(i00 + w + 1) * f) >> 8;
    (void)pix;
    return (top * (256 - g) + bot * g) >> 8;
  };
  for (int y = 0; y < H; y++) {
    int64_t sy = cy.start + (cy.At(y, 1, 0) >> 8);
    bool rowIn = sy >= 0 && sy < h;
    for (int x = 0; x < W; x++) {
      int64_t sx = cx.start + (cx.At(x, 1, 0) >> 8);
      if (!rowIn || sx < 0 || sx >= w) continue;
      int64_t r0 = cy.At(2 * y, 2, 0), r1 = cy.At(2 * y, 2, 256);
      uint32_t v = 0;
      for (int c = 0; c < 4; c++) {
        auto avg = [](int p, int q) { return (p + q + 1) >> 1; };
        int left = avg(sample(2 * x, r0, c), sample(2 * x, r1, c));
        int right = avg(sample(2 * x + 1, r0, c), sample(2 * x + 1, r1, c));
        v |= uint32_t(avg(left, right)) << (8 * c);
      }
      out[size_t(y) * W + x] = v;
    }
  }
  return out;
}

TEST(CgScaleMethod41, MatchesTheReferenceWithOneAndFourWorkers) {
  const int w = 17, h = 11;
  auto src = RandomLayer(w, h, 5);
  struct Case {
    int x0, y0, x1, y1, OW, OH;
  } cases[] = {{0, 0, 1600, 1000, 3400, 2200}, {0, 0, 1600, 1000, 800, 500},
               {150, 230, 1490, 870, 1250, 1000}, {0, 0, 2500, 1000, 2000, 700}};
  for (int workers : {1, 4}) {
    Gfx_StartWorkers(workers);
    for (const Case& c : cases) {
      std::vector<uint32_t> got(size_t(c.OW / 100) * (c.OH / 100), 0xDEADBEEF);
      Cg_ScaleMethod41(reinterpret_cast<uint8_t*>(got.data()), src.data(), c.x0, c.y0, c.x1, c.y1, w, h, c.OW, c.OH);
      EXPECT_EQ(RefSuper(src, w, h, c.x0, c.y0, c.x1, c.y1, c.OW, c.OH), got) << c.OW << " workers " << workers;
    }
    Gfx_StopWorkers();
  }
}

// ---- Method 51 ---------------------------------------------------------
// Lanczos-2 in doubles, without the fixed-point weights: the engine's
// result may differ from it by rounding only.
std::vector<double> RefLanczosLine(const std::vector<double>& in, int m) {
  int n = int(in.size());
  double s = (n > 1 && m > 1) ? double(m - 1) / (n - 1) : double(m) / n;
  double ks = std::min(s, 1.0);
  std::vector<double> out(static_cast<size_t>(m));
  for (int i = 0; i < m; i++) {
    double c = i / s, sum = 0, ws = 0;
    for (int k = int(std::floor(c - 2 / ks)); k <= int(std::ceil(c + 2 / ks)); k++) {
      if (k < 0 || k >= n) continue;
      double x = std::fabs((c - k) * ks);
      auto sinc = [](double v) { return v == 0 ? 1.0 : std::sin(M_PI * v) / (M_PI * v); };
      double wt = x < 2 ? sinc(x) * sinc(x / 2) * ks : 0;
      sum += wt * in[size_t(k)];
      ws += wt;
    }
    out[size_t(i)] = std::clamp(ws != 0 ? sum / ws : 0.0, 0.0, 255.0);
  }
  return out;
}

TEST(CgScaleMethod51, IdentityIsExact) {
  const int w = 9, h = 6;
  auto src = RandomLayer(w, h, 7);
  std::vector<uint8_t> out(size_t(w) * h * 4);
  ASSERT_EQ(0, Cg_ScaleMethod51(out.data(), src.data(), w, h, w, h));
  EXPECT_TRUE(std::equal(out.begin(), out.end(), src.begin()));
}

TEST(CgScaleMethod51, FollowsTheDoubleReferenceWithinTwoLevels) {
  const int w = 20, h = 12;
  auto src = RandomLayer(w, h, 9);
  struct Case {
    int W, H;
  } cases[] = {{40, 24}, {7, 5}, {3, 1}, {1, 12}, {33, 12}};
  for (const Case& c : cases) {
    std::vector<uint8_t> out(size_t(c.W) * c.H * 4);
    ASSERT_EQ(0, Cg_ScaleMethod51(out.data(), src.data(), w, h, c.W, c.H));
    for (int ch = 0; ch < 4; ch++) {
      // Rows first, then columns, as the engine does.
      std::vector<std::vector<double>> mid(static_cast<size_t>(h));
      for (int y = 0; y < h; y++) {
        std::vector<double> line(static_cast<size_t>(w));
        for (int x = 0; x < w; x++) line[size_t(x)] = Ch(PxAt(src, int64_t(y) * w + x), ch);
        // The intermediate image holds whole levels, as the engine's does.
        mid[size_t(y)] = RefLanczosLine(line, c.W);
        for (double& v : mid[size_t(y)]) v = std::trunc(v);
      }
      for (int x = 0; x < c.W; x++) {
        std::vector<double> col(static_cast<size_t>(h));
        for (int y = 0; y < h; y++) col[size_t(y)] = mid[size_t(y)][size_t(x)];
        std::vector<double> want = RefLanczosLine(col, c.H);
        for (int y = 0; y < c.H; y++)
          ASSERT_NEAR(want[size_t(y)], out[(size_t(y) * c.W + x) * 4 + ch], 2.0)
              << c.W << "x" << c.H << " at " << x << "," << y << " channel " << ch;
      }
    }
  }
}

TEST(CgScaleMethod51, AnEnlargementNeverFallsBetweenTaps) {
  // Two pixels to three: the middle one lies between them and must mix
  // them, not come out black.
  std::vector<uint8_t> src(Img_PixelBytes(2, 1), 0);
  uint32_t a = 0xFF204080u, b = 0xFF6080C0u;
  std::memcpy(src.data(), &a, 4), std::memcpy(src.data() + 4, &b, 4);
  std::vector<uint32_t> out(3);
  ASSERT_EQ(0, Cg_ScaleMethod51(reinterpret_cast<uint8_t*>(out.data()), src.data(), 2, 1, 3, 1));
  EXPECT_EQ(a, out[0]);
  EXPECT_EQ(b, out[2]);
  for (int c = 0; c < 4; c++) EXPECT_NEAR((Ch(a, c) + Ch(b, c)) / 2.0, Ch(out[1], c), 1.0) << c;
}

TEST(CgScaleMethod51, SinglePixelOutputIsAnAverage) {
  std::vector<uint8_t> src(Img_PixelBytes(8, 1), 0);
  for (int x = 0; x < 8; x++) {
    uint32_t v = 0xFF000000u | uint32_t(100 + x);
    std::memcpy(src.data() + x * 4, &v, 4);
  }
  uint32_t out = 0;
  ASSERT_EQ(0, Cg_ScaleMethod51(reinterpret_cast<uint8_t*>(&out), src.data(), 8, 1, 1, 1));
  EXPECT_EQ(255u, out >> 24);
  EXPECT_GE(int(out & 0xFF), 100);
  EXPECT_LE(int(out & 0xFF), 107);
}

// ---- Rotation ----------------------------------------------------------

class CgRotate : public ::testing::Test {
 protected:
  void SetUp() override {
    gfxtest::InitGraphics();
    saved = g_TreeRoots[kTreeLayer].root;
    root = gfxtest::MakeRoot(16, 16);
  }
  // The layer tree of the scene tests is put back for the next test.
  void TearDown() override {
    Obj_DeleteTree(root);
    g_TreeRoots[kTreeLayer].root = saved;
  }
  ObjNode* saved = nullptr;
  ObjNode* Layer(const char* name, int w, int h) {
    ObjNode* n = gfxtest::MakeLayer(root, name, false, w, h, 0);
    LayerImage* r = Layer_Record(n);
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) SetPx(r, x, y, 0xFF000000u | uint32_t(y << 8 | x));
    return n;
  }
  ObjNode* root = nullptr;
};

TEST_F(CgRotate, QuarterHalfAndFullTurns) {
  ObjNode* a = Layer("a", 100, 50);
  ObjNode* out = gfxtest::MakeLayer(root, "o", false, 1, 1, 0);
  LayerImage *s = Layer_Record(a), *d = Layer_Record(out);
  s->alphaMode = 0;
  ASSERT_EQ(0, Cg_Rotate(a, out, 90, 1, 11));
  ASSERT_EQ(100u, d->width);
  for (int y = 0; y < 50; y++)
    for (int x = 0; x < 100; x++) {
      uint32_t want = x >= 25 && x < 75 ? GetPx(s, 75 - y, x - 25) : 0u;
      ASSERT_EQ(want, GetPx(d, x, y)) << x << "," << y;
    }
  EXPECT_EQ(1, d->alphaMode);  // not a multiple of 180
  ASSERT_EQ(0, Cg_Rotate(a, out, 180, 1, 11));
  for (int y = 0; y < 50; y++)
    for (int x = 0; x < 100; x++) ASSERT_EQ(GetPx(s, 99 - x, 49 - y), GetPx(d, x, y));
  EXPECT_EQ(0, d->alphaMode);
  ASSERT_EQ(0, Cg_Rotate(a, out, 360, 1, 12));
  EXPECT_EQ(0, std::memcmp(s->pixels, d->pixels, 100 * 50 * 4));
  ASSERT_EQ(0, Cg_Rotate(a, out, 45, 1, 11));
  EXPECT_EQ(1, d->alphaMode);
}

TEST_F(CgRotate, NegativeAnglesTurnTheOtherWay) {
  ObjNode* a = Layer("a", 20, 20);
  ObjNode* p = gfxtest::MakeLayer(root, "p", false, 1, 1, 0);
  ObjNode* q = gfxtest::MakeLayer(root, "q", false, 1, 1, 0);
  ASSERT_EQ(0, Cg_Rotate(a, p, -90, 1, 11));
  ASSERT_EQ(0, Cg_Rotate(a, q, 270, 1, 11));
  EXPECT_EQ(Pixels(Layer_Record(q)), Pixels(Layer_Record(p)));
  EXPECT_NE(0u, GetPx(Layer_Record(p), 10, 10));
}

TEST_F(CgRotate, ModesAgreeOnTheirReachableSourceAndStayInside) {
  ObjNode* a = Layer("a", 31, 17);
  for (int deg : {10, 45, 100, 200, 315}) {
    ObjNode* m11 = gfxtest::MakeLayer(root, "m11", false, 1, 1, 0);
    ObjNode* m12 = gfxtest::MakeLayer(root, "m12", false, 1, 1, 0);
    ASSERT_EQ(0, Cg_Rotate(a, m11, deg, 1, 11));
    ASSERT_EQ(0, Cg_Rotate(a, m12, deg, 1, 12));
    // A straightforward per-pixel rotation with floored coordinates.
    LayerImage* s = Layer_Record(a);
    double rad = deg * 3.1415926535 / 180;
    int64_t sn = int64_t(65536 * std::sin(rad)), cs = int64_t(65536 * std::cos(rad));
    for (int y = 0; y < 17; y++)
      for (int x = 0; x < 31; x++) {
        int64_t u = 15 * 65536 + cs * (x - 15) - sn * (y - 8), v = 8 * 65536 + sn * (x - 15) + cs * (y - 8);
        int64_t sx = u >> 16, sy = v >> 16;
        uint32_t want = sx >= 0 && sx < 31 && sy >= 0 && sy < 17 ? GetPx(s, int(sx), int(sy)) : 0u;
        ASSERT_EQ(want, GetPx(Layer_Record(m11), x, y)) << deg << " at " << x << "," << y;
      }
    Obj_Release(m11);
    Obj_Release(m12);
  }
}

TEST_F(CgRotate, OntoItselfReadsTheOldPixels) {
  ObjNode* a = Layer("a", 8, 6);
  std::vector<uint8_t> before = Pixels(Layer_Record(a));
  ASSERT_EQ(0, Cg_Rotate(a, nullptr, 180, 0, 11));
  LayerImage* r = Layer_Record(a);
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 8; x++) {
      uint32_t want;
      std::memcpy(&want, before.data() + ((5 - y) * 8 + (7 - x)) * 4, 4);
      ASSERT_EQ(want, GetPx(r, x, y));
    }
}

// ---- Cg_Scale buffers --------------------------------------------------

TEST_F(CgRotate, ScaleReusesAMatchingBufferAndShrinksInPlace) {
  ObjNode* a = Layer("a", 10, 10);
  ObjNode* same = gfxtest::MakeLayer(root, "same", false, 5, 4, 0);
  uint8_t* keep = Layer_Record(same)->pixels;
  ASSERT_EQ(0, Cg_Scale(a, same, 0, 0, 900, 900, 500, 400, 1, 31));
  EXPECT_EQ(keep, Layer_Record(same)->pixels);
  ObjNode* big = gfxtest::MakeLayer(root, "big", false, 8, 8, 0);
  Layer_Record(big)->shrinkInPlace = 1;
  keep = Layer_Record(big)->pixels;
  ASSERT_EQ(0, Cg_Scale(a, big, 0, 0, 900, 900, 300, 200, 1, 41));
  EXPECT_EQ(keep, Layer_Record(big)->pixels);
  EXPECT_EQ(3u, Layer_Record(big)->width);
  EXPECT_EQ(2u, Layer_Record(big)->height);
}

TEST_F(CgRotate, ScaleOntoItselfReadsTheOldPixels) {
  ObjNode* a = Layer("a", 6, 6);
  ObjNode* ref = Layer("ref", 6, 6);
  ObjNode* out = gfxtest::MakeLayer(root, "out", false, 1, 1, 0);
  // A zoom into the top-left corner at the layer's own size: the buffer
  // would be reused, but it is still being read.
  ASSERT_EQ(0, Cg_Scale(ref, out, 0, 0, 200, 200, 600, 600, 1, 31));
  ASSERT_EQ(0, Cg_Scale(a, a, 0, 0, 200, 200, 600, 600, 1, 31));
  EXPECT_EQ(Pixels(Layer_Record(out)), Pixels(Layer_Record(a)));
}

TEST_F(CgRotate, FrameScalerMethodsUseTheRenderersScalers) {
  Cg_SetFrameScalers(Present_ScaleThreaded, Present_ScaleFiltered, Present_ScaleThreaded2);
  ObjNode* a = Layer("a", 10, 7);
  ObjNode* n = gfxtest::MakeLayer(root, "n", false, 1, 1, 0);
  ObjNode* f = gfxtest::MakeLayer(root, "f", false, 1, 1, 0);
  ASSERT_EQ(0, Cg_Scale(a, n, 100, 0, 900, 600, 2300, 1100, 1, 10));
  ASSERT_EQ(0, Cg_Scale(a, f, 0, 0, 900, 600, 2300, 1100, 1, 21));
  LayerImage* s = Layer_Record(a);
  std::vector<uint8_t> want(23 * 11 * 4);
  Present_ScaleThreaded(want.data(), s->pixels, 1, 0, 9, 6, 10, 7, 23, 11);
  EXPECT_EQ(want, Pixels(Layer_Record(n)));
  Present_ScaleFiltered(want.data(), s->pixels, 0, 0, 900, 600, 10, 7, 2300, 1100);
  EXPECT_EQ(want, Pixels(Layer_Record(f)));
  Cg_SetFrameScalers(nullptr, nullptr, nullptr);
}

}  // namespace
