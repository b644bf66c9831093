// Key counters from injected platform events: keyboard, mouse keys, wheel,
// the far-outside rule, joysticks and the cursor's auto-hide.
#include <gtest/gtest.h>

#include "platform/input_keys.h"
#include "platform/joystick.h"
#include "platform/msgbox.h"
#include "render/render.h"
#include "shell/startup.h"
#include "window_fixture.h"

namespace {

using namespace winfix;

// USB usage numbers, which SDL's scancodes follow.
constexpr int32_t kScA = 4, kScReturn = 40, kScSpace = 44, kScF1 = 58, kScLCtrl = 224,
                  kScRShift = 229, kScDigit1 = 30, kScDigit0 = 39, kScKp0 = 98, kScGrave = 53;

WindowRec* ActiveMain() {
  WindowRec* rec = MainWindow();
  if (rec) rec->active = 1;
  return rec;
}

// Pins the cursor inside the window's client area.
void MouseInside(const WindowRec* rec) {
  PlatRect c;
  PlatWin_GetClientRect(rec->handle, &c);
  PlatMouse_SetFake(true, c.x + 10, c.y + 10);
}

// One loop turn and one frame.
void Frame() {
  Plat_PumpEvents();
  Main_PollInput();
  Input_UpdateFrame();
}

TEST(InputKeys, VirtualKeySpotChecks) {
  EXPECT_EQ(Keys_VkFromScancode(kScA), 'A');
  EXPECT_EQ(Keys_VkFromScancode(kScReturn), 13);
  EXPECT_EQ(Keys_VkFromScancode(kScSpace), 32);
  EXPECT_EQ(Keys_VkFromScancode(kScF1), 112);
  EXPECT_EQ(Keys_VkFromScancode(kScLCtrl), 162);
  EXPECT_EQ(Keys_GenericOf(162), 17);
  EXPECT_EQ(Keys_VkFromScancode(kScRShift), 161);
  EXPECT_EQ(Keys_VkFromScancode(kScDigit1), '1');
  EXPECT_EQ(Keys_VkFromScancode(kScDigit0), '0');
  EXPECT_EQ(Keys_VkFromScancode(kScKp0), 96);
  EXPECT_EQ(Keys_VkFromScancode(kScGrave), 192);
  EXPECT_EQ(Keys_VkFromScancode(-1), 0);
  EXPECT_EQ(Keys_VkFromScancode(100000), 0);
}

TEST(InputKeys, TableHasTheScannedKeysInOrder) {
  EXPECT_EQ(g_KeyTable.front(), 8);
  EXPECT_EQ(g_KeyTable[2], 13);
  EXPECT_EQ(g_KeyTable.back(), 226);
  for (size_t i = 1; i < g_KeyTable.size(); ++i) EXPECT_LT(g_KeyTable[i - 1], g_KeyTable[i]);
}

TEST(InputCounters, PressHoldReleaseCounts) {
  ASSERT_NE(ActiveMain(), nullptr);
  Plat_InjectKey(kScA, true, 0);
  std::vector<int64_t> seen;
  for (int i = 0; i < 3; ++i) {
    Frame();
    seen.push_back(g_KeyCounters['A'].counter);
  }
  Plat_InjectKey(kScA, false, 0);
  for (int i = 0; i < 2; ++i) {
    Frame();
    seen.push_back(g_KeyCounters['A'].counter);
  }
  EXPECT_EQ(seen, (std::vector<int64_t>{1, 2, 3, -1, -2}));
  EXPECT_EQ(g_KeyCounters['A'].presses, 1u);
  EXPECT_EQ(g_KeyCounters['B'].counter, -5);  // never pressed: counts down from 0
  EXPECT_EQ(g_KeyCounters[0].counter, -2);    // the any key followed A
}

TEST(InputCounters, SidedModifierAlsoPressesTheGenericKey) {
  ASSERT_NE(ActiveMain(), nullptr);
  Plat_InjectKey(kScLCtrl, true, 0);
  Frame();
  EXPECT_EQ(g_KeyCounters[162].counter, 1);
  EXPECT_EQ(g_KeyCounters[17].counter, 1);
}

TEST(InputCounters, NoActiveWindowReleasesEverything) {
  WindowRec* rec = ActiveMain();
  ASSERT_NE(rec, nullptr);
  Plat_InjectKey(kScReturn, true, 0);
  Plat_InjectButton(1, true, 0, 10, 10);
  MouseInside(rec);
  Frame();
  EXPECT_EQ(g_KeyCounters[13].counter, 1);
  EXPECT_EQ(g_KeyCounters[1].counter, 1);
  rec->active = 0;
  Frame();
  EXPECT_EQ(g_KeyCounters[13].counter, -1);
  EXPECT_EQ(g_KeyCounters[1].counter, -1);
  EXPECT_EQ(g_ActiveWindow.load(), -1);
}

TEST(InputCounters, WheelPressesKeyFiveForOneFrame) {
  WindowRec* rec = ActiveMain();
  ASSERT_NE(rec, nullptr);
  MouseInside(rec);
  Plat_InjectWheel(0, 1);
  Plat_InjectWheel(0, 1);  // two notches before the frame still press once
  Frame();
  EXPECT_EQ(g_KeyCounters[5].counter, 1);
  EXPECT_EQ(g_KeyCounters[5].presses, 1u);
  Frame();
  EXPECT_EQ(g_KeyCounters[5].counter, -1);
  Plat_InjectWheel(0, -1);
  Frame();
  EXPECT_EQ(g_KeyCounters[6].counter, 1);
}

TEST(InputCounters, MouseMoveIsKeySeven) {
  WindowRec* rec = ActiveMain();
  ASSERT_NE(rec, nullptr);
  MouseInside(rec);
  Plat_InjectMotion(0, 5, 5);
  Frame();
  EXPECT_EQ(g_KeyCounters[7].counter, 1);
  Frame();
  EXPECT_EQ(g_KeyCounters[7].counter, -1);
}

TEST(InputCounters, FarOutsideKeepsOnlyWhatIsHeld) {
  WindowRec* rec = ActiveMain();
  ASSERT_NE(rec, nullptr);
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  PlatMouse_SetFake(true, c.x + 100, c.y + 100);
  Plat_InjectButton(1, true, 0, 100, 100);
  Frame();
  EXPECT_EQ(rec->outside, 0);
  EXPECT_EQ(g_KeyCounters[1].counter, 1);
  PlatMouse_SetFake(true, c.x - 500, c.y + 100);  // left with the button held
  Frame();
  EXPECT_EQ(rec->farOutside, 1);
  EXPECT_EQ(g_KeyCounters[1].counter, 2);
  Plat_InjectButton(2, true, 0, -500, 100);  // a press outside presses nothing
  Frame();
  EXPECT_LT(g_KeyCounters[2].counter, 0);
  Plat_InjectButton(1, false, 0, -500, 100);
  Frame();
  EXPECT_EQ(g_KeyCounters[1].counter, -1);
}

TEST(InputMouse, PositionUsesLetterBoxAndShownSize) {
  WindowRec* rec = ActiveMain();
  ASSERT_NE(rec, nullptr);
  PlatWin_SetClientRect(rec->handle, 0, 0, 1920, 1080);
  Plat_PumpEvents();
  g_Screen.screenW = 1920;
  g_Screen.screenH = 1080;
  g_Screen.shownW = 1440;
  g_Screen.shownH = 1080;
  g_LetterBox = LetterBox{240, 0};
  PlatRect c;
  ASSERT_TRUE(PlatWin_GetClientRect(rec->handle, &c));
  PlatMouse_SetFake(true, c.x + 240 + 720, c.y + 540);
  Main_PollInput();
  Input_UpdateFrame();  // the frame takes the positions
  EXPECT_EQ(rec->mouseX, 400);
  EXPECT_EQ(rec->mouseY, 300);
  EXPECT_EQ(rec->outside, 0);
  PlatMouse_SetFake(true, c.x + 100, c.y + 540);  // on the left border
  Main_PollInput();
  Input_UpdateFrame();  // the frame takes the positions
  EXPECT_EQ(rec->outside, 1);
  EXPECT_EQ(rec->farOutside, 0);
  PlatMouse_SetFake(true, c.x - 10, c.y + 540);  // outside the client area
  Main_PollInput();
  Input_UpdateFrame();  // the frame takes the positions
  EXPECT_EQ(rec->farOutside, 1);
}

TEST(InputJoystick, AxesWithDeadZoneAndButtons) {
  struct Case { uint32_t x, y, buttons; bool left, right, up, down, b1, b32; };
  const Case cases[] = {
      {32767, 32767, 0, false, false, false, false, false, false},  // centred
      {32768, 32768, 0, false, false, false, false, false, false},
      {32767 - 8000, 32768 + 8000, 0, false, false, false, false, false, false},  // jitter
      {0, 32767, 1, true, false, false, false, true, false},
      {65535, 0, 0x80000000u, false, true, true, false, false, true},
      {24575, 40960, 0, true, false, false, true, false, false},  // just past the zone
      {24576, 40959, 0, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    Input_JoyKeys(2, true, c.x, c.y, c.buttons);
    const uint8_t* p = g_KeyPressed.data() + 384 + 36 * 2;
    EXPECT_EQ(p[0] != 0, c.left) << c.x;
    EXPECT_EQ(p[1] != 0, c.right) << c.x;
    EXPECT_EQ(p[2] != 0, c.up) << c.y;
    EXPECT_EQ(p[3] != 0, c.down) << c.y;
    EXPECT_EQ(p[4] != 0, c.b1);
    EXPECT_EQ(p[35] != 0, c.b32);
  }
}

TEST(InputJoystick, FakePadHotPlugAndUnplugReleases) {
  g_InputOptions.joysticks = 1;
  EXPECT_EQ(Input_InitJoysticks(), 0);
  PlatJoyState st;
  st.buttons = 1u << 2;  // button 3
  st.x = 0;
  PlatJoy_FakeAttach(1, st);  // plugged in after start
  Input_PollJoysticks();
  const int base = 384 + 36;
  EXPECT_EQ(g_KeyCounters[base + 0].counter, 1);  // left
  EXPECT_EQ(g_KeyCounters[base + 6].counter, 1);  // button 3
  EXPECT_EQ(g_InputOptions.joysticksPresent, 1);
  Input_PollJoysticks();
  EXPECT_EQ(g_KeyCounters[base + 6].counter, 2);
  PlatJoy_FakeDetach(1);
  Input_PollJoysticks();
  EXPECT_EQ(g_KeyCounters[base + 6].counter, -1);  // released, not held for ever
  EXPECT_EQ(g_KeyCounters[base + 0].counter, -1);
}

TEST(InputCursor, HidesAfterTheDelayAndShowsOnMove) {
  ASSERT_EQ(Win_CreateMain(), 0);
  WindowRec* rec = g_WindowRecs[0];
  rec->farOutside = 0;
  g_KeyCounters[0].counter = 1;  // a key held
  Cursor_UpdateAutoHide(rec, 1000, false);
  EXPECT_EQ(rec->hideTimerOn, 1);
  Cursor_UpdateAutoHide(rec, 3500, false);
  EXPECT_EQ(g_CursorShown.load(), 1);  // exactly the delay: not yet
  Cursor_UpdateAutoHide(rec, 3501, false);
  EXPECT_EQ(g_CursorShown.load(), 0);
  EXPECT_EQ(g_CursorPending.load(), 2);
  g_KeyCounters[7].counter = 1;  // the mouse moved
  Cursor_UpdateAutoHide(rec, 3600, false);
  EXPECT_EQ(g_CursorShown.load(), 1);
  EXPECT_EQ(g_CursorPending.load(), 1);
  EXPECT_EQ(rec->hideTimerOn, 0);
  rec->showOnMove = 0;
  Cursor_UpdateAutoHide(rec, 3700, false);
  Cursor_UpdateAutoHide(rec, 6300, false);
  EXPECT_EQ(g_CursorShown.load(), 0);  // moving no longer shows it
}

// The error dialog shows the cursor through the auto-hide state: after it
// the cursor is shown and the auto-hide knows it (a later move does not
// count as a fresh show, the hide timer starts again from nothing).
TEST(InputCursor, ErrorDialogShowsAHiddenCursor) {
  ASSERT_EQ(Win_CreateMain(), 0);
  Sys_InitTables();
  WindowRec* rec = g_WindowRecs[0];
  g_CursorShown = 0;
  g_CursorPending = 0;
  rec->hideTimerOn = 1;
  PlatCursor_Show(false);
  g_ErrDialogShown = 0;
  MsgBox_SetRecorder([](const MsgBoxRequest& r) { return MsgBox_DefaultAnswer(r); });
  Err_Show(100010, 0);
  MsgBox_SetRecorder({});
  EXPECT_EQ(g_CursorShown.load(), 1);
  EXPECT_EQ(g_CursorPending.load(), 0);
  EXPECT_TRUE(PlatCursor_IsShown());
  EXPECT_EQ(rec->hideTimerOn, 0);
  g_ErrDialogShown = 0;
}

}  // namespace
