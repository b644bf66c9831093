// Command 1 from compiled fixture scenes: a layer tree built by script,
// composed, and its pixels checked; plus the operator helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
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

// A "cg" naming a leaf with neither a picture nor a size: reported (and the
// game ends) while the second command flag is set, as the start-up leaves
// it, and passed over without it. No leaf is made either way.
class CgMissingLeaf : public CgScene, public ::testing::WithParamInterface<uint8_t> {};

TEST_P(CgMissingLeaf, IsReportedOnlyWhileTheFlagIsSet) {
  const uint8_t flag = GetParam();
  g_CmdFlags[1] = flag;
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("nothing")}, {"num", fx::Int(1)}, {"x", fx::Int(3)}});
  Idle(s);
  ASSERT_TRUE(Load({}));
  ErrCapture errs;
  Frames(1);
  EXPECT_EQ(errs.Has(101230), flag != 0);
  EXPECT_EQ(g_QuitRequested.load(), flag != 0 ? 1 : 0);
  EXPECT_EQ(nullptr, Find("nothing.1"));
}
INSTANTIATE_TEST_SUITE_P(Flag, CgMissingLeaf, ::testing::Values(uint8_t(0), uint8_t(1)));

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

// A picture loaded into a visible layer is redrawn over both its old and its
// new rectangle in the frame composed after the load, without any other
// keyword marking the layer: the new pixels show where the picture grew, and
// where it shrank the old pixels go.
struct ReloadCase {
  const char* name;
  int x, y, oldW, oldH, newW, newH;
};
const ReloadCase kReloadCases[] = {
    {"GrowsFromOnePixel", 2, 1, 1, 1, 4, 3},
    {"GrowsRightAndDown", 1, 1, 2, 2, 6, 5},
    {"Shrinks", 1, 2, 5, 4, 2, 1},
};
void PrintTo(const ReloadCase& c, std::ostream* os) { *os << c.name; }
class CgReload : public CgScene, public ::testing::WithParamInterface<ReloadCase> {};

TEST_P(CgReload, PictureIsRedrawnOverItsOldAndNewRectangle) {
  const ReloadCase& c = GetParam();
  const uint32_t kOld = 0xFF112233u, kNew = 0xFF445566u;
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("p")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\old.png")},
               {"x", fx::Int(c.x)}, {"y", fx::Int(c.y)}});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("cg", {{"path", fx::Text("p")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\new.png")}});
  Idle(s);
  fx::Files images = {
      {"cg\\old.png", imgfix::WritePng(Solid(c.oldW, c.oldH, kOld), imgfix::PngKind::Rgb)},
      {"cg\\new.png", imgfix::WritePng(Solid(c.newW, c.newH, kNew), imgfix::PngKind::Rgb)},
  };
  ASSERT_TRUE(Load(images));
  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  LayerImage* p = Layer_Record(Find("p.1"));
  ASSERT_NE(nullptr, p);
  ASSERT_EQ(uint32_t(c.oldW), p->width) << "the second picture came in the first frame";
  Cg_CommitPendingState(root->first);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  Comp_ResetDirtyTree(root);  // as the frame driver does once the frame is shown

  Frames(1);
  ASSERT_EQ(0, g_QuitRequested.load());
  ASSERT_EQ(uint32_t(c.newW), p->width);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  for (int y = 0; y < int(rr->height); y++)
    for (int x = 0; x < int(rr->width); x++) {
      bool inNew = x >= c.x && x < c.x + c.newW && y >= c.y && y < c.y + c.newH;
      EXPECT_EQ(inNew ? kNew : 0u, GetPx(rr, x, y)) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CgReload, ::testing::ValuesIn(kReloadCases),
                         [](const ::testing::TestParamInfo<ReloadCase>& i) { return std::string(i.param.name); });

// Resizing a group changes its size and its canvas together: a refused size
// leaves both as they were, an accepted one gives a canvas of the new size
// with the children composed into it. Every pixel of the size is read back,
// so a size larger than the canvas is caught by the address checker.
struct ResizeCase {
  const char* name;
  int64_t w, h;  // -1: not given
  uint32_t expectW, expectH;
  int32_t error;  // 0: none
};
const ResizeCase kResizeCases[] = {
    {"Wider", 6, -1, 6, 4, 0},
    {"Taller", -1, 7, 4, 7, 0},
    {"SmallerBothWays", 2, 3, 2, 3, 0},
    {"TooWide", 8193, -1, 4, 4, 100010},
    {"TooWideWithAHeight", 8193, 2, 4, 4, 100010},
    {"TooTall", -1, 8193, 4, 4, 100010},
};
void PrintTo(const ResizeCase& c, std::ostream* os) { *os << c.name; }
class CgGroupResize : public CgScene, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(CgGroupResize, SizeAndCanvasChangeTogether) {
  const ResizeCase& c = GetParam();
  const uint32_t kChild = 0xFF3366CCu;
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("g/")}, {"w", fx::Int(4)}, {"h", fx::Int(4)}, {"order", fx::Int(1)}});
  s.Cmd("cg", {{"path", fx::Text("g/in")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\in.png")}});
  std::vector<fx::Arg> resize = {{"path", fx::Text("g/")}};
  if (c.w >= 0) resize.push_back({"w", fx::Int(c.w)});
  if (c.h >= 0) resize.push_back({"h", fx::Int(c.h)});
  s.Cmd("cg", resize);
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\in.png", imgfix::WritePng(Solid(4, 4, kChild), imgfix::PngKind::Rgb)}}));
  ErrCapture errs;
  Frames(1);
  if (c.error) {
    EXPECT_TRUE(errs.Has(c.error)) << errs.Text();
    EXPECT_EQ(1, g_QuitRequested.load());
  } else {
    EXPECT_TRUE(errs.Empty()) << errs.Text();
  }
  g_QuitRequested = 0;
  LayerImage* g = Layer_Record(Find("g", kObjFindGroup));
  ASSERT_NE(nullptr, g);
  ASSERT_NE(nullptr, g->pixels);
  ASSERT_EQ(c.expectW, g->width);
  ASSERT_EQ(c.expectH, g->height);
  Cg_CommitPendingState(root->first);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  for (int y = 0; y < int(g->height); y++)
    for (int x = 0; x < int(g->width); x++) {
      uint32_t want = x < 4 && y < 4 ? kChild : 0u;
      EXPECT_EQ(want, GetPx(g, x, y)) << "group at " << x << "," << y;
      if (x < int(rr->width) && y < int(rr->height)) {
        EXPECT_EQ(want, GetPx(rr, x, y)) << "root at " << x << "," << y;
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CgGroupResize, ::testing::ValuesIn(kResizeCases),
                         [](const ::testing::TestParamInfo<ResizeCase>& i) { return std::string(i.param.name); });

// A leaf whose image cannot be shared reports 101250 with the path it was to
// share and is taken out of the tree again: no node without a record is left
// for a later lookup, and the layers beside it stay as they were.
struct ShareCase {
  const char* name;
  const char* share;
};
const ShareCase kShareCases[] = {
    {"MissingLeaf", "nothere.1"},
    {"EmptyPath", ""},
    {"AGroup", "grp/"},
    {"LeafUnderAMissingGroup", "nogrp/x.1"},
};
void PrintTo(const ShareCase& c, std::ostream* os) { *os << c.name; }
class CgShareMissing : public CgScene, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(CgShareMissing, LeafIsReportedAndDropped) {
  const ShareCase& c = GetParam();
  game.ErrorText(101250, "%s [%s]");
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("a")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\a.png")}});
  s.Cmd("cg", {{"path", fx::Text("grp/")}, {"w", fx::Int(2)}, {"h", fx::Int(2)}, {"order", fx::Int(3)},
               {"x", fx::Int(4)}});
  s.Cmd("cg", {{"path", fx::Text("b")}, {"num", fx::Int(2)}, {"share", fx::Text(c.share)}});
  Idle(s);
  ASSERT_TRUE(Load({{"cg\\a.png", imgfix::WritePng(Solid(2, 2, 0xFF102030u), imgfix::PngKind::Rgb)}}));
  ErrCapture errs;
  Frames(1);
  EXPECT_TRUE(errs.Has(101250)) << errs.Text();
  EXPECT_NE(std::string::npos, errs.Text().find(std::string("[") + c.share + "]")) << errs.Text();
  EXPECT_EQ(1, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Find("b.2"));
  std::vector<std::string> names;
  for (ObjNode* n = root->first; n; n = n->next) {
    names.emplace_back(n->name, n->nameLen);
    EXPECT_NE(nullptr, Layer_Record(n)) << "a node without a record: " << names.back();
  }
  EXPECT_EQ((std::vector<std::string>{"a.1", "grp"}), names);
  ObjNode* a = Find("a.1");
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(1, Layer_Record(a)->refCount);
  g_QuitRequested = 0;
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(0xFF102030u, GetPx(Layer_Record(root), 1, 1));
}

INSTANTIATE_TEST_SUITE_P(Cases, CgShareMissing, ::testing::ValuesIn(kShareCases),
                         [](const ::testing::TestParamInfo<ShareCase>& i) { return std::string(i.param.name); });

}  // namespace
