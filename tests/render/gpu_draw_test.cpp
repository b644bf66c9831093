// GPU layer drawing against the processor compositor, and analytic cases
// (zoom, turns, the modes that the compositor draws otherwise).
#include <cstdio>

#include "gpu_fixture.h"
#include "render/gpu_internal.h"

using namespace gputest;

namespace {

uint32_t At(const std::vector<uint8_t>& px, int w, int x, int y) {
  uint32_t v;
  std::memcpy(&v, px.data() + (size_t(y) * w + x) * 4, 4);
  return v;
}
uint32_t Rgb(uint32_t v) { return v & 0xFFFFFF; }

// A background with a gradient, so that every pixel differs; dark enough
// that adding a layer never saturates (the processor clamps the sum before
// weighing it by alpha, blending after it).
void Gradient(LayerImage* r) {
  for (uint32_t y = 0; y < r->height; ++y)
    for (uint32_t x = 0; x < r->width; ++x)
      SetPx(r, x, y, Px(uint8_t(x * 2), uint8_t(y * 3), uint8_t(x + y * 2), 255));
}

// Texels with every alpha, colour changing with position.
void AlphaRamp(LayerImage* r) {
  for (uint32_t y = 0; y < r->height; ++y)
    for (uint32_t x = 0; x < r->width; ++x)
      SetPx(r, x, y, Px(uint8_t(150 - x * 5), uint8_t(y * 9), uint8_t(x * 10), uint8_t(x * 17 + y * 29)));
}

struct CompareCase {
  const char* name;
  int blendMode;
  int opacity;
  int tolerance;
};

class GpuCompare : public GpuTest, public ::testing::WithParamInterface<CompareCase> {
 protected:
  // A gradient background and a layer with every alpha over it, drawn on
  // the GPU and composed on the processor.
  void Compare() {
    const CompareCase& c = GetParam();
    StartFullGpu(40, 24);
    ObjNode* bg = AddTextured("bg", 40, 24, 0, 0, 0, 1);
    Gradient(Layer_Record(bg));
    ASSERT_EQ(0, QV_PASTESPRITE(Layer_Record(bg), 0, 0, 0));
    ObjNode* top = AddTextured("top", 15, 9, 0, 7, 5, 2);
    LayerImage* t = Layer_Record(top);
    AlphaRamp(t);
    t->blendMode = uint8_t(c.blendMode);
    t->opacity = int16_t(c.opacity);
    ASSERT_EQ(0, QV_PASTESPRITE(t, 0, 0, 0));
    std::vector<uint8_t> gpu = GpuFrame();
    std::vector<uint8_t> cpu = CpuFrame();
    FrameDiff d = CompareRgb(gpu, cpu);
    EXPECT_LE(d.maxDiff, c.tolerance) << c.name;
    EXPECT_LT(d.meanDiff, 0.5) << c.name;
    DumpFrames(c.name, cpu, gpu, 40, 24, d.maxDiff > c.tolerance || d.meanDiff >= 0.5);
  }
};

TEST_P(GpuCompare, MatchesTheCompositor) { Compare(); }

// The same on an ES 3.0 context, where red and blue are swapped on upload
// and read-back.
TEST_P(GpuCompare, MatchesTheCompositorOnEs) {
  PlatGl_InjectFault(GlFault::DesktopGl);
  Compare();
  EXPECT_EQ(GlApiKind::Es30, g_GpuDevice.info.api);
}

INSTANTIATE_TEST_SUITE_P(Modes, GpuCompare,
                         ::testing::Values(CompareCase{"normal", 0, 256, 2},
                                           CompareCase{"normalPartial", 0, 100, 3},
                                           CompareCase{"add", 1, 256, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// A layer wider and taller than one tile: the tiles meet without a seam
// and the part of the last tiles past the layer draws nothing.
TEST_F(GpuTest, TilesMeetAndTheLastTileStopsAtTheLayer) {
  StartFullGpu(700, 300);
  ObjNode* bg = AddTextured("bg", 700, 300, Px(9, 9, 9, 255), 0, 0, 1);
  (void)bg;
  ObjNode* big = MakeLayer(root_, "big", false, 600, 280, 0, 2);
  LayerImage* r = Layer_Record(big);
  Gradient(r);
  r->kind = 1;
  r->x = r->x100 = 0;
  ASSERT_EQ(0, QV_PASTESPRITE(r, 0, 0, 0));
  std::vector<uint8_t> gpu = GpuFrame();
  std::vector<uint8_t> cpu = CpuFrame();
  FrameDiff d = CompareRgb(gpu, cpu);
  EXPECT_EQ(0, d.maxDiff);
  DumpFrames("tiles", cpu, gpu, 700, 300, d.maxDiff != 0);
  EXPECT_EQ(Px(9, 9, 9, 0) & 0xFFFFFF, Rgb(At(gpu, 700, 650, 100)));  // right of the layer
  EXPECT_EQ(Px(9, 9, 9, 0) & 0xFFFFFF, Rgb(At(gpu, 700, 100, 290)));  // below it
}

TEST_F(GpuTest, DoubleZoomNearestIsExact) {
  g_GpuFilterSettings.mag = 0;
  StartFullGpu(8, 8);
  ObjNode* n = AddTextured("checker", 4, 4, 0, 0, 0, 1);
  LayerImage* r = Layer_Record(n);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) SetPx(r, x, y, (x + y) % 2 ? Px(255, 0, 0, 255) : Px(0, 0, 255, 255));
  ASSERT_EQ(0, QV_PASTESPRITE(r, 0, 0, 0));
  r->zoomX = r->zoomY = 20000;
  std::vector<uint8_t> gpu = GpuFrame();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(Rgb(((x / 2 + y / 2) % 2) ? Px(255, 0, 0, 0) : Px(0, 0, 255, 0)),
                Rgb(At(gpu, 8, x, y)))
          << x << "," << y;
}

// Roll of 90 degrees about the layer's top-left corner: with y down the
// image turns clockwise, so source (x, y) lands at (ox - 1 - y, oy + x).
TEST_F(GpuTest, QuarterTurnIsExact) {
  g_GpuFilterSettings.mag = 0;
  StartFullGpu(6, 6);
  ObjNode* n = AddTextured("img", 3, 2, 0, 3, 1, 1);
  LayerImage* r = Layer_Record(n);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) SetPx(r, x, y, Px(uint8_t(10 + x), uint8_t(20 + y), 0, 255));
  ASSERT_EQ(0, QV_PASTESPRITE(r, 0, 0, 0));
  r->gpuFloats[2] = 9000.0f;
  std::vector<uint8_t> gpu = GpuFrame();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(Rgb(Px(uint8_t(10 + x), uint8_t(20 + y), 0, 0)), Rgb(At(gpu, 6, 3 - 1 - y, 1 + x)))
          << x << "," << y;
  EXPECT_EQ(0u, Rgb(At(gpu, 6, 3, 1)));  // where the unturned image would be
}

struct ModeCase {
  const char* name;
  int mode;
  uint32_t dst, src;
  int opacity;
  uint32_t expect;  // colour bytes
};

class GpuModes : public GpuTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(GpuModes, OnePixel) {
  const ModeCase& c = GetParam();
  StartFullGpu(2, 1);
  AddTextured("bg", 2, 1, c.dst, 0, 0, 1);
  ObjNode* n = AddTextured("top", 1, 1, c.src, 0, 0, 2);
  LayerImage* r = Layer_Record(n);
  r->blendMode = uint8_t(c.mode);
  r->opacity = int16_t(c.opacity);
  std::vector<uint8_t> gpu = GpuFrame();
  uint32_t got = Rgb(At(gpu, 2, 0, 0));
  for (int ch = 0; ch < 3; ++ch)
    EXPECT_NEAR(int((c.expect >> (8 * ch)) & 0xFF), int((got >> (8 * ch)) & 0xFF), 1)
        << c.name << " got " << std::hex << got;
  EXPECT_EQ(Rgb(c.dst), Rgb(At(gpu, 2, 1, 0))) << c.name << ": the pixel beside is the background";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpuModes,
    ::testing::Values(
        // Subtract takes the layer from the target: d - s.
        ModeCase{"subtract", 2, Px(200, 100, 50, 255), Px(50, 50, 50, 255), 256, Px(150, 50, 0, 0)},
        // The opacity counts once: half of s is taken away, not a quarter.
        ModeCase{"subtractHalf", 2, Px(200, 100, 50, 255), Px(100, 100, 100, 255), 128,
                 Px(150, 50, 0, 0)},
        // A clear texel takes nothing away.
        ModeCase{"subtractClear", 2, Px(200, 100, 50, 255), Px(120, 120, 120, 0), 256,
                 Px(200, 100, 50, 0)},
        ModeCase{"multiplyHalf", 3, Px(200, 200, 200, 255), Px(0, 0, 0, 255), 128,
                 Px(100, 100, 100, 0)},
        // Transparent texels change nothing in any mode.
        ModeCase{"lightenClear", 6, Px(40, 40, 40, 255), Px(128, 128, 128, 0), 256,
                 Px(40, 40, 40, 0)},
        ModeCase{"exclusionClear", 9, Px(40, 90, 140, 255), Px(128, 128, 128, 0), 256,
                 Px(40, 90, 140, 0)},
        ModeCase{"screenClear", 5, Px(40, 90, 140, 255), Px(128, 128, 128, 0), 256,
                 Px(40, 90, 140, 0)},
        ModeCase{"multiplyClear", 3, Px(40, 90, 140, 255), Px(0, 0, 0, 0), 256,
                 Px(40, 90, 140, 0)},
        ModeCase{"darkenClear", 7, Px(40, 90, 140, 255), Px(0, 0, 0, 0), 256, Px(40, 90, 140, 0)},
        ModeCase{"lighten", 6, Px(40, 200, 40, 255), Px(100, 100, 100, 255), 256,
                 Px(100, 200, 100, 0)},
        // Modes without states of their own draw as normal.
        ModeCase{"undefined", 12, Px(40, 40, 40, 255), Px(200, 100, 0, 255), 256,
                 Px(200, 100, 0, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GpuTest, LayerWithoutAlphaChannelIsOpaqueAsOnTheProcessor) {
  StartFullGpu(4, 1);
  AddTextured("bg", 4, 1, Px(10, 10, 10, 255), 0, 0, 1);
  ObjNode* n = AddTextured("top", 4, 1, Px(0x80, 0x80, 0x80, 0), 0, 0, 2);
  Layer_Record(n)->alphaMode = 0;
  std::vector<uint8_t> gpu = GpuFrame();
  std::vector<uint8_t> cpu = CpuFrame();
  EXPECT_EQ(0, CompareRgb(gpu, cpu).maxDiff);
  EXPECT_EQ(0x808080u, Rgb(At(gpu, 4, 0, 0)));
}

// The rule transition: the mask's blue byte decides, high bytes first; at
// level 0 nothing shows and at 256 everything does.
TEST_F(GpuTest, MaskRuleShowsHighBlueBytesFirst) {
  StartFullGpu(3, 1);
  AddTextured("bg", 3, 1, Px(0, 0, 0, 255), 0, 0, 1);
  ObjNode* rule = MakeLayer(root_, "rule", false, 3, 1, 0, 0);
  LayerImage* m = Layer_Record(rule);
  m->visible = 0;
  SetPx(m, 0, 0, Px(255, 0, 255, 255));  // blue and red high
  SetPx(m, 1, 0, Px(0, 0, 0, 255));      // both low
  SetPx(m, 2, 0, Px(255, 0, 0, 255));    // blue high, red low
  ObjNode* n = AddTextured("top", 3, 1, Px(200, 200, 200, 255), 0, 0, 2);
  LayerImage* r = Layer_Record(n);
  ASSERT_NE(nullptr, r);
  std::snprintf(r->maskPath, sizeof r->maskPath, "%s", "rule");
  r->maskGradient = 2;
  struct { int level; uint8_t shown[3]; } cases[] = {
      {0, {0, 0, 0}}, {128, {199, 0, 199}}, {256, {199, 199, 199}}};
  for (auto& c : cases) {
    r->maskLevel = int16_t(c.level);
    std::vector<uint8_t> gpu = GpuFrame();
    for (int x = 0; x < 3; ++x) EXPECT_NEAR(c.shown[x], int(gpu[x * 4]), 2) << "level " << c.level << " x " << x;
  }
}

// A mask without a gradient weighs the whole layer by its level, as the
// compositor does; the mask's own colours are not drawn.
TEST_F(GpuTest, MaskWithoutGradientIsAFlatWeight) {
  LayerImage* r = PairOverBlack(Px(0, 250, 0, 255), Px(200, 0, 0, 255));
  ASSERT_NE(nullptr, r);
  std::snprintf(r->maskPath, sizeof r->maskPath, "%s", "partner");
  r->maskGradient = 0;
  r->maskLevel = 127;
  std::vector<uint8_t> gpu = GpuFrame();
  EXPECT_NEAR(100, int(gpu[0]), 2);
  EXPECT_EQ(0, int(gpu[1]));
  std::vector<uint8_t> cpu = CpuFrame();
  EXPECT_LE(CompareRgb(gpu, cpu).maxDiff, 2);
}

// With 16-bit textures the frame is still read back whole (the targets
// stay 32-bit); the layers lose only their low bits.
TEST_F(GpuTest, SixteenBitTexturesStillReadBack) {
  g_D3dMode.Textures16Bit = 1;
  StartFullGpu(8, 4);
  ObjNode* bg = AddTextured("bg", 8, 4, 0, 0, 0, 1);
  Gradient(Layer_Record(bg));
  ASSERT_EQ(0, QV_PASTESPRITE(Layer_Record(bg), 0, 0, 0));
  std::vector<uint8_t> gpu = GpuFrame();
  std::vector<uint8_t> cpu = CpuFrame();
  EXPECT_LE(CompareRgb(gpu, cpu).maxDiff, 9);
}

TEST_F(GpuTest, CrossFadeMovesFromTheLayerToTheSecond) {
  LayerImage* r = PairOverBlack(Px(0, 200, 0, 255), Px(200, 0, 0, 255));
  ASSERT_NE(nullptr, r);
  std::snprintf(r->gpuName, sizeof r->gpuName, "%s", "partner");
  r->opacity = 255;
  struct { uint32_t value; int blue, green; } cases[] = {{0, 199, 0}, {128, 100, 100}, {256, 0, 199}};
  for (auto& c : cases) {
    r->gpuLevel2 = c.value;
    std::vector<uint8_t> gpu = GpuFrame();
    EXPECT_NEAR(c.blue, int(gpu[0]), 2) << c.value;
    EXPECT_NEAR(c.green, int(gpu[1]), 2) << c.value;
  }
}

TEST_F(GpuTest, ProcessorImagesAndHiddenLayersAreNotDrawn) {
  StartFullGpu(2, 1);
  AddTextured("bg", 2, 1, Px(5, 5, 5, 255), 0, 0, 1);
  MakeLayer(root_, "cpu", false, 2, 1, Px(99, 99, 99, 255), 2);  // kind 0
  ObjNode* hidden = AddTextured("hidden", 2, 1, Px(77, 77, 77, 255), 0, 0, 3);
  Layer_Record(hidden)->visible = 0;
  std::vector<uint8_t> gpu = GpuFrame();
  EXPECT_EQ(0x050505u, Rgb(At(gpu, 2, 0, 0)));
}

}  // namespace

namespace {

// The compositor hands window 0's full redraw to the GPU frame, and then
// composes the read-back transfer layer like any processor image.
TEST_F(GpuTest, CompositorDrawsTheGpuFrameThroughTheTransferLayer) {
  StartFullGpu(4, 2);
  AddTextured("bg", 4, 2, Px(10, 20, 30, 255), 0, 0, 1);
  AddTextured("dot", 1, 1, Px(200, 100, 50, 255), 2, 1, 2);
  ASSERT_TRUE(g_CompHooks.gpuDrawingOn());
  g_FullRedraw = 1;
  uint8_t presented = 0;
  CompWindow w;
  w.index = 0;
  w.root = root_;
  w.showAtFirstFrame = 1;
  w.presented = &presented;
  ASSERT_EQ(0, Comp_DrawWindow(w));
  EXPECT_EQ(0, g_FullRedraw);
  LayerImage* rr = Layer_Record(root_);
  EXPECT_EQ(0x1E140Au, GetPx(rr, 0, 0) & 0xFFFFFF);
  EXPECT_EQ(0x3264C8u, GetPx(rr, 2, 1) & 0xFFFFFF);
}

}  // namespace
