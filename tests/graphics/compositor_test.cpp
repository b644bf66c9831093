// The compositor on small layer trees: golden pixels, occlusion, masks,
// groups, shared records, incremental redraws and worker counts.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>

#include "layer_fixture.h"

using namespace gfxtest;

namespace {

class CompositorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGraphics();
    g_QuitRequested = 0;
  }
};

TEST_F(CompositorTest, OpaqueChildIsCopiedAndEmptyAreaCleared) {
  ObjNode* root = MakeRoot(4, 3);
  LayerImage* rr = Layer_Record(root);
  SetPx(rr, 3, 2, 0xDEADBEEF);  // stale pixel outside every child
  ObjNode* a = MakeLayer(root, "a", false, 2, 2, Px(10, 20, 30, 255));
  Layer_Record(a)->x = 1;
  MarkWholeTree(root);
  EXPECT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(Px(10, 20, 30, 255), GetPx(rr, 1, 0));
  EXPECT_EQ(Px(10, 20, 30, 255), GetPx(rr, 2, 1));
  EXPECT_EQ(0u, GetPx(rr, 0, 0));
  EXPECT_EQ(0u, GetPx(rr, 3, 2));
  EXPECT_EQ(1, rr->alphaMode);  // a window root is rewritten to 1
}

TEST_F(CompositorTest, SourceAlphaAndOpacityGolden) {
  ObjNode* root = MakeRoot(2, 1);
  MakeLayer(root, "bg", false, 2, 1, Px(200, 100, 0, 255), 1);
  ObjNode* top = MakeLayer(root, "top", false, 2, 1, Px(0, 0, 255, 127), 2);
  LayerImage* t = Layer_Record(top);
  t->alphaMode = 1;
  SetPx(t, 1, 0, Px(0, 0, 255, 0));  // alpha 0 still moves by one step
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  // w = 128: 200 + ((0 - 200) * 128 >> 8) = 100; 0 + ((255 * 128) >> 8) = 127.
  EXPECT_EQ(Px(100, 50, 127, 255), GetPx(rr, 0, 0));
  EXPECT_EQ(Px(199, 99, 0, 255), GetPx(rr, 1, 0));
  // The same layer at opacity 128: w = ((127 * 128) >> 8) + 1 = 64.
  t->opacity = 128;
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(Px(150, 75, 63, 255), GetPx(rr, 0, 0));
}

TEST_F(CompositorTest, CoveringOpaqueChildHidesEarlierSiblingsWithoutClear) {
  ObjNode* root = MakeRoot(3, 3);
  ObjNode* low = MakeLayer(root, "low", false, 3, 3, Px(1, 1, 1, 255), 1);
  MakeLayer(root, "cover", false, 3, 3, Px(9, 9, 9, 255), 2);
  ObjNode* over = MakeLayer(root, "over", false, 1, 1, Px(5, 5, 5, 255), 3);
  Layer_Record(over)->x = 2;
  Layer_Record(low)->blendMode = 1;  // would change pixels if it were drawn
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  EXPECT_EQ(Px(9, 9, 9, 255), GetPx(rr, 0, 0));
  EXPECT_EQ(Px(5, 5, 5, 255), GetPx(rr, 2, 0));
}

TEST_F(CompositorTest, CoverOfAnotherKindOrWithoutPixelsDoesNotHide) {
  ObjNode* root = MakeRoot(2, 2);
  MakeLayer(root, "low", false, 2, 2, Px(7, 7, 7, 255), 1);
  ObjNode* tex = MakeLayer(root, "tex", false, 2, 2, Px(9, 9, 9, 255), 2);
  Layer_Record(tex)->kind = 3;  // drawn only by the renderer
  LayerImage* rr = Layer_Record(root);
  SetPx(rr, 0, 0, 0x12345678);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(Px(7, 7, 7, 255), GetPx(rr, 0, 0));
}

// A covering child that cannot be drawn here hides nothing: the layer below
// it is still drawn, whichever reason keeps the cover off the canvas.
TEST_F(CompositorTest, UndrawableCoverLeavesTheLayerBelowDrawn) {
  const struct {
    const char* what;
    uint8_t kind;
    bool pixels;
  } cases[] = {
      {"texture kind", 3, true},
      {"no pixels", 0, false},
      {"E-mote kind without pixels", 2, false},
  };
  for (const auto& c : cases) {
    ObjNode* root = MakeRoot(2, 2);
    MakeLayer(root, "low", false, 2, 2, Px(7, 7, 7, 255), 1);
    ObjNode* cover = MakeLayer(root, "cover", false, 2, 2, Px(9, 9, 9, 255), 2);
    LayerImage* k = Layer_Record(cover);
    k->kind = c.kind;
    if (!c.pixels) {
      std::free(k->pixels);
      k->pixels = nullptr;  // the size stays: only the buffer is missing
    }
    LayerImage* rr = Layer_Record(root);
    SetPx(rr, 1, 1, 0x12345678);
    MarkWholeTree(root);
    ASSERT_EQ(0, ComposeRoot(root)) << c.what;
    EXPECT_EQ(Px(7, 7, 7, 255), GetPx(rr, 1, 1)) << c.what;
    Obj_DeleteTree(root);
    g_TreeRoots[kTreeLayer].root = nullptr;
  }
}

TEST_F(CompositorTest, ChildAbuttingTheDirtyBoxIsSkipped) {
  ObjNode* root = MakeRoot(4, 1);
  ObjNode* a = MakeLayer(root, "a", false, 2, 1, Px(3, 3, 3, 255), 1);
  (void)a;
  LayerImage* rr = Layer_Record(root);
  rr->dirty = rr->subtreeDirty = 1;
  rr->dirtyBox[0] = 2, rr->dirtyBox[1] = 0, rr->dirtyBox[2] = 3, rr->dirtyBox[3] = 0;
  SetPx(rr, 1, 0, 0xAAAAAAAA);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(0xAAAAAAAAu, GetPx(rr, 1, 0));  // outside the box: untouched
  EXPECT_EQ(0u, GetPx(rr, 2, 0));           // inside, no child: cleared
  // Moving one pixel right makes it overlap the box by one pixel.
  Layer_Record(a)->x = 1;
  rr->dirty = 1;
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(Px(3, 3, 3, 255), GetPx(rr, 2, 0));
}

TEST_F(CompositorTest, NegativeAndOversizedDirtyBoxesAreClamped) {
  ObjNode* root = MakeRoot(3, 2);
  MakeLayer(root, "a", false, 3, 2, Px(4, 4, 4, 255), 1);
  LayerImage* rr = Layer_Record(root);
  rr->dirty = rr->subtreeDirty = 1;
  rr->dirtyBox[0] = -5, rr->dirtyBox[1] = -5, rr->dirtyBox[2] = 99, rr->dirtyBox[3] = 99;
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(0, rr->dirtyBox[0]);
  EXPECT_EQ(2, rr->dirtyBox[2]);
  EXPECT_EQ(1, rr->dirtyBox[3]);
  EXPECT_EQ(Px(4, 4, 4, 255), GetPx(rr, 2, 1));
}

TEST_F(CompositorTest, RootWithoutDirtyByteIsNotTouched) {
  ObjNode* root = MakeRoot(2, 2);
  MakeLayer(root, "a", false, 2, 2, Px(4, 4, 4, 255), 1);
  LayerImage* rr = Layer_Record(root);
  SetPx(rr, 0, 0, 0x55555555);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(0x55555555u, GetPx(rr, 0, 0));
}

TEST_F(CompositorTest, MaskWeightsByLevelAndGradient) {
  Comp_BuildMaskWeights(100, 256, 256);
  EXPECT_EQ(0, g_MaskWeights[155]);
  EXPECT_EQ(256, g_MaskWeights[156]);
  Comp_BuildMaskWeights(200, 0, 256);  // gradient 0: level acts as opacity
  EXPECT_EQ(201, g_MaskWeights[0]);
  EXPECT_EQ(201, g_MaskWeights[255]);
  Comp_BuildMaskWeights(128, 2, 128);
  // ((i*2)>>1) + 1*128 - 256 + 128 = i, +1, then * 128 >> 8.
  EXPECT_EQ((10 + 1) * 128 >> 8, g_MaskWeights[10]);
  EXPECT_EQ(128, g_MaskWeights[255]);
}

TEST_F(CompositorTest, MaskedLayerWithThresholdAndSizeMismatch) {
  ObjNode* root = MakeRoot(2, 1);
  MakeLayer(root, "bg", false, 2, 1, Px(0, 0, 0, 255), 1);
  ObjNode* m = MakeLayer(root, "m", false, 2, 1, Px(0, 0, 0, 255), 0);
  Layer_Record(m)->visible = 0;
  SetPx(Layer_Record(m), 1, 0, Px(200, 0, 0, 255));
  ObjNode* fg = MakeLayer(root, "fg", false, 2, 1, Px(250, 250, 250, 255), 2);
  LayerImage* f = Layer_Record(fg);
  ASSERT_NE(nullptr, f);
  std::snprintf(f->maskPath, sizeof f->maskPath, "m");
  f->maskLevel = 100;
  f->maskGradient = 256;  // mask bytes >= 156 show, lower hide
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  EXPECT_EQ(Px(0, 0, 0, 255), GetPx(rr, 0, 0));
  EXPECT_EQ(Px(250, 250, 250, 255), GetPx(rr, 1, 0));
  // Mask level 0 hides the layer.
  f->maskLevel = 0;
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(Px(0, 0, 0, 255), GetPx(rr, 1, 0));
  // A mask of another size stops the composition.
  f->maskLevel = 100;
  Img_SetSize(Layer_Record(m), 3, 1, nullptr);
  MarkWholeTree(root);
  ErrCapture errs;
  EXPECT_EQ(-1, ComposeRoot(root));
  EXPECT_TRUE(errs.Has(100310));
  EXPECT_EQ(1, g_QuitRequested.load());
}

TEST_F(CompositorTest, GroupIsComposedFirstAsOpaqueRectangle) {
  ObjNode* root = MakeRoot(2, 1);
  MakeLayer(root, "bg", false, 2, 1, Px(50, 50, 50, 255), 1);
  ObjNode* g = MakeLayer(root, "g", true, 2, 1, 0xFFFFFFFF, 2);
  ObjNode* leaf = MakeLayer(g, "in", false, 1, 1, Px(1, 2, 3, 255), 1);
  (void)leaf;
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  LayerImage* rr = Layer_Record(root);
  EXPECT_EQ(Px(1, 2, 3, 255), GetPx(rr, 0, 0));
  EXPECT_EQ(0u, GetPx(rr, 1, 0));  // cleared area of the group paints as 0
  EXPECT_EQ(0, Layer_Record(g)->alphaMode);
}

// A random tree of leaves and one group; returns the leaves.
std::vector<ObjNode*> BuildRandomTree(ObjNode* root, std::mt19937& rng) {
  std::vector<ObjNode*> leaves;
  ObjNode* group = MakeLayer(root, "grp", true, 20, 14, 0, 5);
  Layer_Record(group)->x = 7, Layer_Record(group)->y = 3;
  Layer_Record(group)->opacity = 200;
  for (int i = 0; i < 9; i++) {
    ObjNode* parent = i % 3 == 2 ? group : root;
    int w = 3 + rng() % 25, h = 2 + rng() % 20;
    ObjNode* n = MakeLayer(parent, "l" + std::to_string(i), false, w, h, 0, i);
    LayerImage* r = Layer_Record(n);
    for (size_t b = 0; b < size_t(w) * h * 4; b++) r->pixels[b] = uint8_t(rng());
    r->x = int(rng() % 40) - 8, r->y = int(rng() % 30) - 6;
    r->blendMode = uint8_t(rng() % 19);
    r->alphaMode = rng() % 2;
    int ops[] = {256, 256, 128, 77};
    r->opacity = int16_t(ops[rng() % 4]);
    leaves.push_back(n);
  }
  return leaves;
}

TEST_F(CompositorTest, IncrementalRedrawEqualsFullRecomposition) {
  for (unsigned seed = 1; seed <= 6; seed++) {
    std::mt19937 rng(seed);
    ObjNode* root = MakeRoot(40, 30);
    auto leaves = BuildRandomTree(root, rng);
    MarkWholeTree(root);
    ASSERT_EQ(0, ComposeRoot(root));
    Comp_ResetDirtyTree(root);
    // Move one leaf and fade another, marking as the commands do.
    LayerImage* a = Layer_Record(leaves[seed % 9]);
    Layer_MarkDirty(leaves[seed % 9]);
    a->x += 3, a->y -= 2;
    Layer_MarkDirty(leaves[seed % 9]);
    Layer_Record(leaves[(seed + 4) % 9])->opacity = 100;
    Layer_MarkDirty(leaves[(seed + 4) % 9]);
    ASSERT_EQ(0, ComposeRoot(root));
    auto incremental = Pixels(Layer_Record(root));
    MarkWholeTree(root);
    ASSERT_EQ(0, ComposeRoot(root));
    EXPECT_EQ(Pixels(Layer_Record(root)), incremental) << "seed " << seed;
    Obj_DeleteTree(root);
    g_TreeRoots[kTreeLayer].root = nullptr;
  }
}

TEST_F(CompositorTest, SameBytesForOneAndFourWorkers) {
  std::mt19937 rng(77);
  ObjNode* root = MakeRoot(40, 30);
  BuildRandomTree(root, rng);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  auto one = Pixels(Layer_Record(root));
  Gfx_StartWorkers(4);
  EXPECT_EQ(4, Gfx_WorkerCount());
  std::fill(Layer_Record(root)->pixels, Layer_Record(root)->pixels + 40 * 30 * 4, uint8_t(0x33));
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(one, Pixels(Layer_Record(root)));
  // A quit request does not stop the pool: the next job still runs.
  g_QuitRequested = 1;
  g_QuitRequested = 0;
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  EXPECT_EQ(one, Pixels(Layer_Record(root)));
  Gfx_StopWorkers();
}

// A quit request is not the pool's stop: composing with four workers while
// the quit byte is 1 runs the jobs, and after it is cleared the next
// composition still finds every worker (a pool that ended its workers on
// the quit byte would leave this composition waiting for ever).
TEST_F(CompositorTest, ComposingWhileQuitIsSetKeepsThePool) {
  std::mt19937 rng(78);
  ObjNode* root = MakeRoot(40, 30);
  BuildRandomTree(root, rng);
  MarkWholeTree(root);
  ASSERT_EQ(0, ComposeRoot(root));
  auto want = Pixels(Layer_Record(root));
  Gfx_StartWorkers(4);
  auto done = std::make_shared<std::atomic<int>>(0);
  std::thread poster([root, done] {
    for (int quit : {1, 0}) {
      g_QuitRequested = uint8_t(quit);
      std::fill(Layer_Record(root)->pixels, Layer_Record(root)->pixels + 40 * 30 * 4, uint8_t(0x33));
      MarkWholeTree(root);
      ComposeRoot(root);
      done->fetch_add(1);
    }
  });
  for (int i = 0; i < 5000 && done->load() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (done->load() < 2) {
    ADD_FAILURE() << "composition after a quit request did not end";
    std::_Exit(1);  // the poster waits for ever: nothing else can end it
  }
  poster.join();
  g_QuitRequested = 0;
  EXPECT_EQ(want, Pixels(Layer_Record(root)));
  Gfx_StopWorkers();
}

TEST_F(CompositorTest, SharedRecordMarksEverySharer) {
  ObjNode* root = MakeRoot(10, 10);
  ObjNode* g1 = MakeLayer(root, "g1", true, 4, 4, 0, 1);
  ObjNode* g2 = MakeLayer(root, "g2", true, 4, 4, 0, 2);
  Layer_Record(g2)->x = 5;
  ObjNode* a = MakeLayer(g1, "a", false, 2, 2, Px(1, 1, 1, 255), 1);
  ObjNode* b = Obj_NewNode("b", 1, kObjKindLeaf, nullptr);
  Obj_AttachRecord(b, Layer_Record(a));
  Obj_LinkChild(g2, b, 1);
  EXPECT_EQ(2, Layer_Record(a)->refCount);
  Layer_MarkDirty(a);
  EXPECT_EQ(1, Layer_Record(g1)->dirty);
  EXPECT_EQ(1, Layer_Record(g2)->dirty);
  EXPECT_EQ(0, Layer_Record(root)->dirtyBox[0]);
  EXPECT_EQ(8, Layer_Record(root)->dirtyBox[2]);
  // Releasing one sharer keeps the record and its pixels for the other.
  g_GpuDrawLayer = a;
  Obj_Release(a);
  EXPECT_EQ(nullptr, g_GpuDrawLayer);
  LayerImage* rec = Layer_Record(b);
  ASSERT_NE(nullptr, rec);
  EXPECT_EQ(1, rec->refCount);
  EXPECT_EQ(Px(1, 1, 1, 255), GetPx(rec, 1, 1));
  Obj_Release(b);
  EXPECT_EQ(nullptr, g1->first);
}

TEST_F(CompositorTest, MarkingOutsideTheParentStillMarksGrandparents) {
  ObjNode* root = MakeRoot(100, 100);
  ObjNode* g = MakeLayer(root, "g", true, 10, 10, 0, 1);
  Layer_Record(g)->x = 20;
  ObjNode* a = MakeLayer(g, "a", false, 5, 5, 0, 1);
  Layer_Record(a)->x = 50;  // outside g
  Layer_MarkDirty(a);
  EXPECT_EQ(0, Layer_Record(g)->dirty);
  EXPECT_EQ(1, Layer_Record(root)->dirty);
  EXPECT_EQ(20, Layer_Record(root)->dirtyBox[0]);
  EXPECT_EQ(29, Layer_Record(root)->dirtyBox[2]);
}

TEST(LayerImage, AllocatorLimitsAndBlank) {
  EXPECT_EQ(size_t(8192) * 4 * 2 + 4, Img_PixelBytes(8192, 1));
  uint8_t* p = Img_AllocPixels(nullptr, 8192, 1, "x");
  ASSERT_NE(nullptr, p);
  std::free(p);
  g_QuitRequested = 0;
  ErrCapture errs;
  EXPECT_EQ(nullptr, Img_AllocPixels(nullptr, 8193, 1, "x"));
  EXPECT_TRUE(errs.Has(100010));
  EXPECT_EQ(1, g_QuitRequested.load());
  EXPECT_EQ(nullptr, Img_AllocPixels(nullptr, 1, 8193, "x"));
  EXPECT_EQ(nullptr, Img_AllocPixels(nullptr, 0, 5, "x"));
  EXPECT_EQ(nullptr, Img_AllocPixels(nullptr, 5, -1, "x"));
  // A failed resize leaves size and buffer as they were.
  ObjNode* n = Obj_NewNode("n", 1, kObjKindLeaf, nullptr);
  LayerImage* r = Obj_GetImageRecord(n);
  ASSERT_EQ(0, Img_MakeBlank(r, "n"));
  EXPECT_EQ(0x00808080u, gfxtest::GetPx(r, 0, 0));
  uint8_t* before = r->pixels;
  EXPECT_EQ(-1, Img_SetSize(r, 9000, 2, "n"));
  EXPECT_EQ(before, r->pixels);
  EXPECT_EQ(1u, r->width);
  Obj_Release(n);
}

}  // namespace

namespace {

int g_GpuFrames = 0;

TEST(CompositorWindow, FullRedrawGoesToTheGpuForWindowZeroOnly) {
  gfxtest::InitGraphics();
  ObjNode* root = MakeRoot(3, 2);
  MakeLayer(root, "a", false, 3, 2, Px(1, 2, 3, 255), 1);
  g_CompHooks.gpuDrawingOn = [] { return true; };
  g_CompHooks.gpuDrawFrame = [](ObjNode*) { g_GpuFrames++; };
  g_FullRedraw = 1;
  uint8_t presented = 0;
  CompWindow w;
  w.index = 1, w.root = root, w.showAtFirstFrame = 1, w.presented = &presented;
  EXPECT_EQ(0, Comp_DrawWindow(w));
  EXPECT_EQ(0, g_GpuFrames);  // not window 0
  EXPECT_EQ(1, presented);
  w.index = 0;
  EXPECT_EQ(0, Comp_DrawWindow(w));
  EXPECT_EQ(1, g_GpuFrames);
  EXPECT_EQ(0, g_FullRedraw);
  // The root was marked whole and then composed on the CPU as well.
  EXPECT_EQ(Px(1, 2, 3, 255), GetPx(Layer_Record(root), 2, 1));
  // A window not yet shown is not touched, and its presented byte stays.
  uint8_t untouched = 0;
  w.showAtFirstFrame = 0, w.presented = &untouched;
  EXPECT_EQ(0, Comp_DrawWindow(w));
  EXPECT_EQ(0, untouched);
  g_CompHooks = CompHooks{};
}

}  // namespace
