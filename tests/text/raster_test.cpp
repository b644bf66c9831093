// The glyph rasteriser without depending on a font's shapes: tables, corner
// colours, coverage, cells at the layer's edges, gradients, write modes,
// orientations and outline copies over a bitmap filled by hand.
#include <gtest/gtest.h>

#include "text_testutil.h"

namespace {

// Prepares slot 0 for size s / line height h and fills its bitmap: every
// pixel ink, or only the pixels for which ink(x, y) is true.
template <typename F>
void FillSlot(int s, int h, int smooth, F ink) {
  Font_EnumFaces();
  int w = 0, hh = 0;
  Font_RenderGlyph(" ", s, h, 0, smooth, &w, &hh);
  FontSlot& slot = Font_CurrentSlot();
  ASSERT_TRUE(slot.bits) << "no face could be opened";
  int side = slot.side;
  std::memset(slot.bits.get(), 0xFF, slot.bitsBytes);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (ink(x, y)) slot.bits[size_t(y) * (side / 8) + size_t(x / 8)] &= uint8_t(~(0x80 >> (x & 7)));
}
void FillSlotAll(int s, int h, int smooth) {
  FillSlot(s, h, smooth, [](int, int) { return true; });
}

GlyphStyle Style(int s, int h, int smooth) {
  GlyphStyle st;
  st.size = s;
  st.lineHeight = h;
  st.smooth = uint8_t(smooth);
  st.gradient = 0;
  st.colour = 0x112233;
  return st;
}

struct Canvas {
  int w, h;
  std::vector<uint32_t> px;
  Canvas(int w_, int h_, uint32_t fill = 0) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
  GlyphTarget Target() { return {px.data(), w, h}; }
  uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
};

TEST(Raster, Tables) {
  Tbl_InitDrawLuts();
  EXPECT_EQ(g_InkCountTable[0xFF], 0u);
  EXPECT_EQ(g_InkCountTable[0x00], 0x404u);
  EXPECT_EQ(g_InkCountTable[0x0F], 0x400u);
  EXPECT_EQ(g_InkCountTable[0xF0], 0x004u);
  EXPECT_EQ(g_InkCountTable[0x5A], 0x202u);
  EXPECT_EQ(g_CoverageTable[0], 0);
  EXPECT_EQ(g_CoverageTable[1], 18);
  EXPECT_EQ(g_CoverageTable[14], 252);
  EXPECT_EQ(g_CoverageTable[15], 255);
  EXPECT_EQ(g_CoverageTable[16], 255);
  EXPECT_EQ(Font_DibSide(20), 128);
  EXPECT_EQ(Font_DibSide(24), 160);
  EXPECT_EQ(Font_DibSide(0), 64);
}

struct PatternCase {
  int gradient, orientation;
  uint32_t tl, tr, bl, br;
};
// A = 0xFF0000, B = 0x0000FF, midpoint M = 0x7F007F (A + (B - A) / 2).
constexpr uint32_t A = 0xFF0000, B = 0x0000FF, M = 0x80007F;
const PatternCase kPatterns[] = {
    {0, 0, A, A, A, A}, {1, 0, A, A, B, B}, {2, 0, B, B, A, A}, {3, 0, A, B, A, B},
    {4, 0, B, A, B, A}, {5, 0, A, M, M, B}, {6, 0, M, A, B, M}, {7, 0, M, B, A, M},
    {8, 0, B, M, M, A}, {1, 1, B, A, B, A}, {1, 2, B, B, A, A}, {1, 3, A, B, A, B},
    {3, 1, A, A, B, B}, {0, 3, A, A, A, A}, {1, 5, A, A, B, B}, {9, 0, A, A, A, A},
};

TEST(Raster, ColourPatternTable) {
  for (const PatternCase& c : kPatterns) {
    GlyphCorners k = Msg_ColourPattern(c.gradient, c.orientation, A, B);
    EXPECT_EQ(k.c[0], c.tl) << c.gradient << "/" << c.orientation;
    EXPECT_EQ(k.c[1], c.tr) << c.gradient << "/" << c.orientation;
    EXPECT_EQ(k.c[2], c.bl) << c.gradient << "/" << c.orientation;
    EXPECT_EQ(k.c[3], c.br) << c.gradient << "/" << c.orientation;
  }
  GlyphCorners none = Msg_ColourPattern(1, 0, A, kColourNone);
  for (uint32_t c : none.c) EXPECT_EQ(c, A);
}

TEST(Raster, FullCoverageGives255AndNoInkGives0) {
  FillSlot(20, 20, 1, [](int x, int) { return x < 40; });  // 10 pixels of ink
  Canvas cv(64, 64, 0xDEADBEEF);
  ASSERT_TRUE(Msg_BlitGlyphSmooth(Style(20, 20, 1), 3, 4, cv.Target()));
  EXPECT_EQ(cv.At(3, 4), 0xFF112233u);
  EXPECT_EQ(cv.At(12, 23), 0xFF112233u);
  EXPECT_EQ(cv.At(13, 4), 0x00112233u);   // write mode 0 writes the whole cell
  EXPECT_EQ(cv.At(22, 23), 0x00112233u);
  EXPECT_EQ(cv.At(23, 4), 0xDEADBEEFu);   // outside the cell
  EXPECT_EQ(cv.At(3, 24), 0xDEADBEEFu);
}

TEST(Raster, PartialCoverageCountsInkInTheBlock) {
  // Column 4c+0 inked in every row: 4 of 16 pixels per block.
  FillSlot(20, 20, 1, [](int x, int) { return x % 4 == 0; });
  Canvas cv(32, 32);
  Msg_BlitGlyphSmooth(Style(20, 20, 1), 0, 0, cv.Target());
  EXPECT_EQ(cv.At(0, 0) >> 24, 72u);
  EXPECT_EQ(cv.At(1, 0) >> 24, 72u);
}

TEST(Raster, MonoInkIsOpaque) {
  FillSlot(20, 20, 0, [](int x, int y) { return x == 2 && y == 3; });
  Canvas cv(32, 32, 0xDEADBEEF);
  ASSERT_TRUE(Msg_BlitGlyphMono(Style(20, 20, 0), 1, 1, cv.Target()));
  EXPECT_EQ(cv.At(3, 4), 0xFF112233u);
  EXPECT_EQ(cv.At(4, 4), 0x00112233u);
}

struct EdgeCase {
  int x, y;
  bool drawn;
};
const EdgeCase kEdges[] = {
    {0, 0, true},   {44, 0, true},   {45, 0, false}, {0, 34, true},
    {0, 35, false}, {-1, 0, false},  {0, -1, false}, {44, 34, true},
};

TEST(Raster, CellOutsideTheLayerDrawsNothing) {
  for (int smooth : {0, 1}) {
    for (const EdgeCase& e : kEdges) {
      FillSlotAll(20, 30, smooth);
      Canvas cv(64, 64, 7);
      GlyphStyle st = Style(20, 30, smooth);
      bool drawn = smooth ? Msg_BlitGlyphSmooth(st, e.x, e.y, cv.Target())
                          : Msg_BlitGlyphMono(st, e.x, e.y, cv.Target());
      EXPECT_EQ(drawn, e.drawn) << e.x << "," << e.y;
      if (!e.drawn) {
        for (uint32_t p : cv.px) ASSERT_EQ(p, 7u);
      }
    }
  }
}

TEST(Raster, CellOutsideTheLayerIsNotMarked) {
  TestLayer layer(40, 40);
  Font_EnumFaces();
  GlyphStyle st = Style(20, 20, 1);
  EXPECT_GT(Msg_DrawGlyph(Sj("■").c_str(), st, 0, 21, 0, layer.node), 0);
  EXPECT_FALSE(layer.ParentDirty());
  Msg_DrawGlyph(Sj("■").c_str(), st, 0, 20, 0, layer.node);
  EXPECT_TRUE(layer.ParentDirty());
}

// Rows of a tall line below the bitmap count as no ink: s = 24 has a
// 160-row bitmap, a line height of 48 reads 192 rows.
TEST(Raster, TallLineReadsNoRowsPastTheBitmap) {
  FillSlotAll(24, 48, 1);
  Canvas cv(64, 64);
  ASSERT_TRUE(Msg_BlitGlyphSmooth(Style(24, 48, 1), 0, 0, cv.Target()));
  EXPECT_EQ(cv.At(0, 39) >> 24, 255u);
  EXPECT_EQ(cv.At(0, 40) >> 24, 0u);
  EXPECT_EQ(cv.At(0, 47) >> 24, 0u);
  FillSlotAll(24, 200, 0);
  Canvas tall(64, 256);
  ASSERT_TRUE(Msg_BlitGlyphMono(Style(24, 200, 0), 0, 0, tall.Target()));
  EXPECT_EQ(tall.At(0, 159) >> 24, 255u);
  EXPECT_EQ(tall.At(0, 160) >> 24, 0u);
}

TEST(Raster, VerticalGradientRunsDownTheRows) {
  FillSlotAll(20, 20, 1);
  Canvas cv(32, 32);
  GlyphStyle st = Style(20, 20, 1);
  st.colour = 0xFF0000;
  st.colour2 = 0x0000FF;
  st.gradient = 1;
  Msg_BlitGlyphSmooth(st, 0, 0, cv.Target());
  EXPECT_EQ(cv.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(cv.At(19, 0), 0xFFFF0000u);
  EXPECT_EQ(cv.At(0, 19), 0xFF0000FFu);
  uint32_t mid = cv.At(10, 10);
  EXPECT_NEAR(int((mid >> 16) & 0xFF), 121, 2);
  EXPECT_NEAR(int(mid & 0xFF), 134, 2);
}

TEST(Raster, HorizontalGradientRunsAcross) {
  FillSlotAll(20, 20, 0);
  Canvas cv(32, 32);
  GlyphStyle st = Style(20, 20, 0);
  st.colour = 0x000000;
  st.colour2 = 0x00FF00;
  st.gradient = 3;
  Msg_BlitGlyphMono(st, 0, 0, cv.Target());
  EXPECT_EQ(cv.At(0, 5), 0xFF000000u);
  EXPECT_EQ(cv.At(19, 5), 0xFF00FF00u);
  EXPECT_NEAR(int((cv.At(10, 5) >> 8) & 0xFF), 134, 2);
}

TEST(Raster, WriteModeOneLaysInkOverWhatIsThere) {
  FillSlot(20, 20, 1, [](int x, int) { return x < 40; });
  Canvas cv(32, 32, 0x80FFFFFF);
  GlyphStyle st = Style(20, 20, 1);
  st.colour = 0x000000;
  st.writeMode = 1;
  Msg_BlitGlyphSmooth(st, 0, 0, cv.Target());
  EXPECT_EQ(cv.At(0, 0), 0xFF000000u);    // full ink replaces
  EXPECT_EQ(cv.At(15, 0), 0x80FFFFFFu);   // no ink leaves the pixel alone
  FillSlot(20, 20, 1, [](int x, int) { return x % 4 == 0; });  // coverage 72
  Canvas half(32, 32, 0x80FFFFFF);
  Msg_BlitGlyphSmooth(st, 0, 0, half.Target());
  uint32_t p = half.At(0, 0);
  EXPECT_EQ(p >> 24, uint32_t(73 + 128 - (73 * 128 >> 8) - 1));
  EXPECT_LT(p & 0xFF, 0xFFu);
  EXPECT_GT(p & 0xFF, 0x80u);
}

TEST(Raster, QuarterTurnMovesTheInk) {
  // Ink only in the top-left 4x4 block: one destination pixel.
  struct Turn {
    int orientation, x, y;
  };
  const Turn kTurns[] = {{0, 0, 0}, {1, 19, 0}, {2, 19, 19}, {3, 0, 19}, {4, 0, 0}};
  for (const Turn& t : kTurns) {
    FillSlot(20, 20, 1, [](int x, int y) { return x < 4 && y < 4; });
    Canvas cv(32, 32);
    GlyphStyle st = Style(20, 20, 1);
    st.orientation = uint8_t(t.orientation);
    Msg_BlitGlyphSmooth(st, 0, 0, cv.Target());
    int inked = 0;
    for (uint32_t p : cv.px) inked += (p >> 24) != 0;
    EXPECT_EQ(inked, 1) << t.orientation;
    EXPECT_EQ(cv.At(t.x, t.y) >> 24, 255u) << t.orientation;
  }
}

// Bounding box of the ink in a canvas.
struct Box {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
};
Box InkBox(const Canvas& cv) {
  Box b;
  for (int y = 0; y < cv.h; ++y)
    for (int x = 0; x < cv.w; ++x)
      if (cv.At(x, y) >> 24) {
        b.x0 = std::min(b.x0, x), b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x), b.y1 = std::max(b.y1, y);
      }
  return b;
}

TEST(Raster, OutlineCopiesByDistance) {
  Font_EnumFaces();
  GlyphStyle st = Style(20, 20, 1);
  st.writeMode = 1;
  const std::string ch = Sj("■");
  Canvas plain(80, 80);
  Msg_DrawGlyphTo(ch.c_str(), st, 0, 30, 30, plain.Target());
  Box b0 = InkBox(plain);
  ASSERT_GE(b0.x1, b0.x0);
  struct DCase {
    int d, left, top, right, bottom;
  };
  const DCase kDs[] = {{1, 1, 1, 1, 1}, {3, 3, 3, 3, 3}, {10, 10, 10, 10, 10}, {13, 0, 0, 3, 3}};
  for (const DCase& c : kDs) {
    Canvas cv(80, 80);
    bool drawn = false;
    Msg_DrawGlyphTo(ch.c_str(), st, c.d, 30, 30, cv.Target(), &drawn);
    EXPECT_TRUE(drawn);
    Box b = InkBox(cv);
    EXPECT_EQ(b0.x0 - b.x0, c.left) << c.d;
    EXPECT_EQ(b0.y0 - b.y0, c.top) << c.d;
    EXPECT_EQ(b.x1 - b0.x1, c.right) << c.d;
    EXPECT_EQ(b.y1 - b0.y1, c.bottom) << c.d;
  }
}

}  // namespace
