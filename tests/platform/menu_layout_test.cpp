// Layout of the engine's menus with a fixed measure (8 pixels a byte): item
// rectangles of popups and bars, hit tests, and stepping over items.
#include <gtest/gtest.h>

#include <string>

#include "platform/menu.h"

namespace {

struct FixedMeasure {
  FixedMeasure() {
    kept = g_PlatMenuMeasure;
    g_PlatMenuMeasure = [](const std::string& s) { return int32_t(s.size()) * 8; };
  }
  ~FixedMeasure() { g_PlatMenuMeasure = kept; }
  PlatMenuMeasureFn kept;
};

PlatMenuItem Text(const std::string& t, uint32_t id, bool grey = false) {
  PlatMenuItem it;
  it.text = t;
  it.id = id;
  it.grayed = grey;
  return it;
}

PlatMenuItem Rule() {
  PlatMenuItem it;
  it.separator = true;
  it.grayed = true;
  return it;
}

TEST(MenuLayout, PopupStacksItemsInsideItsBorder) {
  FixedMeasure m;
  PlatMenu menu;
  menu.items = {Text("Open", 1), Rule(), Text("Exit the game", 2)};
  PlatMenuLayout l = PlatMenu_LayoutPopup(menu);
  int32_t inner = kMenuPadLeft + 13 * 8 + kMenuPadRight;
  EXPECT_EQ(l.width, inner + 2 * kMenuBorder);
  EXPECT_EQ(l.height, 2 * kMenuItemHeight + kMenuSeparatorHeight + 2 * kMenuBorder);
  ASSERT_EQ(l.items.size(), 3u);
  EXPECT_EQ(l.items[0].y, kMenuBorder);
  EXPECT_EQ(l.items[1].y, kMenuBorder + kMenuItemHeight);
  EXPECT_EQ(l.items[1].h, kMenuSeparatorHeight);
  EXPECT_EQ(l.items[2].y, kMenuBorder + kMenuItemHeight + kMenuSeparatorHeight);
  for (const PlatMenuBox& b : l.items) {
    EXPECT_EQ(b.x, kMenuBorder);
    EXPECT_EQ(b.w, inner);
  }
}

TEST(MenuLayout, NarrowAndEmptyPopupsKeepAMinimum) {
  FixedMeasure m;
  PlatMenu menu;
  menu.items = {Text("a", 1)};
  EXPECT_EQ(PlatMenu_LayoutPopup(menu).width, kMenuMinWidth + 2 * kMenuBorder);
  PlatMenuLayout empty = PlatMenu_LayoutPopup(PlatMenu{});
  EXPECT_GT(empty.height, 2 * kMenuBorder);
  EXPECT_TRUE(empty.items.empty());
}

TEST(MenuLayout, BarEntriesThatDoNotFitGetNoBox) {
  FixedMeasure m;
  PlatMenu menu;
  menu.items = {Text("File", 1), Text("Edit", 2), Text("Help", 3)};
  int32_t entry = 4 * 8 + 2 * kMenuBarItemPad;
  PlatMenuLayout l = PlatMenu_LayoutBar(menu, 2 * entry + 10);
  ASSERT_EQ(l.items.size(), 3u);
  EXPECT_EQ(l.height, kMenuBarHeight);
  EXPECT_EQ(l.items[0].x, 0);
  EXPECT_EQ(l.items[1].x, entry);
  EXPECT_EQ(l.items[1].w, entry);
  EXPECT_EQ(l.items[1].h, kMenuBarHeight);
  EXPECT_EQ(l.items[2].w, 0);
  EXPECT_EQ(PlatMenu_HitTest(l, 2 * entry + 5, 5), -1);
}

TEST(MenuLayout, HitTestByTable) {
  FixedMeasure m;
  PlatMenu menu;
  menu.items = {Text("Open", 1), Rule(), Text("Exit", 2)};
  PlatMenuLayout l = PlatMenu_LayoutPopup(menu);
  struct Case {
    int32_t x, y, item;
  } cases[] = {
      {5, kMenuBorder, 0},
      {5, kMenuBorder + kMenuItemHeight - 1, 0},
      {5, kMenuBorder + kMenuItemHeight, 1},
      {5, kMenuBorder + kMenuItemHeight + kMenuSeparatorHeight, 2},
      {5, 0, -1},                // the border
      {l.width - 1, 10, -1},     // the border
      {5, l.height, -1},
      {-1, 10, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(PlatMenu_HitTest(l, c.x, c.y), c.item) << c.x << "," << c.y;
}

TEST(MenuLayout, StepsSkipSeparatorsAndGreyItemsAndWrap) {
  PlatMenu menu;
  menu.items = {Text("a", 1), Rule(), Text("grey", 2, true), Text("b", 3), Text("c", 4)};
  struct Case {
    int32_t from, step, next;
  } cases[] = {
      {-1, 1, 0}, {0, 1, 3}, {3, 1, 4}, {4, 1, 0}, {-1, -1, 4}, {0, -1, 4}, {3, -1, 0}, {0, 2, -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlatMenu_NextSelectable(menu, c.from, c.step), c.next) << c.from << " " << c.step;
  PlatMenu none;
  none.items = {Rule(), Text("grey", 2, true)};
  EXPECT_EQ(PlatMenu_NextSelectable(none, -1, 1), -1);
  EXPECT_EQ(PlatMenu_NextSelectable(PlatMenu{}, -1, 1), -1);
}

}  // namespace
