// GPU tests: a device on EGL without a display (Mesa's llvmpipe), a small
// window-0 layer tree, the message boxes recorded, and a processor
// reference of the same tree. Skipped where no EGL display exists.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics.h"
#include "platform/gpu.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "render/gpu.h"
#include "../graphics/layer_fixture.h"

namespace gputest {

using namespace gfxtest;

inline bool GpuAvailable() {
  static int available = -1;
  if (available < 0) {
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    GlContextInfo info;
    available = PlatGl_CreateContext(&info) == 0 ? 1 : 0;
    PlatGl_DestroyContext();
  }
  return available == 1;
}

inline ObjNode*& Window0() {
  static ObjNode* root = nullptr;
  return root;
}

class GpuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!GpuAvailable()) GTEST_SKIP() << "no EGL display";
    InitGraphics();
    g_QuitRequested = 0;
    g_D3dMode = D3dMode();
    g_GpuFilterSettings = GpuFilterSettings();
    g_GpuDrawLayer = nullptr;
    Window0() = nullptr;
    g_GpuShellHooks = GpuShellHooks();
    g_GpuShellHooks.resetRequest = &resetRequest_;
    g_GpuShellHooks.window0Root = [] { return Window0(); };
    g_GpuShellHooks.window0Size = [](int32_t* w, int32_t* h) {
      LayerImage* r = Layer_Record(Window0());
      *w = r ? int32_t(r->width) : 0;
      *h = r ? int32_t(r->height) : 0;
    };
    Gpu_InstallHooks();
    MsgBox_SetRecorder([this](const MsgBoxRequest& req) {
      boxes_.push_back(req.text);
      return 1;
    });
  }
  void TearDown() override {
    if (root_) {
      Layer_InstallTreeHooks();
      Obj_DeleteTree(root_);
      g_TreeRoots[kTreeLayer].root = nullptr;
    }
    Gpu_ReleaseAll();
    PlatGl_ClearFaults();
    MsgBox_SetRecorder({});
    g_GpuShellHooks = GpuShellHooks();
    g_GpuDrawLayer = nullptr;
    g_D3dMode = D3dMode();
  }

  // Full-GPU mode with a device for a w x h window 0; the root also gets
  // the transfer layer "out" that the frame is read back into.
  void StartFullGpu(int w, int h) {
    root_ = MakeRoot(w, h);
    Window0() = root_;
    out_ = MakeLayer(root_, "out", false, w, h, 0, 1000);
    g_GpuDrawLayer = out_;
    g_D3dMode.FullGpu = 1;
    ASSERT_EQ(0, D3d_Init());
  }
  // A textured layer at (x, y) uploaded to the device.
  ObjNode* AddTextured(const std::string& name, int w, int h, uint32_t fill, int x, int y,
                       int64_t key) {
    ObjNode* n = MakeLayer(root_, name, false, w, h, fill, key);
    LayerImage* r = Layer_Record(n);
    r->x = x, r->y = y, r->x100 = x * 100, r->y100 = y * 100;
    r->alphaMode = 1;
    r->kind = 1;
    EXPECT_EQ(0, QV_PASTESPRITE(r, 0, 0, 0));
    return n;
  }
  // A 1 x 1 window: black background, a hidden textured layer "partner"
  // (a mask or second layer) and the textured layer "top"; top's record.
  LayerImage* PairOverBlack(uint32_t partnerFill, uint32_t topFill) {
    StartFullGpu(1, 1);
    AddTextured("bg", 1, 1, Px(0, 0, 0, 255), 0, 0, 1);
    Layer_Record(AddTextured("partner", 1, 1, partnerFill, 0, 0, 0))->visible = 0;
    return Layer_Record(AddTextured("top", 1, 1, topFill, 0, 0, 2));
  }
  // Draws the GPU frame; the transfer layer's pixels.
  std::vector<uint8_t> GpuFrame() {
    EXPECT_EQ(0, D3d_PresentFrame());
    return Pixels(Layer_Record(out_));
  }
  // The same tree composed on the processor: textured layers as images,
  // the transfer layer hidden.
  std::vector<uint8_t> CpuFrame() {
    std::vector<std::pair<LayerImage*, uint32_t>> kinds;
    for (ObjNode* c = root_->first; c; c = c->next) {
      LayerImage* r = Layer_Record(c);
      kinds.push_back({r, r->kind});
      r->kind = 0;
    }
    LayerImage* out = Layer_Record(out_);
    uint8_t visible = out->visible;
    out->visible = 0;
    MarkWholeTree(root_);
    EXPECT_EQ(0, ComposeRoot(root_));
    out->visible = visible;
    for (auto& k : kinds) k.first->kind = k.second;
    return Pixels(Layer_Record(root_));
  }
  int Boxes(const char* utf8) const {
    std::string want = Text_Utf8ToSjis(utf8);
    int n = 0;
    for (const std::string& b : boxes_) n += b == want;
    return n;
  }

  std::atomic<uint8_t> resetRequest_{0};
  std::vector<std::string> boxes_;
  ObjNode* root_ = nullptr;
  ObjNode* out_ = nullptr;
};

// Largest difference over the colour bytes, the mean absolute difference,
// and whether the boxes of pixels that differ from `base` agree.
struct FrameDiff {
  int maxDiff = 0;
  double meanDiff = 0;
};
inline FrameDiff CompareRgb(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  FrameDiff d;
  size_t n = 0;
  double sum = 0;
  for (size_t i = 0; i + 4 <= a.size() && i + 4 <= b.size(); i += 4)
    for (int c = 0; c < 3; ++c) {
      int v = std::abs(int(a[i + c]) - int(b[i + c]));
      d.maxDiff = std::max(d.maxDiff, v);
      sum += v;
      ++n;
    }
  d.meanDiff = n ? sum / double(n) : 0;
  return d;
}

// Writes expected, actual and difference pictures (opaque PNGs, the
// difference scaled up) beside the test binaries, for a failed comparison
// or when GPU_TEST_DUMP is set.
inline void DumpFrames(const std::string& name, const std::vector<uint8_t>& expected,
                       const std::vector<uint8_t>& actual, int w, int h, bool failed) {
  if (!failed && !std::getenv("GPU_TEST_DUMP")) return;
  std::vector<uint8_t> diff(expected.size());
  for (size_t i = 0; i < diff.size() && i < actual.size(); ++i)
    diff[i] = uint8_t(std::min(255, std::abs(int(expected[i]) - int(actual[i])) * 32));
  const std::pair<const char*, const std::vector<uint8_t>*> pics[] = {
      {"expected", &expected}, {"actual", &actual}, {"diff", &diff}};
  for (const auto& p : pics) {
    LayerImage rec;
    if (Img_SetSize(&rec, w, h, nullptr) != 0) return;
    std::memcpy(rec.pixels, p.second->data(), std::min(p.second->size(), size_t(w) * h * 4));
    rec.alphaMode = 0;
    std::string path = std::string(TEST_BINARY_DIR) + "/gpu_" + name + "_" + p.first + ".png";
    Img_SavePng(&rec, path.c_str(), 6);
    std::free(rec.pixels);
    rec.pixels = nullptr;
  }
}

}  // namespace gputest
