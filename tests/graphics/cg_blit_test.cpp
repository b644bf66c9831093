// Command 2's blits and canvas changes: the clip, each blit from a fixture
// scene against the pixel rows it must use, the cross-fade's weights, and
// crop and extend.
#include "cg_op_fixture.h"

using namespace cgtest;

namespace {

TEST(CgClip, EdgeCases) {
  struct Case {
    int cw, ch, sw, sh, dx, dy;
    int32_t want[6];
  } cases[] = {
      {100, 100, 100, 100, -10, 90, {10, 0, 0, 90, 90, 10}},  // bits 4 and 2
      {100, 100, 20, 20, 5, 7, {0, 0, 5, 7, 20, 20}},         // inside
      {50, 40, 100, 100, -10, -20, {10, 20, 0, 0, 50, 40}},   // all four sides
      {50, 40, 10, 10, 45, 35, {0, 0, 45, 35, 5, 5}},         // right and bottom
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Cg_ClipBlitRect(c.cw, c.ch, c.sw, c.sh, c.dx, c.dy));
    for (int i = 0; i < 6; i++) EXPECT_EQ(c.want[i], g_BlitRect[i]) << c.dx << "," << c.dy << " field " << i;
  }
  EXPECT_FALSE(Cg_ClipBlitRect(50, 40, 10, 10, 50, 0));
  EXPECT_FALSE(Cg_ClipBlitRect(50, 40, 10, 10, -10, 0));
}

TEST(CgBlendTable, WeightsStayInsideTheRowsRange) {
  int32_t w[256];
  for (int level : {1, 2, 100, 256})
    for (int grad : {-300, 0, 3, 100, 255, 256, 1000}) {
      Cg_BuildBlendTable(level, grad, w);
      for (int i = 0; i < 256; i++) ASSERT_TRUE(w[i] >= 0 && w[i] <= 256) << level << " " << grad << " " << i;
    }
  Cg_BuildBlendTable(100, 256, w);
  EXPECT_EQ(0, w[155]);
  EXPECT_EQ(256, w[156]);
  Cg_BuildBlendTable(100, 0, w);
  EXPECT_EQ(101, w[0]);  // gradient 0: level + 1 everywhere
  EXPECT_EQ(101, w[255]);
}

class CgBlit : public CgOpScene {
 protected:
  // Loads a (6 x 5, alpha varied), b (8 x 7, opaque), m (6 x 5 mask) and
  // the canvas c (8 x 7, opaque), runs the instructions, returns the
  // layers' pixels from before (loaded again as copies) for checking.
  void Run(const std::vector<Args>& cmds) {
    fx::Scene& s = Main();
    for (const char* n : {"a", "b", "m", "c"}) {
      LoadLayer(s, n, 1, std::string("cg\\") + n + ".png");
      LoadLayer(s, std::string("ref") + n, 1, std::string("cg\\") + n + ".png");
    }
    for (const Args& a : cmds) s.Cmd("cgop", a);
    Idle(s);
    imgfix::Picture mask = imgfix::Pattern(6, 5, false);
    ASSERT_TRUE(Load({{"cg\\a.png", imgfix::WritePng(imgfix::Pattern(6, 5, true))},
                      {"cg\\b.png", imgfix::WritePng(imgfix::Solid(8, 7, 0xFF336699u), imgfix::PngKind::Rgb)},
                      {"cg\\m.png", imgfix::WritePng(mask, imgfix::PngKind::Rgb)},
                      {"cg\\c.png", imgfix::WritePng(imgfix::Solid(8, 7, 0xFF102030u), imgfix::PngKind::Rgb)}}));
    Frames(1);
    ASSERT_EQ(0, g_QuitRequested.load());
  }
  // The canvas row that a blit of `image` at (dx, dy) must produce with
  // `row` over every clipped row.
  Img Expected(const char* canvas, const char* image, int dx, int dy,
               const std::function<void(uint8_t*, const uint8_t*, size_t)>& row) {
    LayerImage *c = Rec(canvas), *s = Rec(image);
    Img want = ImgOf(c);
    if (!Cg_ClipBlitRect(int(c->width), int(c->height), int(s->width), int(s->height), dx, dy)) return want;
    std::vector<int32_t> r(g_BlitRect, g_BlitRect + 6);
    for (int y = 0; y < r[5]; y++)
      row(reinterpret_cast<uint8_t*>(&want.At(r[2], r[3] + y)),
          s->pixels + (size_t(r[1] + y) * s->width + size_t(r[0])) * 4, size_t(r[4]) * 4);
    return want;
  }
};

TEST_F(CgBlit, CopyAndSourceAlphaBlits) {
  Run({{T("path", "a"), A("num", 1), T("path2", "c"), A("num2", 1), A("copy", 1), A("left", 3), A("top", -2)},
       {T("path", "a"), A("num", 1), T("path2", "b"), A("num2", 1), A("blit", 1), A("left", -1), A("top", 4)}});
  Img wantC = Expected("refc.1", "refa.1", 3, -2, [](uint8_t* d, const uint8_t* s, size_t n) { g_PixelOps.over(d, s, n); });
  EXPECT_EQ(wantC.px, ImgOf(Rec("c.1")).px);
  Img wantB = Expected("refb.1", "refa.1", -1, 4,
                       [](uint8_t* d, const uint8_t* s, size_t n) { g_PixelOps.overScaled(d, s, 256, n); });
  EXPECT_EQ(wantB.px, ImgOf(Rec("b.1")).px);
  EXPECT_EQ(1, Rec("c.1")->alphaMode);
}

TEST_F(CgBlit, OpacityBlitMixesIntoTheThirdLayer) {
  Run({{T("path", "a"), A("num", 1), T("path2", "b"), A("num2", 1), T("path3", "c"), A("num3", 1),
        A("blitalpha", 1), A("v1", 99), A("left", 2), A("top", 1)}});
  LayerImage *b = Rec("refb.1"), *a = Rec("refa.1");
  Img want = ImgOf(Rec("refc.1"));
  ASSERT_TRUE(Cg_ClipBlitRect(8, 7, 6, 5, 2, 1));
  for (int y = 0; y < g_BlitRect[5]; y++)
    g_PixelOps.crossFade(reinterpret_cast<uint8_t*>(&want.At(2, 1 + y)),
                         b->pixels + (size_t(1 + y) * 8 + 2) * 4, a->pixels + size_t(y) * 6 * 4, 100,
                         size_t(g_BlitRect[4]) * 4);
  EXPECT_EQ(want.px, ImgOf(Rec("c.1")).px);
}

TEST_F(CgBlit, CrossFadeEndsCopyAndTheMiddleFollowsTheMask) {
  auto fade = [](int v1, int v2, int canvas) {
    return Args{T("path", "a"), A("num", 1), T("path2", "b"), A("num2", 1), T("path3", "m"), A("num3", 1),
                T("path4", "c"), A("num4", canvas), A("crossfade", 1), A("v1", v1), A("v2", v2),
                A("left", 1), A("top", 1)};
  };
  fx::Scene& s = Main();
  for (int i = 1; i <= 3; i++) LoadLayer(s, "c", i, "cg\\c.png");
  (void)s;
  Run({fade(0, 0, 1), fade(255, 0, 2), fade(100, 64, 3)});
  LayerImage *a = Rec("refa.1"), *b = Rec("refb.1"), *m = Rec("refm.1");
  Img c0 = ImgOf(Rec("refc.1"));
  Img first = c0, second = c0, mid = c0;
  int32_t w[256];
  Cg_BuildBlendTable(101, 64, w);
  for (int y = 0; y < 5; y++)
    for (int x = 0; x < 6; x++) {
      uint32_t pa = GetPx(a, x, y), pb = GetPx(b, x, y);
      first.At(x + 1, y + 1) = pa;
      int wt = w[GetPx(m, x, y) & 0xFF];
      uint32_t v = 0;
      for (int c = 0; c < 4; c++) v |= uint32_t(Ch(pa, c) - (((Ch(pa, c) - Ch(pb, c)) * wt) >> 8)) << (8 * c);
      mid.At(x + 1, y + 1) = v;
    }
  // The second image is copied whole, as far as the canvas reaches.
  for (int y = 1; y < 7; y++)
    for (int x = 1; x < 8; x++) second.At(x, y) = GetPx(b, x - 1, y - 1);
  EXPECT_EQ(first.px, ImgOf(Rec("c.1")).px);
  EXPECT_EQ(second.px, ImgOf(Rec("c.2")).px);
  EXPECT_EQ(mid.px, ImgOf(Rec("c.3")).px);
}

TEST_F(CgBlit, BlitsReadOnlyWhereEveryImageHasPixels) {
  // The mask (1 x 1 after the crop) is far smaller than the images: the
  // fade stays inside it instead of reading past its end.
  Run({{T("path", "m"), A("num", 1), A("negative", 1), A("left", 0), A("top", 0), A("right", 0), A("bottom", 0)},
       {T("path", "b"), A("num", 1), T("path2", "a"), A("num2", 1), T("path3", "m"), A("num3", 1),
        T("path4", "c"), A("num4", 1), A("crossfade", 1), A("v1", 100)}});
  Img c = ImgOf(Rec("c.1")), before = ImgOf(Rec("refc.1"));
  EXPECT_NE(before.At(0, 0), c.At(0, 0));
  for (int y = 0; y < 7; y++)
    for (int x = 0; x < 8; x++)
      if (x || y) {
        EXPECT_EQ(before.At(x, y), c.At(x, y)) << x << "," << y;
      }
}

TEST_F(CgBlit, KeepDifferentAndKeepEqual) {
  Run({{T("path", "refb"), A("num", 1), T("path2", "b"), A("num2", 1), A("keepdiff", 1), A("left", 0), A("top", 0)},
       {T("path", "refa"), A("num", 1), T("path2", "a"), A("num2", 1), A("keepequal", 1), A("left", 0), A("top", 0)},
       {T("path", "refb"), A("num", 1), T("path2", "c"), A("num2", 1), A("keepequal", 1), A("left", 0), A("top", 0)}});
  for (uint32_t p : ImgOf(Rec("b.1")).px) EXPECT_EQ(0u, p);            // all equal: cleared
  EXPECT_EQ(ImgOf(Rec("refa.1")).px, ImgOf(Rec("a.1")).px);              // all equal: kept
  for (uint32_t p : ImgOf(Rec("c.1")).px) EXPECT_EQ(0u, p);            // all differ: cleared
}

TEST_F(CgBlit, CropTrimsTheChosenSidesToTheOpaqueBox) {
  Run({{T("path", "c"), A("num", 1), A("fillalpha", 1), A("v1", 0)},
       {T("path", "c"), A("num", 1), A("fillalpha", 1), A("v1", 255), A("left", 2), A("top", 1), A("right", 4), A("bottom", 5)},
       {T("path", "c"), A("num", 1), T("path2", "all"), A("num2", 1), A("crop", 1), A("v1", 15)},
       {T("path", "c"), A("num", 1), T("path2", "none"), A("num2", 1), A("crop", 1), A("v1", 0)},
       {T("path", "c"), A("num", 1), T("path2", "left"), A("num2", 1), A("crop", 1), A("v1", 2)},
       {T("path", "b"), A("num", 1), A("fillalpha", 1), A("v1", 0)},
       {T("path", "b"), A("num", 1), T("path2", "empty"), A("num2", 1), A("crop", 1), A("v1", 15)}});
  EXPECT_EQ(3u, Rec("all.1")->width);
  EXPECT_EQ(5u, Rec("all.1")->height);
  EXPECT_EQ(GetPx(Rec("c.1"), 2, 1), GetPx(Rec("all.1"), 0, 0));
  EXPECT_EQ(8u, Rec("none.1")->width);
  EXPECT_EQ(7u, Rec("none.1")->height);
  EXPECT_EQ(6u, Rec("left.1")->width);
  EXPECT_EQ(7u, Rec("left.1")->height);
  // Nothing opaque: a single pixel, taken inside the image.
  EXPECT_EQ(1u, Rec("empty.1")->width);
  EXPECT_EQ(1u, Rec("empty.1")->height);
}

TEST_F(CgBlit, ExtendAddsKeyColouredMarginsAndCuts) {
  Run({{T("path", "b"), A("num", 1), T("path2", "wide"), A("num2", 1), A("extend", 1), A("left", 10), A("right", 10)},
       {T("path", "b"), A("num", 1), T("path2", "cut"), A("num2", 1), A("extend", 1), A("left", -2), A("bottom", -3)}});
  LayerImage* w = Rec("wide.1");
  EXPECT_EQ(28u, w->width);
  EXPECT_EQ(7u, w->height);
  EXPECT_EQ(1, w->alphaMode);
  EXPECT_EQ(kCgKeyColour, GetPx(w, 0, 3));
  EXPECT_EQ(kCgKeyColour, GetPx(w, 27, 6));
  EXPECT_EQ(0xFF336699u, GetPx(w, 10, 0));
  LayerImage* c = Rec("cut.1");
  EXPECT_EQ(6u, c->width);
  EXPECT_EQ(4u, c->height);
  EXPECT_EQ(0, c->alphaMode);
}

TEST_F(CgBlit, ExtendToNothingIsRefused) {
  fx::Scene& s = Main();
  LoadLayer(s, "b", 1, "cg\\b.png");
  s.Cmd("cgop", {T("path", "b"), A("num", 1), A("extend", 1), A("bottom", -7)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\b.png", imgfix::WritePng(imgfix::Solid(8, 7, 0xFF336699u), imgfix::PngKind::Rgb)}}));
  Frames(1);
  EXPECT_EQ(7u, Rec("b.1")->height);  // unchanged
}

TEST_F(CgBlit, ExtendTooTallIsRefused) {
  fx::Scene& s = Main();
  LoadLayer(s, "b", 1, "cg\\b.png");
  s.Cmd("cgop", {T("path", "b"), A("num", 1), A("extend", 1), A("bottom", 8190)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\b.png", imgfix::WritePng(imgfix::Solid(8, 7, 0xFF336699u), imgfix::PngKind::Rgb)}}));
  ErrCapture errs;
  Frames(1);
  EXPECT_TRUE(errs.Has(100010));
  EXPECT_EQ(7u, Rec("b.1")->height);
}

}  // namespace
