// Popup menus, the menu bar strip and cursors on a real X server (run under
// xvfb-run): choices by injected keys and clicks, submenus, dismissal, the
// strip above a window's client area, and the cursor shown. Skipped without
// a display.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/cursor.h"
#include "platform/events.h"
#include "platform/menu.h"
#include "platform/signals.h"
#include "platform/text.h"
#include "platform/ui_window.h"
#include "platform/window.h"
#include "support/xserver.h"

#include "menu_item.h"

namespace {

constexpr int32_t kScReturn = 40, kScEscape = 41, kScRight = 79, kScDown = 81, kScUp = 82;

using menufix::Item;

// A, a separator, a grey item, B, and "More" opening X and Y.
struct Sample {
  PlatMenu sub, menu;
  Sample() {
    sub.items = {Item("X", 7), Item("Y", 8)};
    PlatMenuItem rule;
    rule.separator = rule.grayed = true;
    PlatMenuItem grey = Item("灰色", 2), more = Item("その他", 0);
    grey.grayed = true;
    more.submenu = &sub;
    menu.items = {Item("A", 1), rule, grey, Item("B", 3), more};
  }
};

// Whether `levels` popups are open, the innermost taking its events.
bool LevelsOpen(size_t levels) {
  std::vector<PlatRect> open = PlatMenu_OpenPopups();
  PlatRect r;
  return open.size() == levels && UiWindow_ModalRect(&r) && r.x == open.back().x &&
         r.y == open.back().y;
}

// Waits for `levels` popups, then a moment for them to be mapped.
bool Levels(size_t levels) {
  bool ok = fx::WaitFor([&] { return LevelsOpen(levels); }, 10000);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return ok;
}

void Keys(std::initializer_list<int32_t> scancodes) {
  for (int32_t sc : scancodes) {
    UiWindow_InjectKey(sc);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
}

// Saves the screen around the popups for a look (build folder).
void Shot(const char* name, const PlatRect& r) {
  std::string cmd = "command -v import >/dev/null && import -window root -crop " + xsrv::Geometry(r) + " '" +
                    std::string(TEST_BINARY_DIR) + "/" + name + ".png' 2>/dev/null";
  (void)std::system(cmd.c_str());
}

class MenuXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xsrv::HaveDisplay()) GTEST_SKIP() << "no X display";
    ASSERT_TRUE(xsrv::StartVideo());
  }
  void TearDown() override {
    g_PlatMenuBarChosen = nullptr;
    PlatSignal_Reset();
  }

  // Tracks `menu` at (100, 100) on this thread while `act` runs on another
  // once the popup is up; a popup still up 10 s later is ended by a signal.
  uint32_t Track(const PlatMenu& menu, const std::function<void()>& act) {
    return xsrv::WithWatchdog([&] { return PlatMenu_TrackPopup(menu, 100, 100, nullptr); },
                              [] { return LevelsOpen(1); },
                              [&] {
                                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                                act();
                              });
  }
};

TEST_F(MenuXvfb, KeysStepOverSeparatorAndGreyItems) {
  Sample s;
  EXPECT_EQ(Track(s.menu, [] { Keys({kScDown, kScDown, kScReturn}); }), 3u);
  EXPECT_EQ(Track(s.menu, [] { Keys({kScUp, kScUp, kScUp, kScReturn}); }), 1u)
      << "up from the top wraps to the end";
  EXPECT_TRUE(PlatMenu_OpenPopups().empty());
}

TEST_F(MenuXvfb, SubmenuOpensBesideItsItem) {
  Sample s;
  PlatRect top, sub;
  uint32_t id = Track(s.menu, [&] {
    Keys({kScUp, kScRight});
    if (!Levels(2)) return;
    std::vector<PlatRect> open = PlatMenu_OpenPopups();
    top = open[0];
    sub = open[1];
    PlatRect both{top.x, top.y, sub.x + sub.w - top.x, std::max(top.h, sub.y + sub.h - top.y)};
    Shot("menu_popup_sub", both);
    Keys({kScDown, kScReturn});
  });
  EXPECT_EQ(id, 8u);
  EXPECT_EQ(top.x, 100);
  EXPECT_EQ(top.y, 100);
  EXPECT_GE(sub.x, top.x + top.w - 4);
  EXPECT_GT(sub.y, top.y + kMenuItemHeight * 3) << "level with the item that opened it";
}

TEST_F(MenuXvfb, EscapeClosesOnlyTheSubmenu) {
  Sample s;
  uint32_t id = Track(s.menu, [] {
    Keys({kScUp, kScRight});
    if (!Levels(2)) return;
    Keys({kScEscape});
    if (!Levels(1)) return;
    Keys({kScDown, kScReturn});
  });
  EXPECT_EQ(id, 1u);
}

TEST_F(MenuXvfb, ClickChoosesTheItemUnderIt) {
  Sample s;
  PlatMenuLayout l = PlatMenu_LayoutPopup(s.menu);
  const PlatMenuBox& b = l.items[3];
  EXPECT_EQ(Track(s.menu, [&] { UiWindow_InjectClick(b.x + 10, b.y + b.h / 2); }), 3u);
  const PlatMenuBox& grey = l.items[2];
  uint32_t id = Track(s.menu, [&] {
    UiWindow_InjectClick(grey.x + 10, grey.y + grey.h / 2);  // nothing
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Keys({kScEscape});
  });
  EXPECT_EQ(id, 0u) << "a grey item is never chosen";
}

TEST_F(MenuXvfb, PressOutsideDismisses) {
  PlatWindowDesc d;
  d.index = 0;
  d.x = 600;
  d.y = 500;
  d.clientW = 120;
  d.clientH = 80;
  PlatWindow* owner = PlatWin_Create(d);
  ASSERT_NE(owner, nullptr);
  PlatWin_Show(owner);
  Sample s;
  uint32_t id = Track(s.menu, [] {
    PlatMouse_Warp(650, 540);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Plat_InjectButton(1, true, 0, 50, 40);
    Plat_InjectButton(1, false, 0, 50, 40);
  });
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(Track(s.menu, [] { Keys({kScEscape}); }), 0u);
  PlatWin_Destroy(owner);
}

TEST_F(MenuXvfb, BarStripSitsAboveTheClientArea) {
  PlatWindowDesc d;
  d.index = 0;
  d.x = 40;
  d.y = 300;
  d.clientW = 240;
  d.clientH = 100;
  d.bordered = false;
  PlatWindow* w = PlatWin_Create(d);
  ASSERT_NE(w, nullptr);
  PlatWin_Show(w);
  Sample s;
  PlatMenu bar;
  PlatMenuItem file = Item("ファイル", 0), help = Item("ヘルプ", 5);
  file.submenu = &s.menu;
  bar.items = {file, help};
  PlatMenuBar_Attach(w, &bar);
  Plat_PumpEvents();
  PlatRect client;
  ASSERT_TRUE(PlatWin_GetClientRect(w, &client));
  EXPECT_EQ(client.w, 240);
  EXPECT_EQ(client.h, 100) << "the client keeps its size";
  int32_t frameTop = 0;
  PlatWin_GetFrame(w, nullptr, &frameTop, nullptr, nullptr);
  EXPECT_GE(frameTop, kMenuBarHeight);
  std::vector<uint32_t> strip, drawn;
  int32_t sw = 0;
  ASSERT_TRUE(PlatMenuBar_ReadStrip(w, &strip, &sw));
  ASSERT_EQ(sw, 240);
  PlatMenu_DrawBar(*PlatMenuBar_Get(w), PlatMenu_LayoutBar(bar, 240), -1, &drawn);
  ASSERT_EQ(strip.size(), drawn.size());
  size_t differ = 0;
  for (size_t i = 0; i < strip.size(); ++i) differ += (strip[i] & 0xFFFFFF) != (drawn[i] & 0xFFFFFF);
  EXPECT_EQ(differ, 0u);

  static std::atomic<uint32_t> s_chosen{0};
  g_PlatMenuBarChosen = [](PlatWindow*, uint32_t id) { s_chosen = id; };
  PlatMenuLayout l = PlatMenu_LayoutBar(bar, 240);
  // A press on "Help" chooses it at once.
  Plat_InjectButton(1, true, 0, l.items[1].x + 5, 5 - kMenuBarHeight);
  Plat_PumpEvents();
  EXPECT_EQ(s_chosen.load(), 5u);
  // A press on "File" drops its menu down below the strip.
  s_chosen = 0;
  PlatRect dropped;
  std::thread t([&] {
    if (!Levels(1)) return;
    dropped = PlatMenu_OpenPopups()[0];
    Shot("menu_bar_dropped", {client.x, client.y - kMenuBarHeight, 240, 200});
    Keys({kScDown, kScReturn});
  });
  Plat_InjectButton(1, true, 0, l.items[0].x + 5, 5 - kMenuBarHeight);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!s_chosen && std::chrono::steady_clock::now() < until) Plat_PumpEvents();
  t.join();
  EXPECT_EQ(s_chosen.load(), 1u);
  EXPECT_EQ(dropped.x, client.x);
  EXPECT_EQ(dropped.y, client.y);
  PlatMenuBar_Attach(w, nullptr);
  Plat_PumpEvents();
  ASSERT_TRUE(PlatWin_GetClientRect(w, &client));
  EXPECT_EQ(client.h, 100);
  EXPECT_FALSE(PlatMenuBar_ReadStrip(w, &strip, &sw));
  PlatWin_Destroy(w);
}

TEST_F(MenuXvfb, CursorReachesTheScreen) {
  PlatCursor* cross = PlatCursor_Stock(3);
  PlatCursor_Set(cross);
  EXPECT_TRUE(PlatCursor_OnScreen(cross));
  std::vector<uint32_t> px(24 * 24, 0xFFFF0000u);
  PlatCursor* red = PlatCursor_CreateColor(px.data(), 24, 24, 3, 4);
  ASSERT_NE(red, nullptr);
  PlatCursor_Set(red);
  EXPECT_TRUE(PlatCursor_OnScreen(red));
  EXPECT_FALSE(PlatCursor_OnScreen(cross));
  PlatCursor_Set(cross);
  PlatCursor_Destroy(red);
  EXPECT_FALSE(PlatCursor_IsLive(red));
  EXPECT_TRUE(PlatCursor_OnScreen(cross));
}

TEST(MenuHeadless, PopupWithoutADisplayAnswersZero) {
  const char* d = std::getenv("DISPLAY");
  std::string kept = d ? d : "";
  unsetenv("DISPLAY");
  Sample s;
  EXPECT_EQ(PlatMenu_TrackPopup(s.menu, 0, 0, nullptr), 0u);
  if (!kept.empty()) setenv("DISPLAY", kept.c_str(), 1);
}

}  // namespace
