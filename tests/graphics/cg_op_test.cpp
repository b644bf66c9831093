// Command 2's preparation and dispatch from fixture scenes: which slot
// runs, the guards and their errors, layers made on the way, text through
// the font hook, and the name swap.
#include <iterator>
#include <memory>

#include "cg_op_fixture.h"
#include "render/render.h"
#include "text/text.h"

using namespace cgtest;

namespace {

class CgOp : public CgOpScene {
 protected:
  // A scene that loads "a.1" (8 x 6) and runs one command 2 with `args`
  // (the first layer's path and number first).
  void RunOne(const Args& extra, int frames = 1) {
    fx::Scene& s = Main();
    LoadLayer(s, "a", 1, "cg\\a.png");
    Args args = {T("path", "a"), A("num", 1)};
    args.insert(args.end(), extra.begin(), extra.end());
    s.Cmd("cgop", args);
    Idle(s);
    ASSERT_TRUE(Load({{"cg\\a.png", imgfix::WritePng(imgfix::Pattern(8, 6, false), imgfix::PngKind::Rgb)}}));
    errs = std::make_unique<ErrCapture>();
    Frames(frames);
  }
  std::unique_ptr<ErrCapture> errs;
};

struct GuardCase {
Args args;
int32_t error;
};
const GuardCase kGuardCases[] = {
    {{A("bright", 1), A("v1", 257)}, 101000},
    {{A("bright", 1), A("v1", -1)}, 101000},
    {{A("balance", 1), A("v1", 0x1000000)}, 101000},
    {{A("crop", 1), A("v1", 16)}, 101000},
    {{A("rotate", 1), A("left", 1)}, 101282},
    {{A("mosaic", 1), A("v1", 2), A("bottom", 3)}, 101283},
    {{A("scatter", 1), A("v1", 2), A("top", 0)}, 101284},
    {{A("swap", 1), T("path2", "b"), A("num2", 1), A("right", 2)}, 101281},
    {{A("swap", 1)}, 101297},
    {{A("move", 1)}, 101296},
    {{A("copy", 1)}, 101298},
    // The blits that read a third or fourth layer need them named.
    {{A("blitalpha", 1), T("path2", "b"), A("num2", 1)}, 101298},
    {{A("crossfade", 1), T("path2", "b"), A("num2", 1), T("path3", "m"), A("num3", 1)}, 101298},
    {{T("path2", "g/"), A("mirror", 1)}, 101291},
    // Scaling: only value 1 names a scaler; sizes 1..8192 pixels.
    {{A("scalefilter", 2), A("w", 4), A("h", 4)}, 101000},
    {{A("scale", 1), A("w", 8193), A("h", 4)}, 101000},
    {{A("scale", 1), A("w100", 99), A("h", 4)}, 101000},
    {{A("scale", 1), A("w", 4)}, 101000},
};

class CgOpGuard : public CgOp, public ::testing::WithParamInterface<size_t> {};

TEST_P(CgOpGuard, IsReported) {
  const GuardCase& c = kGuardCases[GetParam()];
  RunOne(c.args);
  EXPECT_EQ(c.error, errs->First());
  EXPECT_EQ(1, g_QuitRequested.load());
}
INSTANTIATE_TEST_SUITE_P(Cases, CgOpGuard, ::testing::Range<size_t>(0, std::size(kGuardCases)));

TEST_F(CgOp, TheFirstSlotInOrderRuns) {
  // Mirror and saturation together: saturation comes first in the order.
  RunOne({T("path2", "o"), A("num2", 1), A("mirror", 1), A("mono", 1), A("v1", 0)});
  ASSERT_EQ(0, g_QuitRequested.load());
  Img a = ImgOf(Rec("a.1")), o = ImgOf(Rec("o.1"));
  uint32_t p = a.At(0, 0);
  int g = (Ch(p, 0) + Ch(p, 1) + Ch(p, 2)) / 3;
  EXPECT_EQ(Px(uint8_t(g), uint8_t(g), uint8_t(g), 255), o.At(0, 0));  // not mirrored
}

TEST_F(CgOp, AMissingFurtherLayerIsCreatedEmpty) {
  RunOne({T("path2", "fresh"), A("num2", 4), A("negative", 1), A("v1", 1)});
  ASSERT_EQ(0, g_QuitRequested.load());
  ObjNode* n = Find("fresh.4");
  ASSERT_NE(nullptr, n);
  EXPECT_EQ(1, n->key);
  EXPECT_EQ(8u, Layer_Record(n)->width);
}

TEST_F(CgOp, AMissingFirstLayerDoesNothing) {
  fx::Scene& s = Main();
  s.Cmd("cgop", {T("path", "none"), A("num", 1), T("path2", "o"), A("num2", 1), A("negative", 1)});
  Idle(s);
  ASSERT_TRUE(Load({}));
  Frames(1);
  EXPECT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Find("o.1"));
}

TEST_F(CgOp, ScalingSizesAtTheLimits) {
  // 819299 hundredths truncate to 8192 pixels and pass.
  RunOne({T("path2", "o"), A("num2", 1), A("scalecubic", 1), A("w100", 819299), A("h", 1)});
  ASSERT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(8192u, Rec("o.1")->width);
  EXPECT_EQ(1u, Rec("o.1")->height);
}

TEST_F(CgOp, ScalingSlotsSelectTheirMethods) {
  Cg_SetFrameScalers(Present_ScaleThreaded, Present_ScaleFiltered, Present_ScaleThreaded2);
  fx::Scene& s = Main();
  LoadLayer(s, "a", 1, "cg\\a.png");
  const char* slots[] = {"scale", "scalefilter", "scalecubic", "scalesuper", "scalelanczos"};
  for (int i = 0; i < 5; i++)
    s.Cmd("cgop", {T("path", "a"), A("num", 1), T("path2", "o"), A("num2", i + 1), A(slots[i], 1),
                   A("w", 13), A("h", 5)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\a.png", imgfix::WritePng(imgfix::Pattern(8, 6, false), imgfix::PngKind::Rgb)}}));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* a = Rec("a.1");
  std::vector<uint8_t> want(13 * 5 * 4);
  Present_ScaleThreaded(want.data(), a->pixels, 0, 0, 7, 5, 8, 6, 13, 5);
  EXPECT_EQ(want, gfxtest::Pixels(Rec("o.1")));
  Present_ScaleFiltered(want.data(), a->pixels, 0, 0, 700, 500, 8, 6, 1300, 500);
  EXPECT_EQ(want, gfxtest::Pixels(Rec("o.2")));
  Cg_ScaleMethod31(want.data(), a->pixels, 0, 0, 7, 5, 8, 6, 13, 5);
  EXPECT_EQ(want, gfxtest::Pixels(Rec("o.3")));
  Cg_ScaleMethod41(want.data(), a->pixels, 0, 0, 700, 500, 8, 6, 1300, 500);
  EXPECT_EQ(want, gfxtest::Pixels(Rec("o.4")));
  Cg_ScaleMethod51(want.data(), a->pixels, 8, 6, 13, 5);
  EXPECT_EQ(want, gfxtest::Pixels(Rec("o.5")));
}

// A glyph drawer that records its calls and writes a marker pixel.
struct Drawn {
  std::string ch;
  int d, x, y;
};
std::vector<Drawn> g_Drawn;
std::vector<int> g_Slots;

TEST_F(CgOp, TextIsDrawnCharacterByCharacterThenTheBlitRuns) {
  g_Drawn.clear(), g_Slots.clear();
  g_CgOpHooks.setFontSlot = [](int n) { g_Slots.push_back(n); };
  g_CgOpHooks.drawChar = [](const char* ch, int d, int x, int y, ObjNode*) {
    g_Drawn.push_back({ch, d, x, y});
    return std::strlen(ch) == 2 ? 10 : 5;
  };
  // "A", a two-byte character, "b": the pen moves by each advance.
  RunOne({A("font", 3), T("text", "A\x82\xA0" "b"), A("v1", 2), A("left", 1), A("top", 2),
          T("path2", "a"), A("num2", 1), A("copy", 1)});
  ASSERT_EQ(0, g_QuitRequested.load());
  ASSERT_EQ(3u, g_Drawn.size());
  EXPECT_EQ("A", g_Drawn[0].ch);
  EXPECT_EQ("\x82\xA0", g_Drawn[1].ch);
  EXPECT_EQ(1, g_Drawn[0].x);
  EXPECT_EQ(6, g_Drawn[1].x);
  EXPECT_EQ(16, g_Drawn[2].x);
  EXPECT_EQ(2, g_Drawn[2].y);
  EXPECT_EQ(2, g_Drawn[0].d);
  // The copy ran after the text (the canvas takes alpha mode 1), and the
  // font slot stays as chosen.
  EXPECT_EQ(1, Rec("a.1")->alphaMode);
  EXPECT_EQ(std::vector<int>{3}, g_Slots);
}

TEST_F(CgOp, TextAloneSetsTheFontSlotBackAndNoTextDrawsNothing) {
  g_Drawn.clear(), g_Slots.clear();
  g_CgOpHooks.setFontSlot = [](int n) { g_Slots.push_back(n); };
  g_CgOpHooks.drawChar = [](const char* ch, int d, int x, int y, ObjNode*) {
    g_Drawn.push_back({ch, d, x, y});
    return 1;
  };
  RunOne({A("font", 2), A("print", 1)});
  EXPECT_EQ(0, g_QuitRequested.load());
  EXPECT_TRUE(g_Drawn.empty());
  EXPECT_EQ((std::vector<int>{2, 0}), g_Slots);
}

TEST_F(CgOp, FillColourWithValueTwoSetsTheAlphaModeFirst) {
  RunOne({A("fill", 2), A("v1", 0x102030), T("path2", "o"), A("num2", 1)});
  ASSERT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(1, Rec("o.1")->alphaMode);
  EXPECT_EQ(0xFF102030u, GetPx(Rec("o.1"), 3, 3));
}

TEST_F(CgOp, PasteAndGrabAlwaysGoOn) {
  RunOne({A("paste", 1)});
  EXPECT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(1, g_FullRedraw);
}

class CgSwap : public CgOpScene {};

TEST_F(CgSwap, SwapTradesPlacesNamesAndPositions) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("a")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\a.png")}, {"x", fx::Int(3)}});
  s.Cmd("cg", {{"path", fx::Text("b")}, {"num", fx::Int(5)}, {"file", fx::Text("cg\\b.png")},
               {"x", fx::Int(9)}, {"blend", fx::Int(4)}});
  s.Cmd("cgop", {T("path", "a"), A("num", 1), T("path2", "b"), A("num2", 5), A("swaplooks", 1)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\a.png", imgfix::WritePng(imgfix::Solid(2, 2, 0xFF0000FFu), imgfix::PngKind::Rgb)},
                    {"cg\\b.png", imgfix::WritePng(imgfix::Solid(3, 3, 0xFF00FF00u), imgfix::PngKind::Rgb)}}));
  Frames(2);
  ASSERT_EQ(0, g_QuitRequested.load());
  // The 2 x 2 record now answers to "b.5", sits at b's key and has b's x.
  LayerImage* r = Rec("b.5");
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(2u, r->width);
  EXPECT_EQ(9, r->x);
  EXPECT_EQ(5, Find("b.5")->key);
  EXPECT_EQ(3u, Rec("a.1")->width);
  EXPECT_EQ(3, Rec("a.1")->x);
  EXPECT_EQ(4, r->blendMode);
}

TEST_F(CgSwap, GroupAndLeafKeepTheirOwnHashBits) {
  gfxtest::InitGraphics();
  ObjNode* saved = g_TreeRoots[kTreeLayer].root;
  ObjNode* rt = gfxtest::MakeRoot(8, 8);
  ObjNode* g = gfxtest::MakeLayer(rt, "grp", true, 2, 2, 0, 1);
  ObjNode* l = gfxtest::MakeLayer(rt, "leaf", false, 2, 2, 0, 2);
  ASSERT_EQ(0, Cg_SwapNames(g, l, 1));
  EXPECT_EQ(g, Obj_FindByPath(rt, "leaf", kObjFindGroup));
  EXPECT_EQ(l, Obj_FindByPath(rt, "grp", kObjFindLeaf));
  EXPECT_EQ(kObjHashGroupBit, g->hash & kObjHashGroupBit);
  EXPECT_EQ(0u, l->hash & kObjHashGroupBit);
  Obj_DeleteTree(rt);
  g_TreeRoots[kTreeLayer].root = saved;
}

TEST_F(CgSwap, ASwapThatWouldDuplicateANameIsRefused) {
  gfxtest::InitGraphics();
  ObjNode* saved = g_TreeRoots[kTreeLayer].root;
  ObjNode* rt = gfxtest::MakeRoot(8, 8);
  ObjNode* g1 = gfxtest::MakeLayer(rt, "g1", true, 2, 2, 0, 1);
  ObjNode* g2 = gfxtest::MakeLayer(rt, "g2", true, 2, 2, 0, 2);
  ObjNode* x = gfxtest::MakeLayer(g1, "x", false, 1, 1, 0);
  gfxtest::MakeLayer(g1, "y", false, 1, 1, 0);
  ObjNode* y2 = gfxtest::MakeLayer(g2, "y", false, 1, 1, 0);
  (void)g2;
  ErrCapture errs;
  // x would become a second "y" under g1.
  EXPECT_EQ(-1, Cg_SwapNames(x, y2, 1));
  EXPECT_TRUE(errs.Has(101297));
  EXPECT_STREQ("x", x->name);
  Obj_DeleteTree(rt);
  g_TreeRoots[kTreeLayer].root = saved;
  g_QuitRequested = 0;
}

}  // namespace

namespace {

// Through the real font slots: the text subsystem's hook draws glyphs with
// Msg_DrawGlyph into the first layer.
TEST_F(CgOp, TextThroughTheFontSlotsInksTheLayer) {
  Font_EnumFaces();
  Font_InstallCgHooks();
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("t")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\t.png")}});
  s.Cmd("cgop", {T("path", "t"), A("num", 1), T("text", "Ab\x82\xA0"), A("left", 2), A("top", 2), A("print", 1)});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\t.png", imgfix::WritePng(imgfix::Solid(80, 28, 0xFF000000u), imgfix::PngKind::Rgb)}}));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* r = Rec("t.1");
  // Write mode 0 puts the glyph's coverage into the alpha bytes of its cell.
  int ink = 0, inkRight = 0, clear = 0;
  for (uint32_t y = 0; y < r->height; y++)
    for (uint32_t x = 0; x < r->width; x++) {
      uint32_t a = GetPx(r, int(x), int(y)) >> 24;
      ink += a > 128;
      inkRight += a > 128 && x >= 40;  // the pen moved on past the first glyphs
      clear += a == 0;
    }
  EXPECT_GT(ink, 40);
  EXPECT_GT(inkRight, 5);
  EXPECT_GT(clear, 40);
  r->alphaMode = 1;
  if (const char* out = std::getenv("CG_TEXT_PNG")) Img_SavePng(r, out, 6);
}

}  // namespace
