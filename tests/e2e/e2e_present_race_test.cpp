// A window closed by its close box while another thread presents into it:
// the destroy waits for the frame in flight, and no frame reaches the
// window once it is gone.
#include <atomic>
#include <chrono>
#include <thread>

#include "e2e/engine_game.h"
#include "render/render.h"

using namespace e2e;

namespace {

class E2ePresentRace : public EngineGame {
 protected:
  void SetUp() override {
    EngineGame::SetUp();
    fx::Scene& s = Main();
    s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
    Idle(s);
    extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, Px(0x20, 0x40, 0x60)));
  }
  // The close box of the main window, as the host sends it, handled by the
  // window procedure in the event pump. Close mode 2 closes without asking.
  static void CloseBox() {
    g_WindowRecs[0]->closeMode = 2;
    PlatEvent ev;
    ev.msg = PlatMsg::Close;
    ev.window = 0;
    Plat_PostEvent(ev);
    Plat_PumpEvents();
  }
};

TEST_F(E2ePresentRace, CloseBoxWaitsForTheFrameBeingPresented) {
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(2), 2);
  std::atomic<bool> holding{false}, released{false};
  std::thread presenter([&] {
    std::unique_lock<std::mutex> frame = PlatPresent_LockWindows();  // a present in flight
    holding = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    released = true;
  });
  while (!holding) std::this_thread::yield();
  CloseBox();
  EXPECT_TRUE(released.load()) << "the window was destroyed during the present";
  presenter.join();
  EXPECT_EQ(g_WindowRecs[0]->handle, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST_F(E2ePresentRace, FramesPresentedAcrossTheDestroyNeverReachTheDeadWindow) {
  ASSERT_EQ(Start(), 0);
  ASSERT_EQ(Frames(2), 2);
  WindowRec* rec = g_WindowRecs[0];
  PlatWindow* old = rec->handle;
  ASSERT_NE(old, nullptr);
  std::atomic<bool> stop{false};
  std::atomic<int> presents{0};
  std::thread frameThread([&] {
    while (!stop) {
      Present_Window(rec);
      ++presents;
    }
  });
  auto waitFor = [&](int n) {
    for (int i = 0; i < 20000 && presents < n; ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
  };
  waitFor(50);
  CloseBox();
  int atDestroy = presents;
  waitFor(atDestroy + 50);
  stop = true;
  frameThread.join();
  EXPECT_GE(presents.load(), atDestroy + 50);
  EXPECT_EQ(rec->handle, nullptr);
  std::vector<uint32_t> px;
  int32_t w = -1, h = -1;
  ASSERT_TRUE(PlatPresent_ReadCanvas(old, &px, &w, &h));
  EXPECT_TRUE(px.empty());
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

}  // namespace
