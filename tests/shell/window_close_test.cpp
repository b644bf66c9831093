// Close modes, system commands and the end of the message loop, on headless
// windows with a recorded confirmation box.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/msgbox.h"
#include "platform/text.h"
#include "render/render.h"
#include "shell/frame.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

PlatEvent Ev(PlatMsg msg, int32_t window, int32_t a = 0) {
  PlatEvent e;
  e.msg = msg;
  e.window = window;
  e.a = a;
  return e;
}

TEST(WindowClose, ModeZeroOnlyRecordsTheRequest) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  rec->closeMode = 0;
  Plat_PostEvent(Ev(PlatMsg::Close, 0));
  EXPECT_TRUE(Plat_PumpEvents());
  EXPECT_EQ(g_CloseRequest.load(), 1);
  EXPECT_NE(rec->handle, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(g_YesNoAsked, 0);
}

TEST(WindowClose, ModeOneNoResumesTheGame) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  g_YesNoAnswer = 0;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScClose), 0u);
  EXPECT_EQ(g_YesNoAsked, 1);
  EXPECT_EQ(g_FrameHold.load(), 0);  // frames held only while the box is up
  EXPECT_EQ(g_QuitBoxUp.load(), 0);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_NE(rec->handle, nullptr);
}

TEST(WindowClose, ModeOneBoxThatCannotShowIsNoAnswer) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  g_YesNoAnswer = -1;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScClose), 0u);
  EXPECT_EQ(g_QuitRequested.load(), 0);
}

TEST(WindowClose, ModeOneYesClosesAndEndsTheLoop) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  g_YesNoAnswer = 1;
  Plat_PostEvent(Ev(PlatMsg::Close, 0));
  EXPECT_FALSE(Plat_PumpEvents());  // the quit is taken in the same turn
  EXPECT_EQ(rec->handle, nullptr);
  EXPECT_EQ(g_WindowState[0].load(), -1);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST(WindowClose, ModeThreeClosesOnlyTheSubWindow) {
  WindowRec* main = MainWindow();
  ASSERT_NE(main, nullptr);
  WindowRec* sub = g_WindowRecs[1];
  sub->logicalW = 320;
  sub->logicalH = 240;
  Wnd_InitObject(sub, "sub");
  ASSERT_EQ(Win_Create(sub, 1, "sub", "sub"), 1);
  sub->closeMode = 3;
  Plat_PostEvent(Ev(PlatMsg::Close, 1));
  EXPECT_TRUE(Plat_PumpEvents());
  EXPECT_EQ(sub->handle, nullptr);
  EXPECT_NE(main->handle, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_TRUE(Plat_PumpEvents());
}

TEST(WindowClose, ClosingModeQuitsWithoutAsking) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  rec->closeMode = 2;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScClose), 1u);
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(g_YesNoAsked, 0);
}

TEST(WindowClose, DestroyedFromOutsideStillQuits) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  Wnd_Destroy(rec);  // no close request went before
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_FALSE(Plat_PumpEvents());
}

TEST(WindowCommands, MinimiseMaximiseScreenSaverAndReset) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  rec->minimizeAllowed = 0;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScMinimize | 2), 0u);  // low bits ignored
  EXPECT_EQ(g_MinimizeRequest.load(), 1);
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScScreenSave), 0u);  // blocked by default
  g_BlockScreenSaver = 0;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScScreenSave), 1u);
  g_WinConfig.gpuScaled = 1;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kSysCmdResetSize), 0u);
  EXPECT_EQ(g_MenuCommand.load(), kSysCmdResetSize);
  EXPECT_EQ(g_D3dResetRequest.load(), 1);
  WindowRec* sub = g_WindowRecs[2];
  EXPECT_EQ(Wnd_ConfirmQuit(sub, kScMaximize), 0u);  // sub windows may not maximise
  EXPECT_EQ(g_MaximizeRequest.load(), 3);
}

TEST(WindowCommands, MaximiseKeepsSizesAndRestoreBringsThemBack) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScMaximize), 1u);
  EXPECT_EQ(g_MainSize.maximized, 1);
  EXPECT_EQ(g_MainSize.maxKeptShownW, 800);
  EXPECT_EQ(rec->style & kWsThickFrame, kWsThickFrame);
  g_Screen.screenW = g_Screen.shownW = 1440;
  g_Screen.screenH = g_Screen.shownH = 1080;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScRestore), 1u);
  EXPECT_EQ(g_MainSize.restorePending, 1);
  Win_OnPosChanged(rec);
  EXPECT_EQ(g_MainSize.maximized, 0);
  EXPECT_EQ(g_Screen.shownW, 800);
  EXPECT_EQ(g_Screen.screenH, 600);
  EXPECT_EQ(g_MainSize.maxKeptShownW, 0);
}

TEST(WindowCommands, TitleDoubleClick) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  Win_OnTitleDoubleClick(rec);
  EXPECT_EQ(g_RedrawCountdown, 1);
  EXPECT_EQ(g_ScreenModeRequest.load(), 0);
  g_WinConfig.titleDoubleClick = 1;
  Win_OnTitleDoubleClick(rec);
  EXPECT_EQ(g_ScreenModeRequest.load(), 1);
}

TEST(WindowSize, SubWindowSnapsBackToItsLogicalSize) {
  ASSERT_NE(MainWindow(), nullptr);
  WindowRec* sub = g_WindowRecs[1];
  sub->logicalW = 320;
  sub->logicalH = 240;
  Wnd_InitObject(sub, "sub");
  ASSERT_EQ(Win_Create(sub, 1, "sub", "sub"), 1);
  PlatWin_SetClientRect(sub->handle, 0, 0, 500, 400);
  Pump();
  PlatRect r;
  ASSERT_TRUE(PlatWin_GetClientRect(sub->handle, &r));
  EXPECT_EQ(r.w, 320);
  EXPECT_EQ(r.h, 240);
}

TEST(WindowSize, MainWindowResizeSnapsAndAsksForTheBuffer) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  PlatWin_SetClientRect(rec->handle, 0, 0, 1000, 600);
  Pump();
  PlatRect r;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &r));
  EXPECT_EQ(r.w, 800);
  EXPECT_EQ(r.h, 600);
  PlatWin_SetClientRect(rec->handle, 0, 0, 1200, 1000);
  Pump();
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &r));
  EXPECT_EQ(r.w, 1200);
  EXPECT_EQ(r.h, 900);
  EXPECT_EQ(g_Screen.shownW, 1200);
  EXPECT_EQ(g_Screen.screenH, 900);
  Screen_ApplyPendingBuffer();  // done by the presenting thread
  EXPECT_EQ(g_ScreenBuffer.width, 1200);
  EXPECT_EQ(g_ScreenBuffer.height, 900);
}

TEST(WindowSize, TooWideBufferReportsAndLeavesNone) {
  InstallRecorders();
  EXPECT_EQ(Screen_AllocBuffer(800, 600), 0);
  EXPECT_EQ(Screen_AllocBuffer(8193, 10), -1);
  EXPECT_EQ(g_ScreenBuffer.pixels, nullptr);
  ASSERT_EQ(g_Boxes.size(), 1u);
  ASSERT_EQ(g_Errors.size(), 1u);
  EXPECT_EQ(g_Errors[0], 100010);
  EXPECT_EQ(g_ErrorQuit[0], 1);
  EXPECT_EQ(Screen_BufferBytes(640, 512), 640u * 4 * 512 + 640 * 4 + 4);
}

}  // namespace

namespace {

using namespace winfix;

// The engine's own box: a Yes/No question whose fallback answer is No.
TEST(WindowClose, DefaultBoxAsksYesOrNo) {
  WndUi engineUi = g_WndUi;  // each case starts with the engine's seams
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  g_WndUi.askYesNo = engineUi.askYesNo;
  std::vector<MsgBoxRequest> seen;
  int answer = 7;
  MsgBox_SetRecorder([&](const MsgBoxRequest& r) {
    seen.push_back(r);
    return answer;
  });
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScClose), 0u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(Text_SjisToUtf8(seen[0].text), "終了します。よろしいですか？");
  ASSERT_EQ(seen[0].buttons.size(), 2u);
  EXPECT_EQ(MsgBox_DefaultAnswer(seen[0]), 7);  // no screen: No
  answer = 6;
  EXPECT_EQ(Wnd_ConfirmQuit(rec, kScClose), 1u);
  EXPECT_EQ(g_QuitRequested.load(), 1);
  MsgBox_SetRecorder({});
}

TEST(WindowThreads, ScreenModeFromAnotherThreadRunsOnTheMainThread) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  std::atomic<int> result{-1};
  std::thread t([&] { result = Screen_SetMode(1); });
  while (result < 0) {
    Plat_PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  t.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(g_FullScreen.load(), 1);
}

TEST(WindowThreads, WaitEndsWhenTheLoopHasEnded) {
  ASSERT_NE(MainWindow(), nullptr);
  Plat_PostQuit();
  EXPECT_FALSE(Plat_PumpEvents());
  bool ran = false;
  std::thread t([&] { EXPECT_FALSE(Plat_RunOnMainWait([&] { ran = true; })); });
  t.join();
  EXPECT_FALSE(ran);
}

}  // namespace

namespace {

TEST(WindowUser, MenuTrayAndSystemCommands) {
  WindowRec* rec = MainWindow();
  ASSERT_NE(rec, nullptr);
  PlatEvent e;
  e.msg = PlatMsg::User;
  e.window = 0;
  e.b = kUserMenuCommand;
  e.a = 0x12345;
  Win_HandleMessage(rec, e);
  EXPECT_EQ(g_MenuCommand.load(), 0x2345u);  // the low word
  PlatMouse_SetFake(true, 500, 400);
  g_LetterBox = LetterBox{100, 20};
  e.b = kUserTray;
  e.x = 99;  // another icon: nothing
  e.a = kMsgRButtonUp;
  Win_HandleMessage(rec, e);
  EXPECT_EQ(g_PopupMenuSet, 0);
  e.x = kTrayIconId;
  Win_HandleMessage(rec, e);
  EXPECT_EQ(g_PopupMenuSet, 2);
  EXPECT_EQ(g_PopupPosX.load(), 400);
  EXPECT_EQ(g_PopupPosY.load(), 380);
  e.b = kUserSysCommand;
  e.a = kScClose;
  rec->closeMode = 2;
  Win_HandleMessage(rec, e);
  EXPECT_EQ(rec->handle, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

}  // namespace
