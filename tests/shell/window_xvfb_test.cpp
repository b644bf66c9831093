// A real window on the X server (run under xvfb-run): the configured client
// size, the presented pixels read back through the server with ImageMagick's
// import, and a full-screen round trip. Skipped without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "graphics/graphics.h"
#include "platform/window.h"
#include "render/render.h"
#include "support/test_env.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

bool HaveDisplay() {
  const char* d = std::getenv("DISPLAY");
  return d && *d && std::system("command -v import >/dev/null 2>&1") == 0;
}

struct Picture {
  LayerImage img;
  ObjNode node{};
  std::vector<uint8_t> buf;
  Picture(uint32_t w, uint32_t h) : buf((w * 4) * (h + 1) + 4, 0) {
    img.width = w;
    img.height = h;
    img.pixels = buf.data();
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < w; ++x) {
        uint8_t* p = buf.data() + (y * w + x) * 4;
        bool left = x < w / 2, top = y < h / 2;
        p[0] = left ? 0 : 255;          // blue on the right
        p[1] = top ? 0 : 200;           // green in the lower half
        p[2] = left ? 255 : 0;          // red on the left
        p[3] = 255;
      }
    img.drawBox[2] = w - 1;
    img.drawBox[3] = h - 1;
    img.subtreeDirty = 1;
    node.record = &img;
  }
  ~Picture() { img.pixels = nullptr; }
};

void PumpFor(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// RGB bytes of a screen rectangle, read from the X server.
std::vector<uint8_t> Grab(int32_t x, int32_t y, int32_t w, int32_t h, const std::string& dir) {
  std::string file = dir + "/grab.rgb";
  std::string cmd = "import -window root -crop " + std::to_string(w) + "x" + std::to_string(h) +
                    "+" + std::to_string(x) + "+" + std::to_string(y) + " -depth 8 rgb:" + file +
                    " 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return {};
  std::ifstream in(file, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

WindowRec* RealWindow(int32_t w, int32_t h) {
  unsetenv("SDL_VIDEODRIVER");
  setenv("SDL_VIDEODRIVER", "x11", 1);
  PlatDisplay_ClearFake();
  InstallRecorders();
  if (!Plat_VideoInit() || Win_CreateMain() != 0) return nullptr;
  WindowRec* rec = g_WindowRecs[0];
  rec->logicalW = w;
  rec->logicalH = h;
  rec->showAtFirstFrame = 1;
  g_Screen.screenW = g_Screen.shownW = w;
  g_Screen.screenH = g_Screen.shownH = h;
  Screen_EnumMonitors();
  g_WinConfig.desktopW = g_Monitors.width[0];
  g_WinConfig.desktopH = g_Monitors.height[0];
  Wnd_InitObject(rec, "xvfb");
  if (!Win_Create(rec, 1, "main", "xvfb")) return nullptr;
  Plat_SetWndProc(Win_Proc);
  return rec;
}

TEST(WindowXvfb, ShowsThePictureAtTheClientSize) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  WindowRec* rec = RealWindow(320, 240);
  ASSERT_NE(rec, nullptr);
  Picture pic(320, 240);
  rec->layerSet = &pic.node;
  PlatWin_Show(rec->handle);
  PumpFor(300);
  Present_Window(rec);
  PumpFor(200);
  Present_Window(rec);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);
  TempDir dir;
  std::vector<uint8_t> rgb = Grab(c.x, c.y, 320, 240, dir.path());
  ASSERT_EQ(rgb.size(), 320u * 240 * 3) << "import failed";
  auto at = [&](int x, int y) { return &rgb[(y * 320 + x) * 3]; };
  EXPECT_EQ(at(40, 40)[0], 255);   // red, upper left
  EXPECT_EQ(at(40, 40)[2], 0);
  EXPECT_EQ(at(280, 40)[2], 255);  // blue, upper right
  EXPECT_EQ(at(280, 40)[0], 0);
  EXPECT_EQ(at(280, 200)[1], 200); // green below
  EXPECT_EQ(at(40, 200)[1], 200);
}

TEST(WindowXvfb, FullScreenAndBackKeepTheSizes) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  WindowRec* rec = RealWindow(320, 240);
  ASSERT_NE(rec, nullptr);
  PlatWin_Show(rec->handle);
  PumpFor(200);
  int32_t dw = g_WinConfig.desktopW, dh = g_WinConfig.desktopH;
  g_WinConfig.resolutionChange = 0;
  EXPECT_EQ(Screen_SetMode(1), 1);
  PumpFor(300);
  ASSERT_EQ(g_FullScreen.load(), 1) << "boxes " << g_Boxes.size() << " errors " << g_Errors.size();
  EXPECT_EQ(g_Screen.screenW, dw);
  EXPECT_EQ(g_Screen.screenH, dh);
  int32_t sw = 0, sh = 0;
  Screen_ShownSizeFor(320, 240, dw, dh, g_WinConfig.fitMode, false, dw, dh, &sw, &sh);
  EXPECT_EQ(g_Screen.shownW, sw);
  EXPECT_EQ(g_Screen.shownH, sh);
  PlatRect f;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &f));
  EXPECT_EQ(f.w, dw);
  EXPECT_EQ(f.h, dh);
  EXPECT_EQ(Screen_SetMode(0), 1);
  PumpFor(300);
  EXPECT_EQ(g_FullScreen.load(), 0);
  EXPECT_EQ(g_Screen.screenW, 320);
  EXPECT_EQ(g_Screen.shownH, 240);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);
}

}  // namespace
