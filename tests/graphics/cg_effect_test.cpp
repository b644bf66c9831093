// Command 2's effects run from a fixture scene: each writes its result into
// a second layer, which is checked against a plain reference computed here
// from the first layer's decoded pixels.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "cg_op_fixture.h"
#include "support/err_capture.h"

using namespace cgtest;

namespace {

constexpr int kW = 12, kH = 9;
struct Rect {
  int l, t, r, b;
};
constexpr Rect kRect = {2, 1, 9, 7};

uint32_t Pack(int b, int g, int r, uint32_t alphaFrom) {
  return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | (alphaFrom & 0xFF000000u);
}

// Per-pixel colour references over the rectangle.
Img PerPixel(const Img& in, Rect rc, const std::function<uint32_t(uint32_t)>& f) {
  Img o = Blank(rc.r - rc.l + 1, rc.b - rc.t + 1);
  for (int y = rc.t; y <= rc.b; y++)
    for (int x = rc.l; x <= rc.r; x++) o.At(x - rc.l, y - rc.t) = f(in.At(x, y));
  return o;
}
Img Remap(const Img& in, Rect rc, const std::function<void(int, int, int*, int*)>& from) {
  Img o = Blank(rc.r - rc.l + 1, rc.b - rc.t + 1);
  for (int y = 0; y < o.h; y++)
    for (int x = 0; x < o.w; x++) {
      int sx, sy;
      from(x, y, &sx, &sy);
      o.At(x, y) = in.At(sx, sy);
    }
  return o;
}

uint32_t Bright(uint32_t p, int v) {
  auto f = [v](int c) { return v < 128 ? std::max(0, c + v - 128) : std::min(255, c + v - 128); };
  return Pack(f(Ch(p, 0)), f(Ch(p, 1)), f(Ch(p, 2)), p);
}
uint32_t Balance(uint32_t p, int v) {
  int out[3];
  for (int c = 0; c < 3; c++) {
    int k = (v >> (8 * c)) & 0xFF, up = std::max(k - 128, 0), dn = std::max(128 - k, 0), x = Ch(p, c);
    out[c] = x + ((up * (255 - x)) >> 7) - ((dn * x) >> 7);
  }
  return Pack(out[0], out[1], out[2], p);
}
uint32_t Saturate(uint32_t p, int v) {
  int c[3] = {Ch(p, 0), Ch(p, 1), Ch(p, 2)};
  int g = (c[0] + c[1] + c[2]) / 3;
  if (v < 128) {
    for (int& x : c) x += ((g - x) * (128 - v)) >> 7;
  } else {
    int s = v - 128;
    for (int x : c) {
      if (x == g) continue;
      int next = x + (((x - g) * s) >> 7);
      if (next > 255) s = std::min(s, ((255 - x) * 128) / (x - g));
      if (next < 0) s = std::min(s, (-x * 128) / (x - g));
    }
    for (int& x : c) x += ((x - g) * s) >> 7;
  }
  return Pack(c[0], c[1], c[2], p);
}
uint32_t Sepia(uint32_t p) {
  int64_t Y = (117 * Ch(p, 0) + 601 * Ch(p, 1) + 306 * Ch(p, 2)) * 1024;
  int b = int((Y - 46347025) / 1048576), g = int((Y - 287585) / 1048576);
  int r = int(std::floor((Y + 18748416) / 1048576.0));
  return Pack(std::max(0, b), std::max(0, g), std::min(255, r), p);
}

// Window means with the window cut at the rectangle's edges, summed afresh.
Img Means(const Img& in, int r, bool rows, uint32_t mask) {
  Img o = in;
  for (int y = 0; y < in.h; y++)
    for (int x = 0; x < in.w; x++) {
      int lo = std::max((rows ? x : y) - r, 0), hi = std::min((rows ? x : y) + r, (rows ? in.w : in.h) - 1);
      uint32_t v = 0;
      for (int c = 0; c < 4; c++) {
        int sum = 0;
        for (int k = lo; k <= hi; k++) sum += Ch(rows ? in.At(k, y) : in.At(x, k), c);
        v |= uint32_t(sum / (hi - lo + 1)) << (8 * c);
      }
      o.At(x, y) = (v & mask) | (in.At(x, y) & ~mask);
    }
  return o;
}
Img Crop(const Img& in, Rect rc) {
  return PerPixel(in, rc, [](uint32_t p) { return p; });
}
Img Blur(const Img& in, Rect rc, int r, bool rows, bool cols, uint32_t mask, bool zeroColour) {
  Img o = Crop(in, rc);
  Img keep = o;
  if (zeroColour)
    for (auto& p : keep.px) p = 0;
  Img work = o;
  if (rows) work = Means(work, r, true, 0xFFFFFFFFu);
  if (cols) work = Means(work, r, false, 0xFFFFFFFFu);
  for (size_t i = 0; i < o.px.size(); i++) o.px[i] = (work.px[i] & mask) | (keep.px[i] & ~mask);
  return o;
}

Img Mosaic(const Img& in, Rect rc, int n) {
  int mx = (rc.l + rc.r + 1) / 2, my = (rc.t + rc.b + 1) / 2;
  auto cell = [n](int v, int mid) { return int(std::floor(double(v - mid) / n)); };
  std::map<std::pair<int, int>, std::array<int, 4>> sums;
  for (int y = rc.t; y <= rc.b; y++)
    for (int x = rc.l; x <= rc.r; x++) {
      auto& s = sums[{cell(x, mx), cell(y, my)}];
      for (int c = 0; c < 3; c++) s[size_t(c)] += Ch(in.At(x, y), c);
      s[3]++;
    }
  Img o = Crop(in, rc);
  for (int y = rc.t; y <= rc.b; y++)
    for (int x = rc.l; x <= rc.r; x++) {
      auto& s = sums[{cell(x, mx), cell(y, my)}];
      o.At(x - rc.l, y - rc.t) = Pack(s[0] / s[3], s[1] / s[3], s[2] / s[3], in.At(x, y));
    }
  return o;
}

class Effects : public CgOpScene {
 protected:
  // Runs every case of `cases` from one scene: case i writes o.<i+1>.
  struct Case {
    std::string slot;
    int64_t slotValue;
    int v1, v2;
    bool rect;       // the rectangle kRect (else the whole image)
    const char* src; // "src" (alpha mode 1) or "opq" (alpha mode 0)
  };
  void RunAll(const std::vector<Case>& cases) {
    fx::Scene& s = Main();
    LoadLayer(s, "src", 1, "cg\\src.png");
    LoadLayer(s, "opq", 1, "cg\\opq.bmp");
    for (size_t i = 0; i < cases.size(); i++) {
      const Case& c = cases[i];
      Args args = {T("path", c.src), A("num", 1), T("path2", "o"), A("num2", int(i + 1)),
                   A(c.slot, c.slotValue), A("v1", c.v1), A("v2", c.v2)};
      if (c.rect) {
        args.push_back(A("left", kRect.l)), args.push_back(A("top", kRect.t));
        args.push_back(A("right", kRect.r)), args.push_back(A("bottom", kRect.b));
      }
      s.Cmd("cgop", args);
    }
    Idle(s);
    imgfix::Picture pic = imgfix::Pattern(kW, kH, true);
    ASSERT_TRUE(Load({{"cg\\src.png", imgfix::WritePng(pic)},
                      {"cg\\opq.bmp", imgfix::WriteBmp(imgfix::Pattern(kW, kH, false))}}));
    Frames(1);
    ASSERT_EQ(0, g_QuitRequested.load());
    src = ImgOf(Rec("src.1"));
    opq = ImgOf(Rec("opq.1"));
  }
  Img Out(int i) {
    std::string p = "o." + std::to_string(i);
    LayerImage* r = Rec(p.c_str());
    EXPECT_NE(nullptr, r);
    return r ? ImgOf(r) : Img{};
  }
  void Expect(int i, const Img& want, const char* what) {
    Img got = Out(i);
    ASSERT_EQ(want.w, got.w) << what;
    ASSERT_EQ(want.h, got.h) << what;
    for (int y = 0; y < want.h; y++)
      for (int x = 0; x < want.w; x++)
        ASSERT_EQ(want.At(x, y), got.At(x, y)) << what << " at " << x << "," << y;
  }
  Img src, opq;
};

TEST_F(Effects, ToneEffectsMatchTheirFormulas) {
  RunAll({{"bright", 1, 100, 0, true, "src"},   {"bright", 1, 200, 0, true, "src"},
          {"bright", 1, 128, 0, true, "src"},   {"balance", 1, 0x40A0FF, 0, true, "src"},
          {"balance", 1, 0x808080, 0, true, "src"}, {"mono", 1, 40, 0, true, "src"},
          {"mono", 1, 128, 0, true, "src"},     {"mono", 1, 250, 0, true, "src"},
          {"sepia", 1, 0, 0, true, "src"},      {"negative", 1, 1, 0, true, "src"}});
  Rect rc = kRect;
  Expect(1, PerPixel(src, rc, [](uint32_t p) { return Bright(p, 100); }), "bright 100");
  Expect(2, PerPixel(src, rc, [](uint32_t p) { return Bright(p, 200); }), "bright 200");
  Expect(3, Crop(src, rc), "bright 128 leaves the pixels");
  Expect(4, PerPixel(src, rc, [](uint32_t p) { return Balance(p, 0x40A0FF); }), "balance");
  Expect(5, Crop(src, rc), "balance 0x808080 leaves the pixels");
  Expect(6, PerPixel(src, rc, [](uint32_t p) { return Saturate(p, 40); }), "mono 40");
  Expect(7, Crop(src, rc), "mono 128 leaves the pixels");
  Expect(8, PerPixel(src, rc, [](uint32_t p) { return Saturate(p, 250); }), "mono 250");
  Expect(9, PerPixel(src, rc, Sepia), "sepia");
  Expect(10, PerPixel(src, rc, [](uint32_t p) { return (p & 0xFF000000u) | (~p & 0xFFFFFFu); }),
         "negative");
  // Every result takes the first layer's alpha mode.
  EXPECT_EQ(1, Rec("o.1")->alphaMode);
}

TEST_F(Effects, InPlaceEffectsKeepTheWholeImage) {
  RunAll({{"threshold", 1, 100, 0, true, "src"}, {"fill", 1, 0x123456, 0, true, "src"},
          {"fillalpha", 1, 0x77, 0, true, "src"}, {"fillpixel", 1, int(0x11223344), 0, true, "src"},
          {"fillalpha", 1, 255, 0, false, "src"}});
  auto inRect = [](int x, int y) { return x >= kRect.l && x <= kRect.r && y >= kRect.t && y <= kRect.b; };
  auto whole = [&](const std::function<uint32_t(uint32_t)>& f) {
    Img o = src;
    for (int y = 0; y < kH; y++)
      for (int x = 0; x < kW; x++)
        if (inRect(x, y)) o.At(x, y) = f(src.At(x, y));
    return o;
  };
  Expect(1, whole([](uint32_t p) {
           int sum = Ch(p, 0) + Ch(p, 1) + Ch(p, 2);
           return (p & 0xFF000000u) | (sum >= 300 ? 0xFFFFFFu : 0u);
         }), "threshold");
  Expect(2, whole([](uint32_t) { return 0xFF123456u; }), "fill colour");
  Expect(3, whole([](uint32_t p) { return (p & 0xFFFFFFu) | 0x77000000u; }), "fill alpha");
  Expect(4, whole([](uint32_t) { return 0x11223344u; }), "fill pixel");
  EXPECT_EQ(1, Rec("o.3")->alphaMode);
  // Alpha 255 over the whole image: the layer no longer needs its alpha.
  EXPECT_EQ(0, Rec("o.5")->alphaMode);
}

TEST_F(Effects, AveragingEffectsFollowTheAlphaMode) {
  RunAll({{"blur", 1, 2, 0, true, "src"},        {"blursum", 1, 2, 0, true, "src"},
          {"blur", 1, 3, 0, true, "opq"},        {"avgrows", 1, 1, 0, true, "src"},
          {"avgcols", 1, 2, 0, true, "opq"},     {"alphablur", 1, 2, 0, true, "opq"},
          {"alphablursum", 1, 2, 0, true, "src"}, {"alphablursum", 1, 2, 0, true, "opq"},
          {"blur", 1, 0, 0, true, "src"}});
  Rect rc = kRect;
  const uint32_t all = 0xFFFFFFFFu, colour = 0x00FFFFFFu, alpha = 0xFF000000u;
  Expect(1, Blur(src, rc, 2, true, true, all, false), "blur, alpha mode 1");
  Expect(2, Blur(src, rc, 2, true, true, all, false), "running-sum blur");
  Expect(3, Blur(opq, rc, 3, true, true, colour, false), "blur, alpha mode 0");
  Expect(4, Blur(src, rc, 1, true, false, all, false), "row average");
  Expect(5, Blur(opq, rc, 2, false, true, colour, false), "column average");
  Expect(6, Blur(opq, rc, 2, true, true, alpha, true), "alpha blur");
  Expect(7, Blur(src, rc, 2, true, true, alpha, true), "alpha blur, alpha mode 1");
  Expect(8, Blur(opq, rc, 2, true, true, colour, false), "alpha blur sums, alpha mode 0");
  Expect(9, Blur(src, rc, 1, true, true, all, false), "radius 0 counts as 1");
}

TEST_F(Effects, GeometricEffects) {
  RunAll({{"mirror", 1, 1, 0, true, "src"},   {"flip", 1, 0, 0, true, "src"},
          {"mosaic", 1, 3, 0, false, "src"},  {"waverows", 1, 2, 30, true, "src"},
          {"wavecols", 1, 3, 10, true, "src"}, {"wave", 1, 2, 45, true, "src"},
          {"swirl", 1, 900, 0, true, "src"},  {"scatter", 1, 1, 0, false, "src"},
          {"copypixels", 1, 0, 0, true, "src"}});
  Rect rc = kRect;
  Expect(1, Remap(src, rc, [&](int x, int y, int* sx, int* sy) { *sx = rc.r - x, *sy = rc.t + y; }), "mirror");
  Expect(2, Remap(src, rc, [&](int x, int y, int* sx, int* sy) { *sx = rc.l + x, *sy = rc.b - y; }), "flip");
  Expect(3, Mosaic(src, {0, 0, kW - 1, kH - 1}, 3), "mosaic");
  auto wave = [&](bool rows, bool cols, int amp, int phase) {
    return Remap(src, rc, [=](int x, int y, int* sx, int* sy) {
      int ix = rc.l + x, iy = rc.t + y;
      int dx = rows ? int(std::sin((iy + phase) * 0.017453292) * amp) : 0;
      int dy = cols ? int(std::cos((ix + phase) * 0.017453292) * amp) : 0;
      *sx = std::clamp(ix + dx, rc.l, rc.r), *sy = std::clamp(iy + dy, rc.t, rc.b);
    });
  };
  Expect(4, wave(true, false, 2, 30), "wave rows");
  Expect(5, wave(false, true, 3, 10), "wave columns");
  Expect(6, wave(true, true, 2, 45), "wave both");
  {
    int w = rc.r - rc.l + 1, h = rc.b - rc.t + 1, cx = w / 2, cy = h / 2;
    int n = int(1 + (std::hypot(w, h) + 1) * 0.5);
    Expect(7, Remap(src, rc, [=](int x, int y, int* sx, int* sy) {
             int dx = x - cx, dy = y - cy;
             int d = std::min(int(std::lround(std::hypot(dx, dy))), n - 1);
             double deg = 90.0 - d * 900 / (10.0 * n);
             int cs = int(std::cos(deg * 0.017453292) * 256), sn = int(std::sin(deg * 0.017453292) * 256);
             *sx = rc.l + std::clamp(((dx * cs - dy * sn) >> 8) + cx, 0, w - 1);
             *sy = rc.t + std::clamp(((dx * sn + dy * cs) >> 8) + cy, 0, h - 1);
           }), "swirl");
  }
  Expect(8, src, "scatter with V1 1 only copies");
  Expect(9, Crop(src, rc), "copy pixels");
}

TEST_F(Effects, ScatterPermutesColoursWithinBlocks) {
  RunAll({{"scatter", 1, 8, 0, false, "src"}});
  Img o = Out(1);
  ASSERT_EQ(kW, o.w);
  bool moved = false;
  for (int y = 0; y + 1 < kH; y += 2)
    for (int x = 0; x + 1 < kW; x += 2) {
      std::vector<uint32_t> a, b;
      for (int k = 0; k < 4; k++) {
        int px = x + (k & 1), py = y + (k >> 1);
        EXPECT_EQ(src.At(px, py) >> 24, o.At(px, py) >> 24);  // alpha stays
        a.push_back(src.At(px, py) & 0xFFFFFF), b.push_back(o.At(px, py) & 0xFFFFFF);
        moved |= src.At(px, py) != o.At(px, py);
      }
      std::sort(a.begin(), a.end()), std::sort(b.begin(), b.end());
      EXPECT_EQ(a, b) << "block " << x << "," << y;
    }
  EXPECT_TRUE(moved);
  // The odd last row is outside every block.
  for (int x = 0; x < kW; x++) EXPECT_EQ(src.At(x, kH - 1), o.At(x, kH - 1));
}

TEST_F(Effects, WithoutASecondLayerTheFirstIsCroppedToTheRectangle) {
  fx::Scene& s = Main();
  LoadLayer(s, "src", 1, "cg\\src.png");
  LoadLayer(s, "keep", 1, "cg\\src.png");
  LoadLayer(s, "ref", 1, "cg\\src.png");
  s.Cmd("cgop", {T("path", "src"), A("num", 1), A("negative", 1), A("left", 3), A("top", 2),
                 A("right", 6), A("bottom", 4)});
  // A rectangle far outside the image is limited to it.
  s.Cmd("cgop", {T("path", "keep"), A("num", 1), A("bright", 1), A("v1", 128), A("left", -5),
                 A("top", -5), A("right", 10000), A("bottom", 10000)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\src.png", imgfix::WritePng(imgfix::Pattern(kW, kH, true))}}));
  Frames(1);
  Img before = ImgOf(Rec("ref.1"));
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* r = Rec("src.1");
  ASSERT_EQ(4u, r->width);
  ASSERT_EQ(3u, r->height);
  EXPECT_EQ((before.At(3, 2) & 0xFF000000u) | (~before.At(3, 2) & 0xFFFFFFu), GetPx(r, 0, 0));
  Img after = ImgOf(Rec("keep.1"));
  EXPECT_EQ(kW, after.w);
  EXPECT_EQ(before.px, after.px);
}

TEST_F(Effects, MoveTakesTheDisplayPropertiesAndLeavesTheFirstDrawable) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("src")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\src.png")},
               {"x", fx::Int(5)}, {"y", fx::Int(7)}, {"blend", fx::Int(3)}});
  s.Cmd("cgop", {T("path", "src"), A("num", 1), T("path2", "dst"), A("num2", 1), A("move", 1)});
  // The same layer twice does nothing (its player must not be released).
  s.Cmd("cgop", {T("path", "src"), A("num", 1), T("path2", "src"), A("num2", 1), A("move", 1),
                 A("left", 0), A("top", 0), A("right", 1), A("bottom", 1)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\src.png", imgfix::WritePng(imgfix::Pattern(kW, kH, true))}}));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage *a = Rec("src.1"), *b = Rec("dst.1");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(5, b->x);
  EXPECT_EQ(7, b->y);
  EXPECT_EQ(3, b->blendMode);
  EXPECT_EQ(uint32_t(kW), b->width);
  EXPECT_EQ(0u, a->kind);
  EXPECT_EQ(uint32_t(kW), a->width);  // untouched by the second move
}

TEST_F(Effects, MoveCarriesAnEmotePlayerAndNotifiesTheHost) {
  static LayerImage *from = nullptr, *to = nullptr;
  g_CgOpHooks.moveEmote = [](LayerImage* f, LayerImage* t) { from = f, to = t; };
  fx::Scene& s = Main();
  LoadLayer(s, "src", 1, "cg\\src.png");
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("cgop", {T("path", "src"), A("num", 1), T("path2", "dst"), A("num2", 1), A("copypixels", 1)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\src.png", imgfix::WritePng(imgfix::Pattern(4, 4, true))}}));
  Frames(1);
  int player = 0;
  LayerImage* a = Rec("src.1");
  ASSERT_NE(nullptr, a);
  a->kind = 2;
  a->emotePlayer = &player;
  Frames(3);
  LayerImage* b = Rec("dst.1");
  ASSERT_TRUE(b);
  EXPECT_EQ(2u, b->kind);
  EXPECT_EQ(&player, b->emotePlayer);
  EXPECT_EQ(0u, a->kind);  // a plain image the compositor still draws
  EXPECT_EQ(nullptr, a->emotePlayer);
  EXPECT_EQ(a, from);
  EXPECT_EQ(b, to);
  b->emotePlayer = nullptr;
  b->kind = 0;
}

}  // namespace

namespace {

// Reached directly (command 2 refuses a rectangle for the mosaic): the grid
// passes through the middle of the rectangle itself, not of (0, 0)-(r, b).
TEST(CgMosaic, GridThroughTheRectanglesMiddle) {
  gfxtest::InitGraphics();
  ObjNode* saved = g_TreeRoots[kTreeLayer].root;
  ObjNode* rt = gfxtest::MakeRoot(4, 4);
  ObjNode* a = gfxtest::MakeLayer(rt, "a", false, kW, kH, 0);
  ObjNode* o = gfxtest::MakeLayer(rt, "o", false, 1, 1, 0);
  LayerImage* r = Layer_Record(a);
  for (int y = 0; y < kH; y++)
    for (int x = 0; x < kW; x++) SetPx(r, x, y, 0xFF000000u | uint32_t(x * 20) | uint32_t(y * 25) << 8);
  Rect rc = {3, 2, 10, 8};
  ASSERT_EQ(0, Cg_ApplyEffect(20, a, o, rc.l, rc.t, rc.r, rc.b, 3, 0, 1, 0));
  Img want = Mosaic(ImgOf(r), rc, 3);
  EXPECT_EQ(want.px, ImgOf(Layer_Record(o)).px);
  Obj_DeleteTree(rt);
  g_TreeRoots[kTreeLayer].root = saved;
}

}  // namespace

// Command 2's rotation slot from a scene: the slot's value picks the mode
// (10 + value), V1 the angle in degrees, and the turned picture goes to
// the second layer, as the rotation itself makes it from the same source.
TEST_F(Effects, RotationSlotTurnsIntoTheSecondLayer) {
  RunAll({{"rotate", 1, 180, 0, false, "src"},
          {"rotate", 2, 90, 0, false, "src"},
          {"rotate", 1, -90, 0, false, "src"}});
  struct Want {
    int32_t degrees;
    int mode;
    const char* what;
  };
  const Want wants[] = {{180, 11, "half turn"}, {90, 12, "quarter turn, mode 12"},
                        {270, 11, "a negative quarter turn is three quarters the other way"}};
  ObjNode* tmp = gfxtest::MakeLayer(root, "t", false, 1, 1, 0, 99);
  for (int i = 0; i < 3; i++) {
    ASSERT_EQ(0, Cg_Rotate(Find("src.1"), tmp, wants[i].degrees, 1, wants[i].mode));
    Expect(i + 1, ImgOf(Layer_Record(tmp)), wants[i].what);
  }
  // The turn moved the pixels: the half turn is not the source.
  EXPECT_NE(src.px, Out(1).px);
  EXPECT_EQ(src.px, ImgOf(Rec("src.1")).px);  // the source stays
}

// Scratch memory that cannot be had: the effects 2-7, the swirl and the
// scalers 41 and 51 report 104030 and leave both layers as they were.
TEST(CgScratch, AFailedScratchIsReportedAndChangesNothing) {
  gfxtest::InitGraphics();
  struct Case {
    const char* what;
    int effect;  // 0: the scaler `method`
    int method;
  };
  const Case cases[] = {{"box blur", 2, 0},     {"row mean", 3, 0},   {"column mean", 4, 0},
                        {"blur 5", 5, 0},       {"alpha blur", 6, 0}, {"alpha sums", 7, 0},
                        {"swirl", 39, 0},       {"method 41", 0, 41}, {"method 51", 0, 51}};
  for (const Case& c : cases) {
    ObjNode* a = gfxtest::MakeLayer(nullptr, "a", false, 6, 4, Px(10, 20, 30, 255));
    ObjNode* b = gfxtest::MakeLayer(nullptr, "b", false, 3, 3, Px(1, 2, 3, 4));
    LayerImage* ra = Layer_Record(a);
    LayerImage* rb = Layer_Record(b);
    SetPx(ra, 2, 1, Px(200, 0, 0, 255));
    const Img beforeA = ImgOf(ra), beforeB = ImgOf(rb);
    ErrCapture errs;
    void* (*saved)(size_t) = g_CgScratchAlloc;
    g_CgScratchAlloc = [](size_t) -> void* { return nullptr; };
    int r = c.effect ? Cg_ApplyEffect(c.effect, a, b, 0, 0, 5, 3, 3, 0, 1, 0)
                     : Cg_Scale(a, b, 0, 0, 500, 300, 1200, 800, 1, c.method);
    g_CgScratchAlloc = saved;
    EXPECT_EQ(-1, r) << c.what;
    EXPECT_TRUE(errs.Has(104030)) << c.what;
    EXPECT_EQ(beforeA.px, ImgOf(ra).px) << c.what;
    EXPECT_EQ(beforeB.px, ImgOf(rb).px) << c.what;
    EXPECT_EQ(3u, rb->width) << c.what;
    g_QuitRequested = 0;
    Obj_DeleteTree(a);
    Obj_DeleteTree(b);
  }
}
