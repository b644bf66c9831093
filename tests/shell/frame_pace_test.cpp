#include <gtest/gtest.h>

#include "platform/clock.h"
#include "shell/frame.h"

namespace {

class FramePace : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock_SetManual(true, 100000);
    Frame_ResetClock();
    g_FrameRate = 60;
    g_FrameSkipOn = 1;
    g_Pacing.last = Clock_Ms32();
  }
  void TearDown() override { Clock_SetManual(false); }
};

TEST_F(FramePace, SixtyFramesTakeOneSecond) {
  // The per-frame length is 65536000 / 60 truncated, so the fraction settles
  // after the first frame; from then on any 60 frames take 1000 ms.
  Frame_WaitNext();
  uint64_t start = Clock_Ms64();
  int lengths17 = 0;
  uint64_t prev = start;
  for (int i = 0; i < 60; ++i) {
    EXPECT_EQ(Frame_WaitNext(), 0);
    uint64_t now = Clock_Ms64();
    if (now - prev == 17) ++lengths17;
    prev = now;
  }
  EXPECT_EQ(Clock_Ms64() - start, 1000u);
  EXPECT_EQ(lengths17, 40);
}

TEST_F(FramePace, LateFramesSkipOnlyWhenThreeFramesLate) {
  struct Case { uint32_t work; int skip; bool option; };
  // The first frame after reset is 16 ms (fraction), the second 17 ms.
  const Case cases[] = {
      {60, 0, true},   // over 43 < 51
      {70, 1, true},   // over 53 >= 51
      {70, 0, false},  // option off: never
      {300, 0, true},  // over past the catch-up limit counts as 0
  };
  for (const Case& c : cases) {
    SetUp();
    g_FrameSkipOn = c.option;
    Frame_WaitNext();  // 16 ms frame
    g_Pacing.last = Clock_Ms32();
    Clock_Advance(c.work);
    EXPECT_EQ(Frame_WaitNext(), c.skip) << "work " << c.work;
  }
}

TEST_F(FramePace, ZeroRateDoesNotDivideByZero) {
  g_FrameRate = 0;
  uint64_t start = Clock_Ms64();
  EXPECT_EQ(Frame_WaitNext(), 0);
  EXPECT_EQ(Clock_Ms64() - start, 1000u);
}

TEST_F(FramePace, PublishesPerSecondCounters) {
  for (int i = 0; i < 130; ++i) {
    Frame_WaitNext();
    Frame_CountTick();
  }
  EXPECT_GE(g_Pacing.pacedLastSecond, 59u);
  EXPECT_LE(g_Pacing.pacedLastSecond, 61u);
  EXPECT_EQ(g_Pacing.pacedLastSecond, g_Pacing.drawnLastSecond);
}

TEST(PlayTimers, StopAndStartExcludeStoppedTime) {
  Timer_StartAll(1000);
  EXPECT_EQ(Timer_Read(0, 1500), 500u);
  Timer_Stop(0, 1500);
  EXPECT_EQ(Timer_Read(0, 4000), 500u);
  Timer_Start(0, 4000);
  EXPECT_EQ(Timer_Read(0, 4100), 600u);
  EXPECT_EQ(Timer_Read(1, 4100), 3100u);
  EXPECT_EQ(Timer_Read(7, 4100), 0u);  // out of range reads 0
}

TEST(PlayTimers, InactivePauseMovesRunningTimers) {
  Clock_SetManual(true, 5000);
  Timer_StartAll(5000);
  Timer_Stop(1, 5000);
  g_RunWhenInactive = 0;
  App_UpdateInactivePause(false);
  EXPECT_EQ(g_InactivePaused, 1);
  Clock_Advance(700);
  App_UpdateInactivePause(false);  // still inactive: nothing changes
  App_UpdateInactivePause(true);
  EXPECT_EQ(g_InactivePaused, 0);
  EXPECT_EQ(Timer_Read(0, Clock_Ms32()), 0u);  // paused time not counted
  EXPECT_EQ(Timer_Read(1, Clock_Ms32()), 0u);  // stopped timer untouched
  g_RunWhenInactive = 1;
  App_UpdateInactivePause(false);
  EXPECT_EQ(g_InactivePaused, 0);
  Clock_SetManual(false);
}

}  // namespace
