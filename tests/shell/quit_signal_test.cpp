// A quit signal (SIGTERM or SIGINT) ends a running engine the orderly way:
// the message loop ends and the shut-down runs, without the close question
// even where the game asks it, with and without the frame thread.
#include <csignal>
#include <chrono>
#include <ostream>
#include <thread>

#include "e2e/engine_game.h"
#include "platform/signals.h"

using namespace e2e;

namespace {

class QuitSignal : public EngineGame {
 protected:
  void TearDown() override {
    PlatSignal_Reset();
    EngineGame::TearDown();
  }

  void EndsWithoutTheCloseQuestion(int signo, uint32_t frameThread) {
    game.Cfg().frameThread = frameThread;
    Idle(Main());
    ASSERT_EQ(Start(), 0);
    g_WindowRecs[0]->closeMode = 1;  // a close would ask "終了します。よろしいですか？"
    Boot_InstallQuitSignals();
    std::raise(signo);
    EXPECT_EQ(g_ShutdownRequested.load(), 1);
    auto t0 = std::chrono::steady_clock::now();
    Main_MessageLoop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(g_AppRunning.load(), 0);
    EXPECT_TRUE(boxes.empty());  // no question was asked
    Boot_Shutdown();
    started = false;
    EXPECT_NE(g_FrameThreadState.load(), kThreadRunning);
  }
};

// The frame thread ends on the signal by itself; the main window is the
// main thread's to close, so the thread's quit request leaves it alone.
TEST_F(QuitSignal, FrameThreadLeavesTheWindowToTheMainThread) {
  game.Cfg().frameThread = 1;
  Idle(Main());
  ASSERT_EQ(Start(), 0);
  WindowRec* main = g_WindowRecs[0];
  main->closeMode = 1;
  Boot_InstallQuitSignals();
  std::raise(SIGTERM);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (g_FrameThreadState.load() == kThreadRunning && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(g_FrameThreadState.load(), kThreadEnded);
  EXPECT_EQ(int(main->closeMode), 1);
  EXPECT_NE(main->handle, nullptr);
  Main_MessageLoop();
  EXPECT_EQ(g_AppRunning.load(), 0);
  EXPECT_TRUE(boxes.empty());
}

// Each quit signal, with the frames on the main thread and on the frame
// thread.
struct SignalCase {
  const char* name;
  int signo;
  uint32_t frameThread;
};
void PrintTo(const SignalCase& c, std::ostream* os) { *os << c.name; }
const SignalCase kSignalCases[] = {
    {"TermWithTheLoop", SIGTERM, 0},
    {"TermWithTheFrameThread", SIGTERM, 1},
    {"IntWithTheLoop", SIGINT, 0},
    {"IntWithTheFrameThread", SIGINT, 1},
};

class QuitSignalEnds : public QuitSignal, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(QuitSignalEnds, WithoutTheCloseQuestion) {
  EndsWithoutTheCloseQuestion(GetParam().signo, GetParam().frameThread);
}

INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalEnds, ::testing::ValuesIn(kSignalCases),
                         [](const ::testing::TestParamInfo<SignalCase>& i) { return i.param.name; });

}  // namespace
