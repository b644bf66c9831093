// Main_RunFrame's order on a running fixture game: a held frame only
// counts, a quit stops before the scripts, a command may ask for a second
// pass, a late frame skips the next frame's drawing; and the shell's system
// variables read the counters it keeps.
#include <thread>

#include "e2e/engine_game.h"

using namespace e2e;

namespace {

class FrameDriver : public EngineGame {
 protected:
  void SetUp() override {
    EngineGame::SetUp();
    game.IntVar(1000);
  }
  static int64_t V() { return Var_GetIntElement(1000, 0); }
};

TEST_F(FrameDriver, HoldCountsFramesOnlyEvenWhenQuitting) {
  fx::Scene& s = Main();
  s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Jump("SYSTEM_START");
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(1), 1);
  uint64_t frames = g_FrameCounter, passes = g_VmPassCounter;
  int64_t v = V();
  g_FrameHold = 1;
  g_QuitRequested = 1;
  EXPECT_EQ(Main_RunFrame(), 0);  // no quit test while held
  EXPECT_EQ(Main_RunFrame(), 0);
  EXPECT_EQ(g_FrameCounter, frames + 2);
  EXPECT_EQ(g_VmPassCounter, passes);
  EXPECT_EQ(V(), v);
  g_FrameHold = 0;
  EXPECT_EQ(Main_RunFrame(), 1);  // the quit, before any script runs
  EXPECT_EQ(g_VmPassCounter, passes);
  EXPECT_EQ(V(), v);
}

// A task started with the pass request runs in the frame that started it.
TEST_F(FrameDriver, PassAgainRunsANewTaskInTheSameFrame) {
  for (int pass : {0, 1}) {
    EXPECT_EXIT(
        {
          fx::Scene& s = Main();
          s.Cmd("taskstart", {{"path", fx::Text("t")}, {"label", fx::Text("task")},
                              {"pass", fx::Int(pass)}});
          Idle(s);
          s.Label("task");
          s.Let(fx::Var(1000), fx::Int(7));
          Idle(s);
          if (Start() != 0) std::exit(2);
          Frames(1);
          bool ok = V() == (pass ? 7 : 0) && g_VmPassCounter == uint64_t(pass ? 2 : 1);
          Boot_Shutdown();
          std::exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "")
        << "pass " << pass;
  }
}

TEST_F(FrameDriver, LateFrameSkipsTheNextFramesDrawingNotItsScripts) {
  fx::Scene& s = Main();
  s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Jump("SYSTEM_START");
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(3), 3);
  uint32_t drawn = g_Pacing.drawnInSecond;
  int64_t v = V();
  // The work of this frame takes 100 ms: more than three frame lengths.
  g_Pacing.last = Clock_Ms32() - 100;
  ASSERT_EQ(Frames(1), 1);
  EXPECT_EQ(g_FrameSkip, 1);
  ASSERT_EQ(Frames(1), 1);  // drawing skipped here, scripts ran
  EXPECT_EQ(V(), v + 2);
  ASSERT_EQ(Frames(1), 1);
  EXPECT_EQ(V(), v + 3);
  // Second boundaries may publish the counter; count within this second.
  if (g_Pacing.pacedInSecond >= 3) {
    EXPECT_EQ(g_Pacing.drawnInSecond, drawn + 2);
  }
}

TEST_F(FrameDriver, FrameThreadWithHoldSleepsInsteadOfSpinning) {
  game.Cfg().frameThread = 1;
  Idle(Main());
  Clock_SetManual(false);  // real sleeps: the manual clock never blocks
  ASSERT_EQ(Start(), 0);
  g_FrameHold = 1;
  uint64_t c0 = g_FrameCounter;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  uint64_t held = g_FrameCounter - c0;
  g_FrameHold = 0;
  // One frame per millisecond at most: a spinning thread would count
  // hundreds of thousands.
  EXPECT_LE(held, 150u);
  EXPECT_GT(held, 0u);
}

TEST_F(FrameDriver, SystemVariablesReadTheShellsCounters) {
  Idle(Main());
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(4), 4);
  int64_t v = -1;
  ASSERT_TRUE(SysVar_GetShell(109, 0, &v));
  EXPECT_EQ(v, 4);
  ASSERT_TRUE(SysVar_GetShell(110, 0, &v));
  EXPECT_EQ(uint64_t(v), g_VmPassCounter);
  // Keys: 144 by key number, 147.. by the button map, 281.. press counts.
  g_KeyCounters[1].counter = 5;
  g_KeyCounters[13].counter = -3;
  g_KeyCounters[13].presses = 2;
  g_ButtonMap[0] = 13;
  struct Case { int32_t n; int64_t index, want; };
  const Case cases[] = {
      {144, 1, 5}, {144, 0, 0}, {144, -1, 0}, {144, 5000, 0}, {147, 0, -3}, {281, 0, 2},
      {415, 0, 13}, {543, 2, 384 + 72}, {546, 0, 387}, {547, 33, 388 + 36 + 1},
      {547, 32 * 16, 0}, {276, 16, 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SysVar_GetShell(c.n, c.index, &v)) << c.n;
    EXPECT_EQ(v, c.want) << c.n << "[" << c.index << "]";
  }
  g_WindowRecs[0]->mouseX = 12;
  g_WindowRecs[0]->mouseY = 34;
  ASSERT_TRUE(SysVar_GetShell(133, 0, &v));
  EXPECT_EQ(v, 12);
  ASSERT_TRUE(SysVar_GetShell(139, 0, &v));
  EXPECT_EQ(v, 34);
  // Play timer 1 counts from the start-up.
  Clock_Advance(250);
  ASSERT_TRUE(SysVar_GetShell(111, 0, &v));
  EXPECT_GE(v, 250);
  EXPECT_FALSE(SysVar_GetShell(108, 0, &v));  // the VM's own number
}

}  // namespace

namespace {

// Running while inactive is off: the scripts wait inside the frame until the
// main window is active again, and the paused time is not play time.
TEST_F(FrameDriver, InactivePauseHoldsScriptsAndPlayTime) {
  fx::Scene& s = Main();
  s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Jump("SYSTEM_START");
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(2), 2);
  int64_t v = V();
  g_RunWhenInactive = 0;
  g_WindowRecs[0]->active = 0;
  uint32_t t0 = Clock_Ms32();
  uint32_t play0 = Timer_Read(0, t0);
  std::thread activator([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    PlatEvent ev;
    ev.msg = PlatMsg::Activate;
    ev.window = 0;
    ev.a = 1;
    Plat_PostEvent(ev);
  });
  // The first frame's task stops at its next command until the activation
  // arrives, then both frames run their scripts.
  ASSERT_EQ(Frames(2), 2);
  activator.join();
  EXPECT_EQ(g_InactivePaused, 0);
  EXPECT_EQ(V(), v + 2);
  uint32_t t1 = Clock_Ms32();
  uint32_t paused = t1 - t0;
  EXPECT_GE(paused, 100u);  // the manual clock moved 10 ms per waiting turn
  // Play time grew by the frame's own pacing only, not by the pause.
  EXPECT_LE(Timer_Read(0, t1) - play0, 40u);
  g_RunWhenInactive = 1;
}

}  // namespace

namespace {

// The redraw countdown re-presents every window although nothing changed:
// a damaged window shows the picture again after one frame.
TEST_F(FrameDriver, RedrawCountdownRepresentsAnUnchangedWindow) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  Idle(s);
  extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, Px(10, 200, 30)));
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(3), 3);
  PlatWindow* w = g_WindowRecs[0]->handle;
  const uint32_t black = 0;
  int32_t cw = 0, ch = 0;
  for (int redraw : {0, 1}) {
    PlatPresent_Blit(w, reinterpret_cast<const uint8_t*>(&black), 1, 1, 4, 0, 0, 160, 120);
    g_RedrawCountdown = uint8_t(redraw);
    ASSERT_EQ(Frames(1), 1);
    std::vector<uint32_t> shown = Shown(&cw, &ch);
    ASSERT_FALSE(shown.empty());
    uint32_t want = redraw ? Px(10, 200, 30) : 0;
    EXPECT_EQ(shown[size_t(60) * size_t(cw) + 80] | 0xFF000000u, want | 0xFF000000u) << redraw;
    EXPECT_EQ(g_RedrawCountdown, 0);
  }
}

}  // namespace
