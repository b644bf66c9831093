// A real window on the X server (run under xvfb-run): the configured client
// size, the presented pixels read back through the server with ImageMagick's
// import, and a full-screen round trip. Skipped without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "graphics/graphics.h"
#include "platform/window.h"
#include "render/render.h"
#include "support/pixel_root.h"
#include "support/test_env.h"
#include "support/xserver.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

// One window test at a time on a display: a full-screen window of one case
// would cover the picture another case reads back. A folder is the lock
// (its creation is atomic); a stale one is taken over after 30 s.
class DisplayLock {
 public:
  DisplayLock() {
    const char* d = std::getenv("DISPLAY");
    std::string name = d ? d : "none";
    for (char& c : name)
      if (c == ':' || c == '/' || c == '.') c = '_';
    path_ = std::filesystem::temp_directory_path() / ("engine-window-test" + name + ".lock");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::error_code ec;
    while (!std::filesystem::create_directory(path_, ec) && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~DisplayLock() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }

 private:
  std::filesystem::path path_;
};

struct Picture : PixelRoot {
  Picture(uint32_t w, uint32_t h)
      : PixelRoot(w, h, [w, h](uint32_t x, uint32_t y, uint8_t* p) {
          bool left = x < w / 2, top = y < h / 2;
          p[0] = left ? 0 : 255;  // blue on the right
          p[1] = top ? 0 : 200;   // green in the lower half
          p[2] = left ? 255 : 0;  // red on the left
          p[3] = 255;
        }) {}
};

void PumpFor(int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Pumps until `done` holds or `ms` passed (a loaded machine's X server may
// take a while); returns whether it held.
template <class F>
bool PumpUntil(F done, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Plat_PumpEvents();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

bool ClientIs(const WindowRec* rec, int32_t w, int32_t h) {
  PlatRect c;
  return PlatWin_GetClientRect(rec->handle, &c) && c.w == w && c.h == h;
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
  setenv("SDL_VIDEODRIVER", "x11", 1);
  // No session bus to find: keeps it from being started through the display.
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
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
  if (!xsrv::HaveDisplay("import")) GTEST_SKIP() << "no X display (run under xvfb-run)";
  DisplayLock lock;
  WindowRec* rec = RealWindow(320, 240);
  ASSERT_NE(rec, nullptr);
  Picture pic(320, 240);
  rec->layerSet = &pic.node;
  PlatWin_Show(rec->handle);
  PumpFor(300);
  Present_Window(rec);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);
  TempDir dir;
  std::vector<uint8_t> rgb;
  auto at = [&](int x, int y) { return &rgb[(y * 320 + x) * 3]; };
  // The server shows the frame once the window is mapped and on top; other
  // programs may share the display, so come to the top, show the frame
  // again and read until it is there (or the time is up).
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
  do {
    PlatWin_Raise(rec->handle);
    pic.img.subtreeDirty = 1;
    Present_Window(rec);
    PumpFor(100);
    ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
    rgb = Grab(c.x, c.y, 320, 240, dir.path());
    if (rgb.size() == 320u * 240 * 3 && at(40, 40)[0] == 255 && at(280, 200)[2] == 255) break;
  } while (std::chrono::steady_clock::now() < end);
  ASSERT_EQ(rgb.size(), 320u * 240 * 3) << "import failed";
  EXPECT_EQ(at(40, 40)[0], 255);   // red, upper left
  EXPECT_EQ(at(40, 40)[2], 0);
  EXPECT_EQ(at(280, 40)[2], 255);  // blue, upper right
  EXPECT_EQ(at(280, 40)[0], 0);
  EXPECT_EQ(at(280, 200)[1], 200); // green below
  EXPECT_EQ(at(40, 200)[1], 200);
}

TEST(WindowXvfb, FullScreenAndBackKeepTheSizes) {
  if (!xsrv::HaveDisplay("import")) GTEST_SKIP() << "no X display (run under xvfb-run)";
  DisplayLock lock;
  WindowRec* rec = RealWindow(320, 240);
  ASSERT_NE(rec, nullptr);
  PlatWin_Show(rec->handle);
  PumpFor(200);
  int32_t dw = g_WinConfig.desktopW, dh = g_WinConfig.desktopH;
  g_WinConfig.resolutionChange = 0;
  EXPECT_EQ(Screen_SetMode(1), 1);
  PumpUntil([&] { return ClientIs(rec, dw, dh); }, 5000);
  PumpFor(100);
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
  PumpUntil([&] { return ClientIs(rec, 320, 240); }, 5000);
  PumpFor(100);
  EXPECT_EQ(g_FullScreen.load(), 0);
  EXPECT_EQ(g_Screen.screenW, 320);
  EXPECT_EQ(g_Screen.shownH, 240);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);
}

}  // namespace

namespace {

// A window manager for the cases that need frames and maximise; bare Xvfb
// has neither. Stopped again with the case.
class WindowManager {
 public:
  WindowManager() {
    FILE* p = popen("openbox --sm-disable >/dev/null 2>&1 & echo $!", "r");
    if (!p) return;
    char buf[32] = {};
    if (fgets(buf, sizeof buf, p)) pid_ = std::atoi(buf);
    pclose(p);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
  }
  ~WindowManager() {
    if (pid_ > 0) std::system(("kill " + std::to_string(pid_) + " 2>/dev/null").c_str());
  }
  bool Started() const { return pid_ > 0; }

 private:
  int pid_ = 0;
};

bool HaveOpenbox() { return std::system("command -v openbox >/dev/null 2>&1") == 0; }

TEST(WindowXvfb, MaximiseRestoreAndSnapUnderAWindowManager) {
  if (!xsrv::HaveDisplay("import") || !HaveOpenbox()) GTEST_SKIP() << "needs xvfb-run and openbox";
  DisplayLock lock;
  WindowManager wm;
  ASSERT_TRUE(wm.Started());
  g_WinConfig.thickFrame = 1;
  WindowRec* rec = RealWindow(320, 240);
  ASSERT_NE(rec, nullptr);
  PlatWin_Show(rec->handle);
  PumpFor(500);
  int32_t fw = 0, fh = 0;
  Wnd_GetStyle(rec, &fw, &fh);
  EXPECT_GT(fh, 0);  // the manager drew a title bar

  // A drag to a wider shape snaps back to 4:3.
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  PlatWin_SetClientRect(rec->handle, c.x, c.y, 480, 240);
  PumpFor(500);
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);

  PlatWin_Maximize(rec->handle);
  PumpFor(700);
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(g_MainSize.maximized, 1);
  EXPECT_EQ(g_Screen.screenW, c.w);
  EXPECT_EQ(g_Screen.screenH, c.h);
  int32_t sw = 0, sh = 0;
  Screen_ShownSizeFor(320, 240, c.w, c.h, 1, true, g_WinConfig.desktopW, g_WinConfig.desktopH,
                      &sw, &sh);
  EXPECT_EQ(g_Screen.shownW, sw);
  EXPECT_EQ(g_Screen.shownH, sh);
  EXPECT_GT(c.w, 320);

  PlatWin_Restore(rec->handle);
  PumpFor(700);
  EXPECT_EQ(g_MainSize.maximized, 0);
  EXPECT_EQ(g_Screen.shownW, 320);
  EXPECT_EQ(g_Screen.shownH, 240);
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 320);
  EXPECT_EQ(c.h, 240);
}

}  // namespace
