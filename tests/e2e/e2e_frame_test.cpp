// The engine end to end: a packaged fixture game started headless, run for a
// fixed number of frames on the manual clock, its presented frame compared
// with pixels computed here from the scene's colours.
#include "e2e/engine_game.h"
#include "platform/window.h"
#include "render/render.h"

using namespace e2e;

namespace {

constexpr uint32_t kBg = 0xFF326496;     // B 0x96, G 0x64, R 0x32
constexpr uint32_t kChara = 0xFF0000FF;  // pure red... as BGRA bytes: B FF, G 0, R 0

// Normal blend of an opaque source at opacity `op` (0..256) over `d`.
uint32_t Blend(uint32_t d, uint32_t s, int op) {
  uint32_t out = 0xFF000000u;
  for (int sh = 0; sh < 24; sh += 8) {
    int dv = int((d >> sh) & 255), sv = int((s >> sh) & 255);
    out |= uint32_t(dv + (sv - dv) * op / 256) << sh;
  }
  return out;
}

class E2eFrame : public EngineGame {
 protected:
  // Background 160 x 120, a 32 x 32 character at (10, 20) with opacity 128
  // moving 4 pixels right per frame for 5 frames.
  void MovingScene(int endAfterFrames) {
    fx::Scene& s = Main();
    s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
    s.Cmd("cg", {{"path", fx::Text("chara")}, {"num", fx::Int(1)}, {"file", fx::Text("cg\\chara.png")},
                 {"x", fx::Int(10)}, {"y", fx::Int(20)}, {"order", fx::Int(10)},
                 {"alpha", fx::Int(128)}, {"blend", fx::Int(0)}});
    s.Loop(fx::Int(5));
    s.Cmd("wait", {{"frames", fx::Int(1)}});
    s.Cmd("cg", {{"path", fx::Text("chara")}, {"num", fx::Int(1)}, {"x", fx::Int(4), fx::kOpAdd}});
    s.EndLoop();
    if (endAfterFrames > 0) {
      s.Cmd("wait", {{"frames", fx::Int(endAfterFrames)}});
      s.Cmd("end");
    }
    Idle(s);
    extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, kBg));
    extra["cg\\chara.png"] = imgfix::WritePng(Solid(32, 32, kChara));
  }
};

TEST_F(E2eFrame, PresentedFrameShowsTheBlendedMovedLayer) {
  MovingScene(0);
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(20), 20);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_EQ(w, 160);
  ASSERT_EQ(h, 120);
  ASSERT_EQ(shown.size(), size_t(160 * 120));
  // The character ended at x = 10 + 5 * 4 = 30.
  const uint32_t mixed = Blend(kBg, kChara, 128);
  struct Probe { int x, y; uint32_t want; };
  const Probe probes[] = {
      {0, 0, kBg},        {29, 30, kBg},    {30, 20, mixed}, {61, 51, mixed},
      {62, 30, kBg},      {40, 19, kBg},    {40, 52, kBg},   {159, 119, kBg},
      {10, 30, kBg},  // where the character started: redrawn as background
  };
  for (const Probe& p : probes) {
    uint32_t got = shown[size_t(p.y) * 160 + size_t(p.x)] | 0xFF000000u;
    EXPECT_TRUE(Near(got, p.want, 2)) << "at " << p.x << "," << p.y << std::hex << " got " << got
                                      << " want " << p.want;
  }
  // Shown 1:1: the window holds exactly the composed root.
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x)
      ASSERT_EQ(shown[size_t(y) * 160 + size_t(x)] | 0xFF000000u, RootPx(x, y) | 0xFF000000u)
          << x << "," << y;
  EXPECT_EQ(g_FrameCounter, 20u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(E2eFrame, ScriptEndsTheGameThroughTheMessageLoop) {
  MovingScene(3);
  ASSERT_EQ(Start(), 0);
  uint64_t t0 = Clock_Ms64();
  Main_MessageLoop();
  // 5 moving frames, 3 waiting frames, then the end command's frame.
  EXPECT_EQ(g_FrameCounter, 9u);
  EXPECT_EQ(g_AppRunning.load(), 0);
  EXPECT_EQ(g_QuitRequested.load(), 1);
  // Paced at 60 frames a second on the manual clock.
  EXPECT_GE(Clock_Ms64() - t0, 8u * 16u);
  EXPECT_LE(Clock_Ms64() - t0, 10u * 17u);
}

TEST_F(E2eFrame, EndWithRestartAsksForTheRestart) {
  fx::Scene& s = Main();
  s.Cmd("end", {{"restart", fx::Int(1)}});
  Idle(s);
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(Frames(5), 0);
  EXPECT_EQ(g_RestartRequested.load(), 1);
  g_RestartRequested = 0;
}

}  // namespace

namespace {

int32_t g_DeskW = 0, g_DeskH = 0;
int SmallDesktopCaps() {
  Sys_ReadCaps();
  g_DesktopMetrics.width = g_DeskW;
  g_DesktopMetrics.height = g_DeskH;
  return 0;
}

// A game larger than the desktop: the window is limited to the desktop at
// the picture's aspect (1000 x 500 on 800 x 600 gives 800 x 400) and shows
// the composed root through the filtered scaler.
TEST_F(E2eFrame, LargeGameIsShownScaledToTheDesktopAtItsAspect) {
  game.Cfg().width = 1000;
  game.Cfg().height = 500;
  g_DeskW = 800;
  g_DeskH = 600;
  Startup_ReplaceStep("caps", SmallDesktopCaps);
  fx::Scene& s = Main();
  imgfix::Picture bg = imgfix::Pattern(1000, 500, false);
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  Idle(s);
  extra["cg\\bg.png"] = imgfix::WritePng(bg);
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(3), 3);
  ASSERT_EQ(g_Screen.shownW, 800);
  ASSERT_EQ(g_Screen.shownH, 400);
  EXPECT_EQ(g_Screen.screenW, 800);
  EXPECT_EQ(g_Screen.screenH, 400);
  PlatRect client;
  ASSERT_TRUE(PlatWin_GetClientRect(g_WindowRecs[0]->handle, &client));
  EXPECT_EQ(client.w, 800);
  EXPECT_EQ(client.h, 400);
  EXPECT_GE(client.x, 0);  // re-centred for its new size: no corner off screen
  EXPECT_GE(client.y, 0);
  LayerImage* root = Root();
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(root->width, 1000u);
  std::vector<uint8_t> want(Screen_BufferBytes(800, 400));
  Present_ScaleFiltered(want.data(), root->pixels, 0, 0, 100 * 999, 100 * 499, 1000, 500, 100 * 800,
                        100 * 400);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_GE(w, 800);
  ASSERT_GE(h, 400);
  int bad = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 800; ++x) {
      uint32_t v;
      std::memcpy(&v, &want[(size_t(y) * 800 + size_t(x)) * 4], 4);
      if ((shown[size_t(y) * size_t(w) + size_t(x)] | 0xFF000000u) != (v | 0xFF000000u)) ++bad;
    }
  EXPECT_EQ(bad, 0);
  // And the picture really is the scene's: the scaled corner is the
  // pattern's corner.
  uint32_t corner;
  std::memcpy(&corner, bg.At(0, 0), 4);
  EXPECT_TRUE(Near(shown[0] | 0xFF000000u, corner | 0xFF000000u, 2));
}

}  // namespace
