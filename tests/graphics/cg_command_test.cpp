// Command 1 from compiled fixture scenes: a layer tree built by script,
// composed, and its pixels checked; plus the operator helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "files/files.h"
#include "layer_fixture.h"
#include "support/game_fixture.h"
#include "support/image_writer.h"
#include "support/script_writer.h"
#include "vm/vm.h"

using namespace gfxtest;

// The VM's command flags; the start-up sets them all to 1.
__attribute__((weak)) extern uint8_t g_CmdFlags[128];

namespace {

TEST(CmdApplyOp, OperatorsAndClamps) {
  EXPECT_EQ(7, Cmd_ApplyOp(0, 5, 7));
  EXPECT_EQ(12, Cmd_ApplyOp(1, 5, 7));
  EXPECT_EQ(-2, Cmd_ApplyOp(2, 5, 7));
  EXPECT_EQ(35, Cmd_ApplyOp(3, 5, 7));
  EXPECT_EQ(-2, Cmd_ApplyOp(4, -5, 2));
  EXPECT_EQ(5, Cmd_ApplyOp(4, 5, 0));
  EXPECT_EQ(5, Cmd_ApplyOp(9, 5, 7));
  EXPECT_EQ(INT64_MIN, Cmd_ApplyOp(4, INT64_MIN, -1));
  EXPECT_EQ(0, Cmd_ApplyOpClampMax(2, 100, 300, 0, 256));
  EXPECT_EQ(300, Cmd_ApplyOpClampMax(0, 100, 300, 0, 256));
  EXPECT_EQ(256, Cmd_ApplyOpClampMax(1, 100, 300, 0, 256));
  EXPECT_EQ(0, Cmd_ApplyOpClampMax(3, 100, -3, 0, 256));
  EXPECT_EQ(256, Cmd_ApplyOpClampMax(3, 100, 3, 0, 256));
  EXPECT_EQ(1, Cmd_ApplyOpClampMin(2, 3, 10, 1));
  EXPECT_EQ(-7, Cmd_ApplyOpClampMin(0, 3, -7, 1));
  EXPECT_EQ(-7, Cmd_ApplyOpClampMin(1, 3, -10, 1));
}

class CgScene : public fx::GameTest {
 protected:
  void SetUp() override {
    InitGraphics();
    CmdSchema_RegisterGraphics();
    g_QuitRequested = 0;
  }
  // Loads the game with the extra files and gives the layer root a canvas.
  bool Load(const fx::Files& extra, int w = 8, int h = 8) {
    bool ok = LoadGameWithCanvas(extra, w, h);
    root = g_TreeRoots[kTreeLayer].root;
    return ok;
  }
  void Frames(int n) { RunGameFrames(n); }
  ObjNode* Find(const char* path, int mode = kObjFindLeaf) { return Obj_FindByPath(root, path, mode); }

  ObjNode* root = nullptr;
};

using imgfix::Solid;

TEST_F(CgScene, ScriptBuildsATreeThatComposes) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\bg")}});
  s.Cmd("cg", {{"path", fx::Text("top")}, {"num", fx::Int(2)}, {"file", fx::Text("cg\\top.png")},
               {"x", fx::Int(2)}, {"y", fx::Int(3)}});
  s.Cmd("cg", {{"path", fx::Text("top")}, {"num", fx::Int(2)}, {"x", fx::Int(1), fx::kOpAdd}});
  s.Cmd("cg", {{"path", fx::Text("grp/")}, {"w", fx::Int(2)}, {"h", fx::Int(2)}, {"order", fx::Int(5)}});
  s.Cmd("cg", {{"path", fx::Text("grp/in")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\dot.bmp")}});
  s.Cmd("cg", {{"path", fx::Text("grp/")}, {"x", fx::Int(6)}});
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(1)}, {"alpha", fx::Int(128)}});
  Idle(s);
  fx::Files images = {
      {"cg\\bg.png", imgfix::WritePng(Solid(8, 8, 0xFF204060u), imgfix::PngKind::Rgb)},
      {"cg\\top.png", imgfix::WritePng(Solid(2, 2, 0x80FF0000u), imgfix::PngKind::Rgba)},
      {"cg\\dot.bmp", imgfix::WriteBmp(Solid(1, 1, 0xFF0000FFu))},
  };
  ASSERT_TRUE(Load(images));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  ObjNode* bg = Find("bg.1");
  ObjNode* top = Find("top.2");
  ObjNode* grp = Find("grp", kObjFindGroup);
  ASSERT_TRUE(bg && top && grp);
  EXPECT_EQ(3, Layer_Record(top)->x);
  EXPECT_EQ(300, Layer_Record(top)->x100);
  EXPECT_EQ(1, Layer_Record(top)->alphaMode);
  EXPECT_EQ(1, g_FullRedraw);
  // The opacity is pending until the frame commits it.
  EXPECT_EQ(256, Layer_Record(bg)->opacity);
  Cg_CommitPendingState(root->first);
  EXPECT_EQ(128, Layer_Record(bg)->opacity);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  // bg at half opacity over the cleared root: each byte (0 + v) * 128 >> 8,
  // the rounded average form at exactly 128.
  EXPECT_EQ(Px(0x30, 0x20, 0x10, 0x80), GetPx(rr, 0, 0));
  // top: B 0, G 0, R 255 at alpha 128 by source alpha, w = 129, over
  // (0x30, 0x20, 0x10): 48 + ((-48 * 129) >> 8) = 23, 32 - 17 = 15,
  // 16 + ((239 * 129) >> 8) = 136; the alpha below is kept.
  EXPECT_EQ(Px(23, 15, 136, 0x80), GetPx(rr, 3, 3));
  EXPECT_EQ(GetPx(rr, 0, 0), GetPx(rr, 2, 3));  // moved right by one
  // The group at x 6 holds the red dot at its top-left; its other pixels are
  // cleared canvas.
  EXPECT_EQ(Px(0xFF, 0, 0, 0xFF), GetPx(rr, 6, 0));
  EXPECT_EQ(0u, GetPx(rr, 7, 1));
}

// The mask named by the command is the layer its path named then: moving the
// tree's current path afterwards does not change which layer masks.
TEST_F(CgScene, MaskStaysTheLayerItsPathNamedWhenTheCurrentPathMoves) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("msk")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\msk.png")}, {"show", fx::Int(0)}});
  s.Cmd("cg", {{"path", fx::Text("other/")}, {"w", fx::Int(1)}, {"h", fx::Int(1)}});
  s.Cmd("cg", {{"path", fx::Text("pic")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\pic.png")},
               {"mask", fx::Text("msk")}, {"masknum", fx::Int(1)}, {"masklevel", fx::Int(128)}});
  Idle(s);
  imgfix::Picture half = Solid(4, 1, 0xFF000000u);
  for (int x = 2; x < 4; x++) std::memset(&half.bgra[size_t(x) * 4], 0xFF, 4);
  fx::Files images = {
      {"cg\\pic.png", imgfix::WritePng(Solid(4, 1, 0xFF3060C0u), imgfix::PngKind::Rgb)},
      {"cg\\msk.png", imgfix::WritePng(half, imgfix::PngKind::Rgb)},
  };
  ASSERT_TRUE(Load(images, 4, 1));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* pic = Layer_Record(Find("pic.1"));
  ASSERT_NE(pic, nullptr);
  Cg_CommitPendingState(root->first);
  auto composed = [&] {
    MarkWholeTree(root);
    EXPECT_EQ(0, ComposeRoot(root));
    LayerImage* rr = Layer_Record(root);
    std::vector<uint32_t> px;
    for (int x = 0; x < 4; x++) px.push_back(GetPx(rr, x, 0));
    return px;
  };
  std::vector<uint32_t> masked = composed();
  char mask[sizeof pic->maskPath];
  std::memcpy(mask, pic->maskPath, sizeof mask);
  pic->maskPath[0] = 0;
  std::vector<uint32_t> plain = composed();
  ASSERT_NE(masked, plain) << "the mask has no effect here";
  std::memcpy(pic->maskPath, mask, sizeof mask);
  std::strcpy(g_TreeRoots[kTreeLayer].curPath, "other");
  EXPECT_EQ(masked, composed());
}

TEST_F(CgScene, MissingLeafWithoutImageIsReportedWhileTheFlagIsSet) {
  if (g_CmdFlags) g_CmdFlags[1] = 1;  // as the start-up leaves it
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("nothing")}, {"num", fx::Int(1)}, {"x", fx::Int(3)}});
  Idle(s);
  ASSERT_TRUE(Load({}));
  ErrCapture errs;
  Frames(1);
  EXPECT_TRUE(errs.Has(101230));
  EXPECT_EQ(1, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Find("nothing.1"));
}

TEST_F(CgScene, MissingLeafWithoutImageIsIgnoredWhenTheFlagIsClear) {
  if (!g_CmdFlags) GTEST_SKIP() << "no command flags linked";
  g_CmdFlags[1] = 0;
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("nothing")}, {"num", fx::Int(1)}, {"x", fx::Int(3)}});
  Idle(s);
  ASSERT_TRUE(Load({}));
  ErrCapture errs;
  Frames(1);
  EXPECT_FALSE(errs.Has(101230));
  EXPECT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Find("nothing.1"));
}

TEST_F(CgScene, SharedLayerCanvasAndDelete) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("a")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\a.bmp")},
               {"w", fx::Int(3)}, {"h", fx::Int(1)}});
  s.Cmd("cg", {{"path", fx::Text("b")}, {"num", fx::Int(2)}, {"share", fx::Text("a.1")}});
  s.Cmd("cgdel", {{"path", fx::Text("a")}, {"num", fx::Int(1)}});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\a.bmp", imgfix::WriteBmp(Solid(2, 2, 0xFF112233u))}}));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Find("a.1"));
  ObjNode* b = Find("b.2");
  ASSERT_NE(nullptr, b);
  LayerImage* r = Layer_Record(b);
  EXPECT_EQ(1, r->refCount);
  // The canvas of 3 x 1 keeps the image's top-left and pads with black.
  EXPECT_EQ(3u, r->width);
  EXPECT_EQ(1u, r->height);
  EXPECT_EQ(0xFF112233u, GetPx(r, 1, 0));
  EXPECT_EQ(0xFF000000u, GetPx(r, 2, 0));
}

TEST_F(CgScene, MissingImageFileGivesATransparentPixelWithoutError) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("m")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\nothere")}});
  Idle(s);
  ASSERT_TRUE(Load({}));
  Frames(1);
  EXPECT_EQ(0, g_QuitRequested.load());
  LayerImage* r = Layer_Record(Find("m.1"));
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(1u, r->width);
  EXPECT_EQ(0x00808080u, GetPx(r, 0, 0));
}

TEST_F(CgScene, OversizedGroupIsRefusedWithoutChangingTheTree) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("g/")}, {"w", fx::Int(8193)}, {"h", fx::Int(4)}, {"order", fx::Int(1)}});
  Idle(s);
  ASSERT_TRUE(Load({}));
  ErrCapture errs;
  Frames(1);
  EXPECT_TRUE(errs.Has(100010));
  EXPECT_EQ(nullptr, Find("g", kObjFindGroup));
}

}  // namespace
