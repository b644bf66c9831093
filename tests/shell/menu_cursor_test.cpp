// Command 70 on the main window's cursor, headless: the show and auto-hide
// modes, the settings it keeps, stock shapes and cursors made from layers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_game.h"
#include "platform/cursor.h"
#include "render/render.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "shell/menu.h"

namespace {

using fx::Int;
using fx::Text;

struct CursorGame : menugame::MenuGame {
  explicit CursorGame(const std::function<void(fx::Scene&)>& body)
      : MenuGame([](fx::Game&) {}, body, {"a/", "b/", "huge/"}) {}
};

void Cursor(fx::Scene& s, const std::vector<fx::Arg>& args) { s.Cmd("cursor70", args); }

// A group layer of w x h for a cursor.
void Layer(fx::Scene& s, const std::string& path, int64_t w, int64_t h) {
  s.Cmd("cg", {{"path", Text(path)}, {"w", Int(w)}, {"h", Int(h)}, {"order", Int(1)}});
}

struct Before {
  uint8_t shown, timerOn, autoHide;
};
struct After {
  uint8_t shown, pending, timerOn, autoHide;
};

TEST(CursorCmd, ModesByTable) {
  struct Case {
    const char* what;
    int64_t mode;
    Before before;
    After after;
  } cases[] = {
      {"0 hides now and ends auto-hide", 0, {1, 1, 1}, {0, 2, 0, 0}},
      {"0 on a hidden cursor asks nothing", 0, {0, 0, 1}, {0, 0, 0, 0}},
      {"1 shows a hidden cursor without a timer", 1, {0, 0, 0}, {1, 1, 0, 1}},
      {"1 leaves a cursor whose timer runs", 1, {0, 1, 0}, {0, 0, 1, 1}},
      {"2 shows and ends auto-hide", 2, {0, 1, 1}, {1, 1, 0, 0}},
      {"other values change nothing", 7, {0, 1, 1}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    CursorGame g([&](fx::Scene& s) { Cursor(s, {{"mode", Int(c.mode)}}); });
    ASSERT_TRUE(g.loaded) << c.what;
    g_CursorShown = c.before.shown;
    g_CursorPending = 0;
    g.rec->hideTimerOn = c.before.timerOn;
    g_InputOptions.autoHide = c.before.autoHide;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    EXPECT_EQ(g_CursorShown.load(), c.after.shown) << c.what;
    EXPECT_EQ(g_CursorPending.load(), c.after.pending) << c.what;
    EXPECT_EQ(g.rec->hideTimerOn, c.after.timerOn) << c.what;
    EXPECT_EQ(g_InputOptions.autoHide, c.after.autoHide) << c.what;
  }
}

// Mode 0 stays hidden through mouse activity; mode 1 hides after the delay
// and comes back when the mouse moves.
TEST(CursorCmd, AutoHideAfterTheModes) {
  CursorGame g([](fx::Scene& s) { Cursor(s, {{"mode", Int(0)}}); });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ASSERT_EQ(g_CursorShown.load(), 0);
  g.rec->outside = g.rec->farOutside = 0;  // the mouse is over the window
  g_KeyCounters[7].counter = 1;  // the mouse moved
  Cursor_UpdateAutoHide(g.rec, 10000, false);
  EXPECT_EQ(g_CursorShown.load(), 0);
  g_KeyCounters[7].counter = 0;

  g_CursorShown = 1;
  g_InputOptions.autoHide = 1;
  g_KeyCounters[0].counter = 1;  // a key held starts the timer
  Cursor_UpdateAutoHide(g.rec, 1000, false);
  g_KeyCounters[0].counter = 0;
  ASSERT_EQ(g.rec->hideTimerOn, 1);
  Cursor_UpdateAutoHide(g.rec, 1000 + kCursorHideDelayMs, false);
  EXPECT_EQ(g_CursorShown.load(), 1) << "not before the delay has passed";
  Cursor_UpdateAutoHide(g.rec, 1001 + kCursorHideDelayMs, false);
  EXPECT_EQ(g_CursorShown.load(), 0);
  g_KeyCounters[7].counter = 1;
  Cursor_UpdateAutoHide(g.rec, 5000, false);
  g_KeyCounters[7].counter = 0;
  EXPECT_EQ(g_CursorShown.load(), 1);
}

TEST(CursorCmd, KeptSettings) {
  CursorGame g([](fx::Scene& s) {
    Cursor(s, {{"delay", Int((int64_t(1) << 32) + 700)},
               {"onmove", Int(0x100)},
               {"onbutton", Int(0)},
               {"onwheel", Int(2)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g_InputOptions.hideDelayMs, 700u);
  EXPECT_EQ(g.rec->showOnMove, 0);
  EXPECT_EQ(g.rec->showOnButton, 0);
  EXPECT_EQ(g.rec->showOnWheel, 2);
}

TEST(CursorCmd, StockShapesByTable) {
  struct Case {
    int64_t n;
    int32_t stock;
  } cases[] = {{0, 0}, {1, 1}, {4, 4}, {13, 13}, {14, 0}, {-1, 0}};
  for (const Case& c : cases) {
    CursorGame g([&](fx::Scene& s) { Cursor(s, {{"stock", Int(c.n)}}); });
    ASSERT_TRUE(g.loaded) << c.n;
    g.Run();
    ASSERT_NE(PlatCursor_Current(), nullptr) << c.n;
    EXPECT_EQ(PlatCursor_StockNumber(PlatCursor_Current()), c.stock) << c.n;
    EXPECT_EQ(g_CursorState.classCursor, PlatCursor_Current()) << c.n;
  }
}

TEST(CursorCmd, PositionIsTheLogicalValuePlusTheViewOffset) {
  CursorGame g([](fx::Scene& s) { Cursor(s, {{"x", Int(30)}, {"y", Int(40)}}); });
  ASSERT_TRUE(g.loaded);
  PlatRect client;
  ASSERT_TRUE(PlatWin_GetClientRect(g.rec->handle, &client));
  PlatMouse_SetFake(true, client.x + 5, client.y + 6);
  g_LetterBox.x = 3;
  g_LetterBox.y = 4;
  g.Run();
  int32_t x = 0, y = 0;
  PlatMouse_GlobalPos(&x, &y);
  PlatMouse_SetFake(false);
  g_LetterBox = LetterBox{};
  EXPECT_EQ(x, client.x + 33);
  EXPECT_EQ(y, client.y + 44);
  EXPECT_EQ(g.rec->mouseX, 30);
  EXPECT_EQ(g.rec->mouseY, 40);
}

// The hot spot is taken as an unsigned 16-bit value: 65539 is 3, inside.
TEST(CursorCmd, HotSpotTakesTheLow16Bits) {
  CursorGame g([](fx::Scene& s) {
    Layer(s, "a/", 32, 32);
    Layer(s, "b/", 16, 24);
    Layer(s, "huge/", 300, 300);
    Cursor(s, {{"layer", Text("a/")}, {"hotx", Int(65536 + 3)}, {"hoty", Int(4)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  PlatCursor* a = PlatCursor_Current();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(PlatCursor_StockNumber(a), -1);
  EXPECT_EQ(g_CursorState.layerCursor, a);
  EXPECT_TRUE(g.boxes.empty());
}

// A new layer cursor is made before the old one goes: the cursor shown is
// never a destroyed one, even when the new one cannot be made.
TEST(CursorCmd, LayerCursorReplacesTheOldOneOnlyWhenMade) {
  CursorGame g([](fx::Scene& s) {
    Layer(s, "a/", 32, 32);
    Layer(s, "b/", 16, 24);
    Layer(s, "huge/", 300, 300);
    Cursor(s, {{"layer", Text("a/")}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Cursor(s, {{"layer", Text("b/")}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Cursor(s, {{"layer", Text("huge/")}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Cursor(s, {{"layer", Text("b/")}, {"hotx", Int(16)}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Cursor(s, {{"layer", Text("nosuch")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  PlatCursor* a = PlatCursor_Current();
  ASSERT_TRUE(PlatCursor_IsLive(a));
  g.Run();
  PlatCursor* b = PlatCursor_Current();
  EXPECT_NE(b, a);
  EXPECT_TRUE(PlatCursor_IsLive(b));
  EXPECT_FALSE(PlatCursor_IsLive(a)) << "the replaced cursor is destroyed";
  const std::string failed = Text_Utf8ToSjis("CURSOR CreateIconIndirect エラー");
  for (const char* what : {"a layer too large for a cursor", "a hot spot outside"}) {
    g.boxes.clear();
    g.Run();
    EXPECT_EQ(PlatCursor_Current(), b) << what;
    EXPECT_TRUE(PlatCursor_IsLive(PlatCursor_Current())) << what;
    EXPECT_EQ(g_CursorState.layerCursor, b) << what;
    ASSERT_EQ(g.boxes.size(), 1u) << what;
    EXPECT_EQ(g.boxes[0], failed) << what;
  }
  g.Run();
  EXPECT_EQ(PlatCursor_Current(), b) << "a missing layer changes nothing";
  EXPECT_TRUE(g.log.Empty()) << g.log.First();
}

}  // namespace
