// Device loss and reset, start-up failures and the CPU fall-back, by
// faults injected into the GL table (llvmpipe never loses a device).
#include "gpu_fixture.h"

using namespace gputest;

namespace {

constexpr const char kFallBack[] = "GPU描画が出来ませんでした。CPU描画に移行します。";

class GpuReset : public GpuTest {
 protected:
  // Window 0 with a background and two textured layers.
  void StartScene() {
    StartFullGpu(16, 8);
    bg_ = AddTextured("bg", 16, 8, Px(30, 60, 90, 255), 0, 0, 1);
    a_ = AddTextured("a", 5, 4, Px(200, 10, 10, 180), 2, 1, 2);
    b_ = AddTextured("b", 6, 3, Px(10, 200, 10, 255), 9, 4, 3);
  }
  ObjNode* bg_ = nullptr;
  ObjNode* a_ = nullptr;
  ObjNode* b_ = nullptr;
};

TEST_F(GpuReset, ResetReportedInFullGpuRemakesTheDeviceAndTheFrame) {
  StartScene();
  std::vector<uint8_t> before = GpuFrame();
  uint32_t gen = Gpu_Generation();
  PlatGl_InjectFault(GlFault::ResetOnce);
  std::vector<uint8_t> after = GpuFrame();
  EXPECT_EQ(gen + 1, Gpu_Generation());  // one reset
  EXPECT_TRUE(Tex_HasTiles(Layer_Record(a_)));
  EXPECT_TRUE(Tex_HasTiles(Layer_Record(b_)));
  EXPECT_EQ(before, after);
  EXPECT_EQ(gen + 1, Gpu_Generation());
  EXPECT_EQ(0, Boxes(kFallBack));
  EXPECT_EQ(1, g_D3dMode.FullGpu);
}

TEST_F(GpuReset, ResetReportedWhileGpuScaledNeitherResetsNorDraws) {
  StartScene();
  g_D3dMode.GpuScaled = 1;
  LayerImage* out = Layer_Record(out_);
  std::vector<uint8_t> before = Pixels(out);
  uint32_t gen = Gpu_Generation();
  PlatGl_InjectFault(GlFault::ResetOnce);
  EXPECT_EQ(0, D3d_PresentFrame());
  EXPECT_EQ(gen, Gpu_Generation());
  EXPECT_EQ(before, Pixels(out));
}

// Full-GPU mode without a transfer layer: the frame entry does nothing,
// not even the look at the device.
TEST_F(GpuReset, NoTransferLayerNoFrame) {
  StartScene();
  g_GpuDrawLayer = nullptr;
  uint64_t calls = PlatGl_CallCount();
  PlatGl_InjectFault(GlFault::ResetOnce);
  resetRequest_ = 1;
  EXPECT_EQ(0, D3d_PresentFrame());
  EXPECT_EQ(calls, PlatGl_CallCount());
  EXPECT_EQ(1, resetRequest_.load());
}

TEST_F(GpuReset, ResetRequestIsTakenOnce) {
  StartScene();
  uint32_t gen = Gpu_Generation();
  resetRequest_ = 1;
  std::vector<uint8_t> frame = GpuFrame();
  EXPECT_EQ(0, resetRequest_.load());
  EXPECT_EQ(gen + 1, Gpu_Generation());
  EXPECT_EQ(frame, GpuFrame());
  EXPECT_EQ(gen + 1, Gpu_Generation());
}

TEST_F(GpuReset, FailedResetFallsBackToTheProcessorForGood) {
  StartScene();
  std::vector<uint8_t> gpu = GpuFrame();
  PlatGl_InjectFault(GlFault::ResetOnce);
  PlatGl_InjectFault(GlFault::CreateContext);
  EXPECT_EQ(0, D3d_PresentFrame());
  EXPECT_EQ(1, Boxes(kFallBack));
  EXPECT_EQ(0, g_D3dMode.FullGpu);
  EXPECT_EQ(0, g_D3dMode.GpuScaled);
  EXPECT_EQ(1, g_D3dMode.CpuFiltered);
  EXPECT_EQ(nullptr, g_GpuDrawLayer);
  // The textured layers are processor images again, drawn by the
  // compositor as before; nothing touches GL any more.
  EXPECT_EQ(0u, Layer_Record(a_)->kind);
  EXPECT_FALSE(g_CompHooks.gpuDrawingOn());
  EXPECT_FALSE(g_CgGpuHooks.fullGpu());
  uint64_t calls = PlatGl_CallCount();
  LayerImage* out = Layer_Record(out_);
  out->visible = 0;
  MarkWholeTree(root_);
  ASSERT_EQ(0, ComposeRoot(root_));
  std::vector<uint8_t> cpu = Pixels(Layer_Record(root_));
  EXPECT_LE(CompareRgb(gpu, cpu).maxDiff, 2);
  EXPECT_EQ(0, D3d_PresentFrame());
  g_GpuDrawLayer = out_;
  resetRequest_ = 1;
  EXPECT_EQ(0, D3d_PresentFrame());
  Obj_Release(a_);
  EXPECT_EQ(calls, PlatGl_CallCount());
  EXPECT_EQ(1, Boxes(kFallBack));
}

// One layer's texture cannot be made again: the walk goes on, so the
// layers after it keep theirs.
TEST_F(GpuReset, FailedReuploadLeavesTheLaterLayersTheirTextures) {
  StartScene();
  // After the reset's own targets (the back buffer, "Render", "GetSS"):
  // the textures of bg, then a.
  PlatGl_InjectFault(GlFault::TexImage, 4);
  EXPECT_EQ(0, D3d_ResetDevice());
  EXPECT_TRUE(Tex_HasTiles(Layer_Record(bg_)));
  EXPECT_FALSE(Tex_HasTiles(Layer_Record(a_)));
  EXPECT_TRUE(Tex_HasTiles(Layer_Record(b_)));
  EXPECT_EQ(1, g_D3dMode.FullGpu);
}

// A layer outside window 0's tree keeps its texture record over a reset;
// releasing it later must not delete a texture of the new device that
// happens to carry the same name.
TEST_F(GpuReset, StaleTexturesAreNotDeletedOnTheNewDevice) {
  StartFullGpu(16, 8);
  ObjNode* other = MakeLayer(nullptr, "other", false, 4, 4, Px(1, 1, 1, 255));
  ASSERT_EQ(0, QV_PASTESPRITE(Layer_Record(other), 0, 0, 0));
  bg_ = AddTextured("bg", 16, 8, Px(30, 60, 90, 255), 0, 0, 1);
  std::vector<uint8_t> before = GpuFrame();
  ASSERT_EQ(0, D3d_ResetDevice());
  EXPECT_FALSE(Tex_HasTiles(Layer_Record(other)));
  Obj_Release(other);
  EXPECT_EQ(before, GpuFrame());
}

TEST_F(GpuReset, FailedUploadReleasesTheTilesMade) {
  StartFullGpu(8, 8);
  ObjNode* n = MakeLayer(root_, "wide", false, 600, 4, Px(1, 2, 3, 255), 2);
  LayerImage* r = Layer_Record(n);
  r->kind = 1;
  PlatGl_InjectFault(GlFault::TexImage, 1);  // the first of two columns is made
  EXPECT_EQ(-1, QV_PASTESPRITE(r, 0, 0, 0));
  EXPECT_FALSE(Tex_HasTiles(r));
  EXPECT_EQ(1, Boxes("テクスチャを生成できませんでした。\r\nVRAM容量不足の可能性があります。\r\n\r\n"
                     "※解決方法\r\n一度ゲームを終了してから[エンジン設定.exe]を起動して頂き、"
                     "ゲーム画面の描画方法の項目を【 CPU(バイリニア) 】にセットして\r\n"
                     "起動し直していただければ動作いたします。"));
}

// A layer released while the device lives gives its textures back; one
// from an earlier device only forgets them.
TEST_F(GpuReset, ReleasedLayersGiveTheirTexturesBack) {
  StartScene();
  Obj_Release(a_);
  PlatGl_InjectFault(GlFault::ResetOnce);
  GpuFrame();
  Obj_Release(b_);
  EXPECT_TRUE(Tex_HasTiles(Layer_Record(bg_)));
}

TEST_F(GpuReset, SizeMismatchIsShownOnceAndTheTargetForgotten) {
  StartScene();
  ObjNode* small = MakeLayer(root_, "small", false, 4, 4, 0, 5);
  g_GpuDrawLayer = small;
  EXPECT_EQ(0, D3d_PresentFrame());
  EXPECT_EQ(nullptr, g_GpuDrawLayer);
  g_GpuDrawLayer = small;
  EXPECT_EQ(0, D3d_PresentFrame());
  EXPECT_EQ(1u, boxes_.size());
}

struct StartCase {
  const char* name;
  GlFault fault;
  int32_t skip;
  int init;           // D3d_Init's result
  const char* box;    // the failure's own message
};

class GpuStart : public GpuTest, public ::testing::WithParamInterface<StartCase> {};

// Every start-up failure falls back to the processor and the start goes on.
TEST_P(GpuStart, FailureFallsBackAndTheStartGoesOn) {
  const StartCase& c = GetParam();
  root_ = MakeRoot(16, 8);
  Window0() = root_;
  g_D3dMode.GpuScaled = 1;
  g_D3dMode.GpuFilter = 3;
  PlatGl_InjectFault(c.fault, c.skip);
  EXPECT_EQ(c.init, D3d_Init()) << c.name;
  EXPECT_FALSE(PlatGl_HasContext()) << c.name << ": nothing of the device is kept";
  PlatGl_ClearFaults();
  g_D3dMode.GpuScaled = 1;
  PlatGl_InjectFault(c.fault, c.skip);
  EXPECT_EQ(0, Gpu_StartupStep());
  EXPECT_EQ(0, g_D3dMode.GpuScaled);
  EXPECT_EQ(0, g_D3dMode.GpuFilter);
  EXPECT_EQ(0, g_QuitRequested.load());
  EXPECT_EQ(1, Boxes(kFallBack)) << c.name;
  EXPECT_EQ(2, Boxes(c.box)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GpuStart,
    ::testing::Values(
        StartCase{"context", GlFault::CreateContext, 0, 1,
                  "[Direct3D初期化エラー]Direct3Dの初期化に失敗しました。"},
        StartCase{"backBuffer", GlFault::Target, 0, 1, "バックバッファサーフェス取得に失敗しました。"},
        StartCase{"renderTarget", GlFault::Target, 1, -1, "Render テクスチャを生成できませんでした。"},
        StartCase{"shader", GlFault::Shader, 3, 1, "[エラー] Shader Init Error."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GpuTest, StartupWithoutAGpuModeMakesNoDevice) {
  uint64_t calls = PlatGl_CallCount();
  EXPECT_EQ(0, Gpu_StartupStep());
  EXPECT_FALSE(PlatGl_HasContext());
  EXPECT_EQ(calls, PlatGl_CallCount());
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
