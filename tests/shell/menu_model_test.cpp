// Menu trees built into the platform's menu model: the menu bar (set 0)
// through command 103's menu argument and Menu_BuildMenuBar, the popup sets
// through commands 64 and 98, on a headless main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu_game.h"
#include "platform/menu.h"
#include "shell/frame.h"
#include "shell/menu.h"

namespace {

using fx::Int;
using fx::Text;

using menugame::MenuGame;

void NoVars(fx::Game&) {}

void Item(fx::Scene& s, const std::string& path, const std::string& text, int64_t key,
          std::vector<fx::Arg> more = {}) {
  std::vector<fx::Arg> args = {{"path", Text(path)}, {"text", Text(text)}, {"order", Int(key)}};
  for (fx::Arg& a : more) args.push_back(a);
  s.Cmd("menu63", args);
}

// bar/: File (group: Open, an empty-text group, Recent (group: One)), a
// hidden item, Grey (enabled 0, checked 1), Odd (checked 2).
void MakeBar(fx::Scene& s) {
  Item(s, "bar/", "Bar", 1);
  Item(s, "bar/file/", "File", 1, {{"id", Int(10)}});
  Item(s, "bar/file/open", "Open", 1, {{"id", Int(11)}});
  Item(s, "bar/file/rule/", "", 2, {{"id", Int(12)}});
  Item(s, "bar/file/rule/inside", "Inside", 1);
  Item(s, "bar/file/recent/", "Recent", 3);
  Item(s, "bar/file/recent/one", "One", 1, {{"id", Int((int64_t(1) << 32) | 13)}});
  Item(s, "bar/hidden", "Hidden", 2, {{"show", Int(0)}});
  Item(s, "bar/grey", "Grey", 3, {{"enable", Int(0)}, {"check", Int(1)}, {"id", Int(14)}});
  Item(s, "bar/odd", "Odd", 4, {{"check", Int(2)}});
}

std::vector<std::string> Texts(const PlatMenu& m) {
  std::vector<std::string> out;
  for (const PlatMenuItem& it : m.items) out.push_back(it.separator ? "-" : it.text);
  return out;
}

TEST(MenuModel, TreeBecomesTheMenuBar) {
  MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("window", {{"menu", Text("bar/")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_TRUE(g.log.Empty()) << g.log.First();
  const PlatMenu* top = g_MenuSets.menus[kMenuSetBar][0];
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(Texts(*top), (std::vector<std::string>{"File", "Grey", "Odd"}));
  const PlatMenuItem& file = top->items[0];
  ASSERT_NE(file.submenu, nullptr);
  EXPECT_EQ(file.id, 10u);
  // An empty text is a separator even for a group with items: it opens nothing.
  EXPECT_EQ(Texts(*file.submenu), (std::vector<std::string>{"Open", "-", "Recent"}));
  const PlatMenuItem& rule = file.submenu->items[1];
  EXPECT_TRUE(rule.separator);
  EXPECT_TRUE(rule.grayed);
  EXPECT_EQ(rule.submenu, nullptr);
  const PlatMenuItem& recent = file.submenu->items[2];
  ASSERT_NE(recent.submenu, nullptr);
  ASSERT_EQ(recent.submenu->items.size(), 1u);
  EXPECT_EQ(recent.submenu->items[0].id, 13u);  // the low 32 bits
  const PlatMenuItem& grey = top->items[1];
  EXPECT_TRUE(grey.grayed);
  EXPECT_TRUE(grey.checked);
  EXPECT_FALSE(top->items[2].checked);  // only exactly 1 checks
  EXPECT_FALSE(top->items[2].grayed);
  // Submenus take the slots after the top menu in the order they were made.
  EXPECT_EQ(g_MenuSets.menus[kMenuSetBar][1], file.submenu);
  EXPECT_EQ(g_MenuSets.menus[kMenuSetBar][2], recent.submenu);
  EXPECT_EQ(g_MenuSets.menus[kMenuSetBar][3], nullptr);
  // The window shows its own copy.
  const PlatMenu* shown = PlatMenuBar_Get(g.rec->handle);
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown, top);
  EXPECT_EQ(Texts(*shown), Texts(*top));
  EXPECT_EQ(Texts(*shown->items[0].submenu), Texts(*file.submenu));
}

TEST(MenuModel, EmptyPathRemovesTheBarAndMissingPathIsAnError) {
  MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("window", {{"menu", Text("bar/")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ASSERT_NE(PlatMenuBar_Get(g.rec->handle), nullptr);
  EXPECT_EQ(Menu_BuildMenuBar("", g.rec), 0);
  EXPECT_EQ(PlatMenuBar_Get(g.rec->handle), nullptr);
  EXPECT_EQ(g_MenuSets.menus[kMenuSetBar][0], nullptr);
  EXPECT_EQ(Menu_BuildMenuBar("M0/nosuch", g.rec), -1);
  EXPECT_EQ(g.log.First(), 101250);
}

// 128 menus per set: the top menu and 127 submenus fit, one more does not,
// and a bar that could not be built whole is not attached (the build still
// answers 0).
TEST(MenuModel, MenusBeyondTheSetAreCutOffAndTheBarNotAttached) {
  for (int groups : {127, 128}) {
    MenuGame g(NoVars, [&](fx::Scene& s) {
      Item(s, "bar/", "Bar", 1);
      for (int i = 0; i < groups; ++i) {
        std::string grp = "bar/g" + std::to_string(i) + "/";
        Item(s, grp, "G", i + 1);
        Item(s, grp + "x", "X", 1);
      }
    });
    ASSERT_TRUE(g.loaded) << groups;
    g.Run();
    ASSERT_TRUE(g.log.Empty()) << groups << ": " << g.log.First();
    EXPECT_EQ(Menu_BuildMenuBar("M0/bar", g.rec), 0) << groups;
    bool attached = PlatMenuBar_Get(g.rec->handle) != nullptr;
    EXPECT_EQ(attached, groups == 127) << groups;
  }
}

TEST(MenuModel, PopupSetsHaveTheirTopItem) {
  MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("menu64", {{"path", Text("bar/file/")}, {"show", Int(1)}});
    s.Cmd("icon98", {{"menu", Text("bar/")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_TRUE(g.log.Empty()) << g.log.First();
  EXPECT_EQ(g_PopupMenuSet, kMenuSetPopup);
  for (int set : {kMenuSetPopup, kMenuSetTray}) {
    const PlatMenu* top = g_MenuSets.menus[set][0];
    ASSERT_NE(top, nullptr) << set;
    ASSERT_EQ(top->items.size(), 1u) << set;
    EXPECT_EQ(top->items[0].text, "MENUSET");
    EXPECT_EQ(top->items[0].id, kMenuPopupTopId);
    EXPECT_EQ(top->items[0].submenu, g_MenuSets.menus[set][1]);
    EXPECT_EQ(Menu_PopupMenu(set), g_MenuSets.menus[set][1]);
  }
  EXPECT_EQ(Texts(*Menu_PopupMenu(kMenuSetPopup)),
            (std::vector<std::string>{"Open", "-", "Recent"}));
  EXPECT_EQ(Texts(*Menu_PopupMenu(kMenuSetTray)),
            (std::vector<std::string>{"File", "Grey", "Odd"}));
}

TEST(MenuModel, PopupWithoutShowOrNodeDoesNothing) {
  MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("menu64", {{"path", Text("bar/file/")}, {"show", Int(0)}});
    s.Cmd("menu64", {{"path", Text("bar/nosuch")}, {"show", Int(1)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g_PopupMenuSet, 0);
  EXPECT_EQ(g_MenuSets.menus[kMenuSetPopup][0], nullptr);
}

// Without a screen the pending popup answers "nothing chosen" at once and
// the window procedure hears a menu command of 0.
TEST(MenuModel, PendingPopupWithoutAScreenPostsZero) {
  MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("menu64", {{"path", Text("bar/")}, {"show", Int(1)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ASSERT_EQ(g_PopupMenuSet, kMenuSetPopup);
  g_MenuCommand = 99;
  Menu_RunPendingPopup();
  EXPECT_EQ(g_PopupMenuSet, 0);
  Plat_PumpEvents();
  EXPECT_EQ(g_MenuCommand.load(), 0u);
}

}  // namespace

namespace {

// An item chosen from a bar reaches the main window's procedure as a menu
// command, its low 16 bits kept.
TEST(MenuModel, BarChoiceBecomesTheMenuCommand) {
  menugame::MenuGame g(NoVars, [](fx::Scene&) {});
  ASSERT_TRUE(g.loaded);
  ASSERT_NE(g_PlatMenuBarChosen, nullptr);
  g_MenuCommand = 0;
  g_PlatMenuBarChosen(g.rec->handle, 0x10000u | 42u);
  Plat_PumpEvents();
  EXPECT_EQ(g_MenuCommand.load(), 42u);
}

}  // namespace

namespace {

// In full screen the bar moves to the strip window, shown only while the
// mouse is on the top rows; outside full screen the strip is hidden.
TEST(MenuWindow, StripFollowsTheMouseInFullScreen) {
  menugame::MenuGame g(NoVars, [](fx::Scene& s) {
    MakeBar(s);
    s.Cmd("window", {{"menu", Text("bar/")}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  ASSERT_NE(g_Mncl.menu, nullptr);
  PlatRect client;
  ASSERT_TRUE(PlatWin_GetClientRect(g.rec->handle, &client));
  g_FullScreen = 1;
  g.rec->mouseY = kMenuBarHeight;  // just below the strip
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 0);
  g.rec->mouseY = kMenuBarHeight - 1;
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 1);
  ASSERT_NE(g_Mncl.handle, nullptr);
  EXPECT_TRUE(PlatWin_IsShown(g_Mncl.handle));
  EXPECT_NE(PlatMenuBar_Get(g_Mncl.handle), nullptr) << "the strip carries the bar";
  // Still on the strip: it stays; moved below it: it goes.
  PlatMouse_SetFake(true, client.x + 5, client.y + 3);
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 1);
  PlatMouse_SetFake(true, client.x + 5, client.y + kMenuBarHeight);
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 0);
  EXPECT_FALSE(PlatWin_IsShown(g_Mncl.handle));
  g.rec->mouseY = 100;
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 0);
  g.rec->mouseY = 0;
  PlatMouse_SetFake(true, client.x + 5, client.y);
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 1);
  g_FullScreen = 0;
  Screen_UpdateFullScreenMenu();
  EXPECT_EQ(g_Mncl.shown, 0);
  EXPECT_FALSE(PlatWin_IsShown(g_Mncl.handle));
  PlatMouse_SetFake(false);
}

TEST(MenuWindow, NoStripWithoutABar) {
  menugame::MenuGame g(NoVars, [](fx::Scene&) {});
  ASSERT_TRUE(g.loaded);
  g_FullScreen = 1;
  g.rec->mouseY = 0;
  Screen_UpdateFullScreenMenu();
  g_FullScreen = 0;
  EXPECT_EQ(g_Mncl.shown, 0);
  EXPECT_EQ(g_Mncl.handle, nullptr);
}

}  // namespace
