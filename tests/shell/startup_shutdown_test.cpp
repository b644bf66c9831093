// The shut-down ends in bounded time whatever the threads are doing: never
// started, running and ending, already ended, or stuck for good.
#include <chrono>
#include <thread>

#include "e2e/engine_game.h"

using namespace e2e;

namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point t0) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
}

TEST(ShutdownWait, EveryThreadStateEndsInBoundedTime) {
  struct Case {
    const char* what;
    uint8_t state;
    int endsAfterMs;  // -1: never
    bool ended;
    int64_t maxMs;
  };
  const Case cases[] = {
      {"never started", kThreadNeverStarted, -1, true, 50},
      {"already ended", kThreadEnded, -1, true, 50},
      {"running, ends soon", kThreadRunning, 30, true, 1000},
      {"running for good", kThreadRunning, -1, false, 1000},
  };
  for (const Case& c : cases) {
    std::atomic<uint8_t> state{c.state};
    std::thread ender;
    if (c.endsAfterMs >= 0) {
      ender = std::thread([&state, &c] {
        std::this_thread::sleep_for(std::chrono::milliseconds(c.endsAfterMs));
        std::lock_guard<std::mutex> lock(g_SoundLock);
        state = kThreadEnded;
      });
    }
    auto t0 = Clock::now();
    EXPECT_EQ(Shutdown_WaitThreadState(state, 200), c.ended) << c.what;
    EXPECT_LE(MsSince(t0), c.maxMs) << c.what;
    if (ender.joinable()) ender.join();
  }
}

std::atomic<bool> g_Release{false};
void BlockUntilReleased() {
  while (!g_Release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
void ReturnAtOnce() {}

TEST(ShutdownWait, BoundedCallGivesUpOnAStuckFunction) {
  g_Release = false;
  auto t0 = Clock::now();
  EXPECT_TRUE(Shutdown_RunBounded(ReturnAtOnce, 1000));
  EXPECT_FALSE(Shutdown_RunBounded(BlockUntilReleased, 100));
  EXPECT_LE(MsSince(t0), 1000);
  g_Release = true;  // the detached helper may end now
}

// A frame thread that never reports its end: the shut-down reports it,
// leaves what it uses alone and still returns.
TEST(ShutdownAll, StuckFrameThreadIsReportedNotAwaited) {
  g_FrameThreadState = kThreadRunning;
  auto t0 = Clock::now();
  Boot_ShutdownAll();
  EXPECT_LE(MsSince(t0), int64_t(kThreadEndWaitMs) + 1500);
  EXPECT_GE(MsSince(t0), int64_t(kThreadEndWaitMs) - 100);
  EXPECT_EQ(g_ShutdownStuckThreads, 1);
  EXPECT_EQ(g_ShutdownRequested.load(), 1);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST(ShutdownAll, NothingStartedEndsAtOnce) {
  auto t0 = Clock::now();
  Boot_ShutdownAll();
  EXPECT_LE(MsSince(t0), 500);
  EXPECT_EQ(g_ShutdownStuckThreads, 0);
}

class ShutdownEngine : public EngineGame {};

// The frame thread runs the frames; the shut-down's own flag ends it even
// though nothing asked the game to quit.
TEST_F(ShutdownEngine, RunningFrameThreadEndsAndIsJoined) {
  game.Cfg().frameThread = 1;
  Idle(Main());
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(g_FrameThreadState.load(), kThreadRunning);
  auto until = Clock::now() + std::chrono::milliseconds(100);
  while (Clock::now() < until) {
    Plat_PumpEvents();
    Main_PollInput();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  auto t0 = Clock::now();
  Boot_Shutdown();
  started = false;
  EXPECT_LE(MsSince(t0), 2000);
  EXPECT_EQ(g_FrameThreadState.load(), kThreadEnded);
  EXPECT_EQ(g_ShutdownStuckThreads, 0);
  EXPECT_GT(g_FrameCounter, 0u);
}

// The script ends the game on the frame thread; the thread has ended (and
// asked the main window to close) before the shut-down begins.
TEST_F(ShutdownEngine, FrameThreadAlreadyEnded) {
  game.Cfg().frameThread = 1;
  fx::Scene& s = Main();
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Cmd("end");
  Idle(s);
  ASSERT_EQ(Start(), 0);
  auto t0 = Clock::now();
  Main_MessageLoop();  // ends once the close posted by the thread is taken
  EXPECT_LE(MsSince(t0), 5000);
  EXPECT_EQ(g_FrameThreadState.load(), kThreadEnded);
  Boot_Shutdown();
  started = false;
  EXPECT_EQ(g_ShutdownStuckThreads, 0);
}

}  // namespace
