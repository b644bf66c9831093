// Full screen and back over fake display lists: mode choice, failure paths,
// the monitor table and the monitor the window is on.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

TEST(ScreenMode, SameModeChangesNothing) {
  ASSERT_NE(MainWindow(), nullptr);
  EXPECT_EQ(Screen_SetMode(0), 0);
  EXPECT_EQ(g_FullScreen.load(), 0);
}

TEST(ScreenMode, ResolutionChangeTakesTheSmallestFittingMode) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(Screen_SetMode(1), 1);
  EXPECT_EQ(g_FullScreen.load(), 1);
  EXPECT_EQ(PlatDisplay_FakeCurrentMode().width, 1280);
  EXPECT_EQ(PlatDisplay_FakeCurrentMode().height, 720);
  EXPECT_EQ(g_Screen.screenW, 1280);
  EXPECT_EQ(g_Screen.screenH, 720);
  EXPECT_EQ(g_Screen.shownW, 960);  // contain
  EXPECT_EQ(g_Screen.shownH, 720);
  EXPECT_EQ(rec->style & kWsCaption, 0u);
  EXPECT_NE(rec->style & kWsPopup, 0u);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 1280);
  EXPECT_EQ(c.h, 720);
  EXPECT_TRUE(g_Errors.empty());
  EXPECT_TRUE(g_Boxes.empty());

  EXPECT_EQ(Screen_SetMode(0), 1);
  EXPECT_EQ(g_FullScreen.load(), 0);
  EXPECT_EQ(g_Screen.screenW, 800);
  EXPECT_EQ(g_Screen.shownH, 600);
  EXPECT_EQ(g_Screen.keptScreenW, 0);
  EXPECT_NE(rec->style & kWsCaption, 0u);
  EXPECT_EQ(PlatDisplay_FakeCurrentMode().width, 0);  // back at the desktop mode
}

std::vector<std::string> g_TraceLines;

// Each switch tells its steps to the trace hook, in order.
TEST(ScreenMode, SwitchesTraceTheirSteps) {
  ASSERT_NE(MainWindow(), nullptr);
  g_TraceLines.clear();
  TraceFn before = g_TraceHook;
  g_TraceHook = [](const char* line) { g_TraceLines.push_back(line); };
  EXPECT_EQ(Screen_SetMode(1), 1);
  EXPECT_EQ(Screen_SetMode(0), 1);
  g_TraceHook = before;
  std::vector<std::string> want;
  for (const char* t : {"フルスクリーン処理開始します.", "DirectX を使用せずにフルスクリーン切替処理開始します.",
                        "フルスクリーンに切り替えました.", "通常スクリーン切替処理開始します.",
                        "DirectX を使用せずに通常スクリーン切替処理開始します."})
    want.push_back(Text_Utf8ToSjis(t));
  EXPECT_EQ(g_TraceLines, want);
}

TEST(ScreenMode, WithoutTheSettingUsesTheDesktopSize) {
  ASSERT_NE(MainWindow(), nullptr);
  g_WinConfig.resolutionChange = 0;
  EXPECT_EQ(Screen_SetMode(1), 1);
  EXPECT_EQ(g_Screen.screenW, 1920);
  EXPECT_EQ(g_Screen.screenH, 1080);
  EXPECT_EQ(g_Screen.shownW, 1440);
}

TEST(ScreenMode, MissingModeShowsTheBoxAndStaysWindowed) {
  PlatDisplay d = FakeDisplay();
  d.modes = {{1280, 720, 32, 60}};  // the desktop size itself is not offered
  Headless();
  PlatDisplay_SetFake({d});
  WindowRec* rec = MainWindow(800, 600, false);
  ASSERT_NE(rec, nullptr);
  g_WinConfig.resolutionChange = 0;
  g_TraceLines.clear();
  TraceFn before = g_TraceHook;
  g_TraceHook = [](const char* line) { g_TraceLines.push_back(line); };
  EXPECT_EQ(Screen_SetMode(1), 1);
  g_TraceHook = before;
  EXPECT_EQ(g_FullScreen.load(), 0);
  ASSERT_EQ(g_Boxes.size(), 1u);
  const char* noMode = "PC環境が 1920 x 1080 解像度でのフルスクリーンに対応していません。";
  EXPECT_EQ(Text_SjisToUtf8(g_Boxes[0]), noMode);
  // The box's text goes to the trace too, after the steps that led back to
  // the window.
  std::vector<std::string> want;
  for (const char* t : {"フルスクリーン処理開始します.", "DirectX を使用せずにフルスクリーン切替処理開始します.",
                        "DirectX を使用せずに通常スクリーン切替処理開始します.", noMode})
    want.push_back(Text_Utf8ToSjis(t));
  EXPECT_EQ(g_TraceLines, want);
  EXPECT_TRUE(g_Errors.empty());
  // The window is as before the attempt.
  EXPECT_EQ(g_Screen.screenW, 800);
  EXPECT_EQ(g_Screen.shownH, 600);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.w, 800);
  EXPECT_NE(rec->style & kWsCaption, 0u);
}

TEST(ScreenMode, FailedSwitchReports105210WithoutClearingAQuit) {
  ASSERT_NE(MainWindow(), nullptr);
  PlatDisplay_FailNextModeChange(true);
  EXPECT_EQ(Screen_SetMode(1), 1);
  EXPECT_EQ(g_FullScreen.load(), 0);
  ASSERT_EQ(g_Errors.size(), 1u);
  EXPECT_EQ(g_Errors[0], 105210);
  EXPECT_EQ(g_ErrorQuit[0], 0);
  EXPECT_EQ(g_Screen.shownW, 800);

  g_QuitRequested = 1;  // a quit on its way survives the report
  PlatDisplay_FailNextModeChange(true);
  Screen_SetMode(1);
  ASSERT_EQ(g_Errors.size(), 2u);
  EXPECT_EQ(g_ErrorQuit[1], 1);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST(ScreenMonitors, TableIsClearedAndCountsSixteen) {
  std::vector<PlatDisplay> many;
  for (int i = 0; i < 17; ++i) many.push_back(FakeDisplay(1920 * i));
  PlatDisplay_SetFake(many);
  Screen_EnumMonitors();
  EXPECT_EQ(g_Monitors.count, 16);
  EXPECT_EQ(g_Monitors.left[15], 1920 * 15);
  PlatDisplay_SetFake({FakeDisplay(), FakeDisplay(1920)});
  Screen_EnumMonitors();
  EXPECT_EQ(g_Monitors.count, 2);
  EXPECT_EQ(g_Monitors.width[5], 0);  // an unplugged monitor leaves nothing behind
  PlatDisplay_SetFake({});
  g_WinConfig.desktopW = 1024;
  g_WinConfig.desktopH = 768;
  Screen_EnumMonitors();
  EXPECT_EQ(g_Monitors.count, 1);
  EXPECT_EQ(g_Monitors.width[0], 1024);
}

TEST(ScreenMonitors, SecondMonitorBecomesTheDesktop) {
  PlatDisplay second = FakeDisplay(1920);
  second.w = 1280;
  second.h = 1024;
  second.desktop = {1280, 1024, 32, 60};
  second.modes = {{1280, 1024, 32, 60}};
  Headless();
  PlatDisplay_SetFake({FakeDisplay(), second});
  WindowRec* rec = MainWindow(800, 600, false);
  ASSERT_NE(rec, nullptr);
  g_WinConfig.gpuScaled = 1;
  PlatWin_SetPosition(rec->handle, 2000, 100);
  Win_OnMove(rec);
  EXPECT_EQ(g_CurrentMonitor, 1u);
  EXPECT_EQ(g_WinConfig.desktopW, 1280);
  EXPECT_EQ(g_D3dResetRequest.load(), 1);
  g_WinConfig.resolutionChange = 0;
  PlatMouse_SetFake(true, 0, 0);
  EXPECT_EQ(Screen_SetMode(1), 1);
  EXPECT_EQ(g_Screen.screenW, 1280);
  EXPECT_EQ(g_Screen.screenH, 1024);
  int32_t mx = 0, my = 0;
  PlatMouse_GlobalPos(&mx, &my);
  EXPECT_EQ(mx, 1920 + 640);  // cursor at that monitor's centre
  EXPECT_EQ(my, 512);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  EXPECT_EQ(c.x, 1920);
}

}  // namespace
