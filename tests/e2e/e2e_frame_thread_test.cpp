// The frame thread beside the main thread's message loop: the window
// procedure's redraw requests, activation, size changes and the input
// sampling run on the main thread while the frames run the scripts,
// compose and present on their own. Under the thread checker
// (scripts/test --tsan) a shared value handed over without a lock or an
// atomic is reported; in every build the frames must go on presenting the
// game and the thread must end with the quit.
#include <chrono>
#include <thread>

#include "e2e/engine_game.h"
#include "platform/window.h"

using namespace e2e;

namespace {

class E2eFrameThread : public EngineGame {
 protected:
  void SetUp() override {
    EngineGame::SetUp();
    Clock_SetManual(false);  // the frame thread paces itself on real time
    game.Cfg().frameThread = 1;
    fx::Scene& s = Main();
    s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
    Idle(s);
    extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, Px(0x20, 0x40, 0x60)));
  }
  static void Post(PlatMsg msg, int32_t a = 0) {
    PlatEvent ev;
    ev.msg = msg;
    ev.window = 0;
    ev.a = a;
    Plat_PostEvent(ev);
  }
  bool ShowsBackground() {
    int32_t w = 0, h = 0;
    std::vector<uint32_t> px = Shown(&w, &h);
    if (px.empty()) return false;
    // The window keeps colour only: its alpha byte is not the picture's.
    uint32_t centre = px[size_t(h / 2) * size_t(w) + size_t(w / 2)] | 0xFF000000u;
    return Near(centre, Px(0x20, 0x40, 0x60), 2);
  }
};

TEST_F(E2eFrameThread, WindowProcedureAndInputBesideTheFrames) {
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(g_FrameThreadState.load(), kThreadRunning);
  WindowRec* rec = g_WindowRecs[0];
  ASSERT_NE(rec, nullptr);
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  for (int turn = 0; std::chrono::steady_clock::now() < end; ++turn) {
    Post(PlatMsg::Exposed);
    Post(PlatMsg::Activate, turn & 1);
    if (turn % 8 == 0) {
      // A user's resize: the size handler fits the picture again.
      PlatWin_SetClientRect(rec->handle, 0, 0, 160 + (turn % 16), 120);
      Post(PlatMsg::Size);
    }
    Post(PlatMsg::Activate, 1);
    ASSERT_TRUE(Plat_PumpEvents());
    Main_PollInput();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  bool shown = false;
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!shown && std::chrono::steady_clock::now() < until) {
    Post(PlatMsg::Exposed);  // the repaint that follows a resize
    Plat_PumpEvents();
    shown = ShowsBackground();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(shown) << "the frame thread never presented the game";
  App_RequestQuit();
  until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (g_FrameThreadState.load() != kThreadEnded && std::chrono::steady_clock::now() < until) {
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(g_FrameThreadState.load(), kThreadEnded);
}

}  // namespace
