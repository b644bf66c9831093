// Command 98 and the notification-area icon, headless and without a session
// bus (the test runner switches it off): the icon's layer check, its tip,
// showing and removing, and the tray menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "menu_game.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/tray.h"
#include "shell/menu.h"

namespace {

using fx::Int;
using fx::Text;

struct TrayGame : menugame::MenuGame {
  explicit TrayGame(const std::function<void(fx::Scene&)>& body)
      : MenuGame([](fx::Game&) {}, body, {"i16/", "i20/"}) {
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  }
};

void Icon(fx::Scene& s, const std::vector<fx::Arg>& args) { s.Cmd("icon98", args); }

void Layer(fx::Scene& s, const std::string& path, int64_t w, int64_t h) {
  s.Cmd("cg", {{"path", Text(path)}, {"w", Int(w)}, {"h", Int(h)}, {"order", Int(1)}});
}

TEST(TrayCmd, IconLayerMustBe16By16ByTable) {
  const std::string sizeBox = Text_Utf8ToSjis("ICON ERR.\r\nレイヤサイズが 16x16 ではありません。");
  struct Case {
    const char* what;
    std::vector<fx::Arg> args;
    bool box, layerIcon;
  } cases[] = {
      {"a 16 x 16 layer", {{"show", Int(1)}, {"layer", Text("i16/")}}, false, true},
      {"a 20 x 10 layer", {{"show", Int(1)}, {"layer", Text("i20/")}}, true, false},
      {"no layer", {{"show", Int(1)}}, false, false},
  };
  for (const Case& c : cases) {
    TrayGame g([&](fx::Scene& s) {
      Layer(s, "i16/", 16, 16);
      Layer(s, "i20/", 20, 10);
      Icon(s, c.args);
    });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    EXPECT_EQ(g_TrayState.added, 1) << c.what;
    EXPECT_EQ(g_TrayState.layerIcon.size(), c.layerIcon ? 256u : 0u) << c.what;
    ASSERT_EQ(g.boxes.size(), c.box ? 1u : 0u) << c.what;
    if (c.box) {
      EXPECT_EQ(g.boxes[0], sizeBox) << c.what;
    }
  }
}

TEST(TrayCmd, MissingLayerEndsTheCommandFirst) {
  TrayGame g([](fx::Scene& s) {
    Icon(s, {{"show", Int(1)}, {"tip", Text("tip")}, {"layer", Text("nosuch")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g_TrayState.added, 0);
  EXPECT_EQ(g_TrayState.tip, "");
}

TEST(TrayCmd, RemovedIconComesBackWithTheKeptTip) {
  TrayGame g([](fx::Scene& s) {
    Icon(s, {{"show", Int(1)}, {"tip", Text("Game")}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Icon(s, {{"show", Int(0)}});
    s.Cmd("wait", {{"frames", Int(1)}});
    Icon(s, {{"show", Int(1)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g_TrayState.added, 1);
  EXPECT_EQ(g_TrayState.tip, "Game");
  g.Run();
  EXPECT_EQ(g_TrayState.added, 0);
  g.Run();
  EXPECT_EQ(g_TrayState.added, 1);
  EXPECT_EQ(g_TrayState.tip, "Game");
}

// The tip field holds 63 bytes: a longer tip is cut whole characters short.
TEST(TrayCmd, LongTipIsCutOnACharacterBoundary) {
  std::string tip;
  for (int i = 0; i < 40; ++i) tip += Text_Utf8ToSjis("あ");
  TrayGame g([&](fx::Scene& s) { Icon(s, {{"tip", Text(tip)}}); });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g_TrayState.tip, tip.substr(0, 62));
  Tray_SetTip(std::string(100, 'x').c_str());
  EXPECT_EQ(g_TrayState.tip, std::string(63, 'x'));
}

TEST(TrayCmd, WithoutASessionBusTheIconIsOffQuietly) {
  setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  std::vector<uint32_t> px(kPlatTrayIconSide * kPlatTrayIconSide, 0xFF00FF00u);
  EXPECT_FALSE(PlatTray_Show(px.data(), "tip"));
  EXPECT_FALSE(PlatTray_Shown());
  PlatTray_Remove();
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  EXPECT_FALSE(PlatTray_Show(nullptr, "tip")) << "never a bus launched on demand";
  EXPECT_FALSE(PlatTray_Shown());
}

}  // namespace
