// Presentation through SDL's dummy video driver, read back from the window
// surface: 1:1, both scalers, letter-box in full screen, the black fill and
// sub windows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "graphics/graphics.h"
#include "platform/displays.h"
#include "platform/events.h"
#include "platform/present.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/shell.h"
#include "support/pixel_root.h"

namespace {

// Gradients in B and G, a diagonal ramp in R.
struct Root : PixelRoot {
  Root(uint32_t w, uint32_t h)
      : PixelRoot(w, h, [](uint32_t x, uint32_t y, uint8_t* p) {
          p[0] = static_cast<uint8_t>(x * 7);
          p[1] = static_cast<uint8_t>(y * 5);
          p[2] = static_cast<uint8_t>((x + y) * 3);
          p[3] = 255;
        }) {}
  uint32_t At(int32_t x, int32_t y) const {
    const uint8_t* p = buf.data() + (y * img.width + x) * 4;
    return p[0] | p[1] << 8 | p[2] << 16;
  }
};

uint32_t Rgb(uint32_t v) { return v & 0xFFFFFFu; }

int g_BoxCount = 0;
void NoBox(const char*, const char*) { ++g_BoxCount; }
void NoError(int32_t, int) {}

WindowRec* Window(int32_t index, int32_t lw, int32_t lh, int32_t cw, int32_t ch,
                  const char* driver = "dummy") {
  setenv("SDL_VIDEODRIVER", driver, 1);
  unsetenv("DISPLAY");  // headless: no X server, no session bus through it
  g_WndUi.box = NoBox;
  g_WndUi.error = NoError;
  if (!Plat_VideoInit() || (!g_WindowRecs[0] && Win_CreateMain() != 0)) return nullptr;
  WindowRec* rec = g_WindowRecs[index];
  rec->logicalW = lw;
  rec->logicalH = lh;
  Wnd_InitObject(rec, "t");
  if (!Win_Create(rec, 1, "t", "t")) return nullptr;
  rec->showAtFirstFrame = 1;
  PlatWin_SetClientRect(rec->handle, 0, 0, cw, ch);
  if (index == 0) {
    g_Screen.screenW = g_Screen.shownW = cw;
    g_Screen.screenH = g_Screen.shownH = ch;
    Screen_RequestBuffer(cw, ch);
  }
  return rec;
}

// Each case counts only the boxes it caused.
class Present : public ::testing::Test {
 protected:
  void SetUp() override { g_BoxCount = 0; }
};

std::vector<uint32_t> Shown(WindowRec* rec, int32_t* w, int32_t* h) {
  std::vector<uint32_t> px;
  EXPECT_TRUE(PlatPresent_ReadBack(rec->handle, &px, w, h));
  return px;
}

TEST_F(Present, SameSizeIsShownOneToOne) {
  WindowRec* rec = Window(0, 64, 48, 64, 48);
  ASSERT_NE(rec, nullptr);
  Root root(64, 48);
  rec->layerSet = &root.node;
  EXPECT_EQ(Present_Window(rec), 0);
  EXPECT_EQ(rec->presented, 1);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px = Shown(rec, &w, &h);
  ASSERT_EQ(w, 64);
  ASSERT_EQ(h, 48);
  for (int32_t y = 0; y < 48; y += 7)
    for (int32_t x = 0; x < 64; x += 5) ASSERT_EQ(Rgb(px[y * 64 + x]), root.At(x, y)) << x << "," << y;
}

TEST_F(Present, OffscreenDriverShowsTheFrameToo) {
  WindowRec* rec = Window(0, 24, 16, 24, 16, "offscreen");
  if (!rec) GTEST_SKIP() << "SDL offscreen driver not available";
  Root root(24, 16);
  rec->layerSet = &root.node;
  Present_Window(rec);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px = Shown(rec, &w, &h);
  ASSERT_EQ(w, 24);
  EXPECT_EQ(Rgb(px[7 * 24 + 13]), root.At(13, 7));
}

TEST_F(Present, ScaledWindowShowsTheScalerOutput) {
  for (uint8_t filtered : {uint8_t{1}, uint8_t{0}}) {
    WindowRec* rec = Window(0, 64, 48, 100, 75);
    ASSERT_NE(rec, nullptr);
    g_WinConfig.cpuFiltered = filtered;
    Root root(64, 48);
    rec->layerSet = &root.node;
    Present_Window(rec);
    std::vector<uint8_t> expect(100 * 75 * 4);
    if (filtered) Present_ScaleFiltered(expect.data(), root.buf.data(), 0, 0, 6300, 4700, 64, 48, 10000, 7500);
    else Present_ScaleThreaded(expect.data(), root.buf.data(), 0, 0, 63, 47, 64, 48, 100, 75);
    int32_t w = 0, h = 0;
    std::vector<uint32_t> px = Shown(rec, &w, &h);
    ASSERT_EQ(w, 100);
    for (int32_t i = 0; i < 100 * 75; i += 13) {
      uint32_t e = expect[i * 4] | expect[i * 4 + 1] << 8 | expect[i * 4 + 2] << 16;
      ASSERT_EQ(Rgb(px[i]), e) << "pixel " << i << " filtered " << int(filtered);
    }
    Win_DestroyAll();
  }
}

TEST_F(Present, FullScreenIsLetterBoxed) {
  WindowRec* rec = Window(0, 80, 60, 192, 108);
  ASSERT_NE(rec, nullptr);
  g_FullScreen = 1;
  g_WinConfig.fitMode = 1;
  g_WinConfig.cpuFiltered = 0;
  g_Screen.shownW = 144;  // 4:3 inside 16:9
  g_Screen.shownH = 108;
  Screen_RequestBuffer(144, 108);
  Root root(80, 60);
  rec->layerSet = &root.node;
  Present_Window(rec);
  EXPECT_EQ(g_LetterBox.x, 24);
  EXPECT_EQ(g_LetterBox.y, 0);
  std::vector<uint8_t> expect(144 * 108 * 4);
  Present_ScaleThreaded(expect.data(), root.buf.data(), 0, 0, 79, 59, 80, 60, 144, 108);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px = Shown(rec, &w, &h);
  ASSERT_EQ(w, 192);
  for (int32_t y = 0; y < 108; y += 9) {
    EXPECT_EQ(Rgb(px[y * 192 + 3]), 0u);    // left border
    EXPECT_EQ(Rgb(px[y * 192 + 188]), 0u);  // right border
    for (int32_t x = 0; x < 144; x += 11) {
      const uint8_t* e = &expect[(y * 144 + x) * 4];
      ASSERT_EQ(Rgb(px[y * 192 + 24 + x]), uint32_t(e[0] | e[1] << 8 | e[2] << 16)) << x << "," << y;
    }
  }
}

TEST_F(Present, FullScreenWithoutFitCentresTheFrame) {
  WindowRec* rec = Window(0, 40, 30, 100, 50);
  ASSERT_NE(rec, nullptr);
  g_FullScreen = 1;
  g_WinConfig.fitMode = 0;
  g_Screen.shownW = 40;
  g_Screen.shownH = 30;
  Root root(40, 30);
  rec->layerSet = &root.node;
  Present_Window(rec);
  EXPECT_EQ(g_LetterBox.x, 30);
  EXPECT_EQ(g_LetterBox.y, 10);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px = Shown(rec, &w, &h);
  EXPECT_EQ(Rgb(px[10 * 100 + 30]), root.At(0, 0));
  EXPECT_EQ(Rgb(px[39 * 100 + 69]), root.At(39, 29));
  EXPECT_EQ(Rgb(px[5 * 100 + 50]), 0u);
}

TEST_F(Present, HiddenRootPaintsBlackOnce) {
  WindowRec* rec = Window(0, 32, 32, 32, 32);
  ASSERT_NE(rec, nullptr);
  Root root(32, 32);
  rec->layerSet = &root.node;
  Present_Window(rec);
  root.img.visible = 0;
  Present_Window(rec);
  EXPECT_EQ(rec->presented, 0);
  int32_t w = 0, h = 0;
  EXPECT_EQ(Rgb(Shown(rec, &w, &h)[5 * 32 + 20]), 0u);
  // Something drawn in between stays: the fill happens only once.
  uint32_t white = 0xFFFFFFFF;
  PlatPresent_Blit(rec->handle, reinterpret_cast<uint8_t*>(&white), 1, 1, 4, 0, 0, 32, 32);
  PlatPresent_Commit(rec->handle);
  Present_Window(rec);
  EXPECT_EQ(Rgb(Shown(rec, &w, &h)[5 * 32 + 20]), 0xFFFFFFu);
}

TEST_F(Present, UnchangedRootIsNotPresentedAgain) {
  WindowRec* rec = Window(0, 16, 16, 16, 16);
  ASSERT_NE(rec, nullptr);
  Root root(16, 16);
  rec->layerSet = &root.node;
  root.img.subtreeDirty = 0;
  Present_Window(rec);
  EXPECT_EQ(rec->presented, 0);
}

TEST_F(Present, SubWindowIsShownOneToOneAtTheRootPosition) {
  ASSERT_NE(Window(0, 16, 16, 16, 16), nullptr);
  WindowRec* sub = Window(1, 50, 40, 50, 40);
  ASSERT_NE(sub, nullptr);
  Root root(20, 10);
  root.img.x = 10;
  root.img.y = 5;
  sub->layerSet = &root.node;
  Present_Window(sub);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> px = Shown(sub, &w, &h);
  ASSERT_EQ(w, 50);
  EXPECT_EQ(Rgb(px[5 * 50 + 10]), root.At(0, 0));
  EXPECT_EQ(Rgb(px[14 * 50 + 29]), root.At(19, 9));
  EXPECT_EQ(Rgb(px[0]), 0u);
}

TEST_F(Present, NoBufferAfterAFailedAllocationShowsNothing) {
  WindowRec* rec = Window(0, 32, 32, 64, 64);
  ASSERT_NE(rec, nullptr);
  Screen_RequestBuffer(9000, 64);  // too wide: no buffer at all
  Root root(32, 32);
  rec->layerSet = &root.node;
  Present_Window(rec);
  EXPECT_EQ(g_ScreenBuffer.pixels, nullptr);
  EXPECT_EQ(g_BoxCount, 1);
}

}  // namespace

namespace {

TEST_F(Present, AFrameArrivingAfterTheWindowWentIsDropped) {
  WindowRec* rec = Window(0, 16, 16, 16, 16);
  ASSERT_NE(rec, nullptr);
  PlatWindow* old = rec->handle;
  PlatWin_Destroy(old);
  rec->handle = nullptr;
  uint32_t px[16 * 16] = {};
  PlatPresent_Blit(old, reinterpret_cast<uint8_t*>(px), 16, 16, 64, 0, 0, 16, 16);
  PlatPresent_Commit(old);
  std::vector<uint32_t> back;
  EXPECT_FALSE(PlatPresent_ReadBack(old, &back, nullptr, nullptr));
  EXPECT_FALSE(PlatWin_IsShown(old));
}

}  // namespace

namespace {

// Resizes on the main thread while another thread presents scaled frames:
// the buffer is only ever re-allocated by the presenting thread.
TEST_F(Present, ResizeWhilePresentingOnAnotherThread) {
  WindowRec* rec = Window(0, 64, 48, 128, 96);
  ASSERT_NE(rec, nullptr);
  Plat_SetWndProc(Win_Proc);
  PlatDisplay_SetFake({});
  Root root(64, 48);
  rec->layerSet = &root.node;
  g_WndFrameThreadRunning = 1;
  std::atomic<bool> stop{false};
  std::thread frames([&] {
    while (!stop) {
      root.img.subtreeDirty = 1;
      Present_Window(rec);
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  });
  const int32_t sizes[][2] = {{128, 96}, {200, 150}, {96, 72}, {400, 300}, {64, 48}};
  for (int i = 0; i < 60; ++i) {
    const auto& s = sizes[i % 5];
    PlatWin_SetClientRect(rec->handle, 0, 0, s[0], s[1]);
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  stop = true;
  frames.join();
  g_WndFrameThreadRunning = 0;
  Plat_PumpEvents();
  EXPECT_EQ(g_Screen.shownW, 64);
}

}  // namespace
