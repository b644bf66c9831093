// Drawing of popups and bars: what each kind of item shows (border,
// highlight, separator, grey text, check mark, submenu arrow), checked in
// the picture itself, and golden images of a popup and a bar drawn with the
// UI face. Golden tolerance: a pixel matches when each channel is within 16
// of the golden value; at most 2% of the pixels may miss. Regenerate with
// MENU_GOLDEN_WRITE=1 (writes into the source tree).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/menu.h"
#include "platform/text.h"
#include "platform/ui_window.h"

#include "menu_item.h"

namespace {

constexpr uint32_t kFace = 0xF0F0F0, kFrame = 0x808080, kHot = 0x3070C8, kRule = 0xC0C0C0;
constexpr int kChannelTolerance = 16;
constexpr double kMissRatio = 0.02;

using menufix::Item;

// Open (hot), a separator, Save (grey), Show (checked), Recent (submenu).
struct Sample {
  PlatMenu sub, menu;
  Sample() {
    sub.items = {Item("一", 9)};
    PlatMenuItem rule;
    rule.separator = rule.grayed = true;
    PlatMenuItem grey = Item("保存", 2), check = Item("表示", 3), more = Item("最近のファイル", 4);
    grey.grayed = true;
    check.checked = true;
    more.submenu = &sub;
    menu.items = {Item("開く(&O)", 1), rule, grey, check, more};
  }
};

uint32_t At(const std::vector<uint32_t>& px, int32_t w, int32_t x, int32_t y) {
  return px[size_t(y) * size_t(w) + size_t(x)] & 0xFFFFFF;
}

int Lum(uint32_t p) { return int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF); }

// The darkest pixel inside a box, as a sum of its channels.
int Darkest(const std::vector<uint32_t>& px, int32_t w, const PlatMenuBox& b, int32_t x0,
            int32_t x1) {
  int d = 3 * 255;
  for (int32_t y = b.y; y < b.y + b.h; ++y)
    for (int32_t x = b.x + x0; x < b.x + x1; ++x) d = std::min(d, Lum(At(px, w, x, y)));
  return d;
}

TEST(MenuDraw, PopupShowsEachKindOfItem) {
  if (!UiText_Ready()) GTEST_SKIP() << "no UI face installed";
  Sample s;
  PlatMenuLayout l = PlatMenu_LayoutPopup(s.menu);
  std::vector<uint32_t> px;
  PlatMenu_DrawPopup(s.menu, l, 0, &px);
  ASSERT_EQ(px.size(), size_t(l.width) * size_t(l.height));
  EXPECT_EQ(At(px, l.width, 0, 0), kFrame);
  EXPECT_EQ(At(px, l.width, l.width - 1, l.height - 1), kFrame);
  const PlatMenuBox& open = l.items[0];
  EXPECT_EQ(At(px, l.width, open.x + 2, open.y + 1), kHot) << "the hot item is lit";
  const PlatMenuBox& rule = l.items[1];
  EXPECT_EQ(At(px, l.width, rule.x + rule.w / 2, rule.y + rule.h / 2), kRule);
  EXPECT_EQ(At(px, l.width, rule.x + rule.w / 2, rule.y + 1), kFace);
  // Grey text has no black in it; normal text has.
  int grey = Darkest(px, l.width, l.items[2], kMenuPadLeft, l.items[2].w);
  int black = Darkest(px, l.width, l.items[3], kMenuPadLeft, l.items[3].w);
  EXPECT_GT(grey, 3 * 0x60);
  EXPECT_LT(grey, 3 * 0xE0);
  EXPECT_LT(black, 3 * 0x30);
  // The check mark sits in the left pad of the checked item only.
  EXPECT_LT(Darkest(px, l.width, l.items[3], 0, kMenuPadLeft), 3 * 0x30);
  EXPECT_EQ(Darkest(px, l.width, l.items[4], 0, kMenuPadLeft), Lum(kFace));
  // The arrow sits in the right pad of the item with a submenu only.
  const PlatMenuBox& more = l.items[4];
  EXPECT_LT(Darkest(px, l.width, more, more.w - kMenuPadRight, more.w), 3 * 0x30);
  EXPECT_EQ(Darkest(px, l.width, l.items[3], more.w - kMenuPadRight, more.w), Lum(kFace));
}

TEST(MenuDraw, HotGreyItemAndSeparatorAreNotLit) {
  if (!UiText_Ready()) GTEST_SKIP() << "no UI face installed";
  Sample s;
  PlatMenuLayout l = PlatMenu_LayoutPopup(s.menu);
  std::vector<uint32_t> none, grey, rule;
  PlatMenu_DrawPopup(s.menu, l, -1, &none);
  PlatMenu_DrawPopup(s.menu, l, 2, &grey);
  PlatMenu_DrawPopup(s.menu, l, 1, &rule);
  EXPECT_EQ(grey, none);
  EXPECT_EQ(rule, none);
}

// Golden files: "w h" then one line per row of runs "RRGGBB*count".
std::string GoldenPath(const char* name) {
  return std::string(TEST_SOURCE_DIR) + "/tests/platform/golden/" + name + ".txt";
}

void WriteGolden(const char* name, const std::vector<uint32_t>& px, int32_t w, int32_t h) {
  std::ofstream out(GoldenPath(name));
  out << w << " " << h << "\n";
  char buf[32];
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w;) {
      uint32_t p = At(px, w, x, y);
      int32_t n = 1;
      while (x + n < w && At(px, w, x + n, y) == p) ++n;
      std::snprintf(buf, sizeof buf, "%06X*%d ", unsigned(p), int(n));
      out << buf;
      x += n;
    }
    out << "\n";
  }
}

bool ReadGolden(const char* name, std::vector<uint32_t>* px, int32_t* w, int32_t* h) {
  std::ifstream in(GoldenPath(name));
  if (!(in >> *w >> *h)) return false;
  std::string run;
  while (in >> run) {
    size_t star = run.find('*');
    if (star == std::string::npos) return false;
    uint32_t p = uint32_t(std::stoul(run.substr(0, star), nullptr, 16));
    px->insert(px->end(), size_t(std::stoul(run.substr(star + 1))), p);
  }
  return px->size() == size_t(*w) * size_t(*h);
}

void CompareGolden(const char* name, const std::vector<uint32_t>& px, int32_t w, int32_t h) {
  if (const char* e = std::getenv("MENU_GOLDEN_WRITE"); e && *e == '1') {
    WriteGolden(name, px, w, h);
    return;
  }
  std::vector<uint32_t> want;
  int32_t gw = 0, gh = 0;
  ASSERT_TRUE(ReadGolden(name, &want, &gw, &gh)) << GoldenPath(name);
  ASSERT_EQ(gw, w);
  ASSERT_EQ(gh, h);
  size_t miss = 0;
  for (size_t i = 0; i < want.size(); ++i)
    for (int sh : {0, 8, 16})
      if (std::abs(int((px[i] >> sh) & 0xFF) - int((want[i] >> sh) & 0xFF)) > kChannelTolerance) {
        ++miss;
        break;
      }
  EXPECT_LE(double(miss), kMissRatio * double(want.size())) << name << ": " << miss << " pixels";
}

TEST(MenuDraw, PopupGolden) {
  if (!UiText_Ready()) GTEST_SKIP() << "no UI face installed";
  Sample s;
  PlatMenuLayout l = PlatMenu_LayoutPopup(s.menu);
  std::vector<uint32_t> px;
  PlatMenu_DrawPopup(s.menu, l, 0, &px);
  CompareGolden("menu_popup", px, l.width, l.height);
}

TEST(MenuDraw, BarGolden) {
  if (!UiText_Ready()) GTEST_SKIP() << "no UI face installed";
  PlatMenu bar;
  bar.items = {Item("ファイル", 1), Item("表示", 2), Item("ヘルプ", 3)};
  bar.items[2].grayed = true;
  PlatMenuLayout l = PlatMenu_LayoutBar(bar, 240);
  std::vector<uint32_t> px;
  PlatMenu_DrawBar(bar, l, 1, &px);
  ASSERT_EQ(px.size(), size_t(240) * kMenuBarHeight);
  EXPECT_EQ(At(px, 240, 0, kMenuBarHeight - 1), kRule);
  EXPECT_EQ(At(px, 240, l.items[1].x + 1, 1), kHot);
  EXPECT_EQ(At(px, 240, l.items[0].x + 1, 1), kFace);
  CompareGolden("menu_bar", px, 240, kMenuBarHeight);
}

}  // namespace
