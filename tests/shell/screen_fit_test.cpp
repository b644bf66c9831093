// Shown size by fit mode and the full-screen mode choice over mode lists.
#include <gtest/gtest.h>

#include "platform/displays.h"
#include "shell/shell.h"

namespace {

TEST(ScreenFit, ShownSizeTable) {
  struct Case { int32_t a, b, c, d, fit; bool maximized; int32_t w, h; };
  const Case cases[] = {
      {800, 600, 1920, 1080, 1, false, 1440, 1080},  // contain
      {800, 600, 1920, 1080, 2, false, 1920, 1440},  // cover, never halved
      {800, 600, 1920, 1080, 3, false, 1920, 1080},  // stretch
      {800, 600, 1920, 1080, 0, false, 800, 600},    // one to one
      {800, 600, 800, 1000, 1, false, 800, 600},     // taller target: width fills
      {800, 600, 800, 1000, 2, false, 1333, 1000},
      {800, 600, 1920, 1080, 0, true, 1440, 1080},   // maximised window: contain
      {800, 600, 2000, 1200, 3, false, 960, 540},    // larger than the desktop: halved
      {2560, 1440, 2560, 1440, 0, false, 960, 540},
  };
  for (const Case& c : cases) {
    int32_t w = 0, h = 0;
    Screen_ShownSizeFor(c.a, c.b, c.c, c.d, c.fit, c.maximized, 1920, 1080, &w, &h);
    EXPECT_EQ(w, c.w) << "fit " << c.fit << " target " << c.c << "x" << c.d;
    EXPECT_EQ(h, c.h) << "fit " << c.fit << " target " << c.c << "x" << c.d;
  }
}

TEST(ScreenModeChoice, SmallestModeOfTheAspectHoldingThePicture) {
  const std::vector<PlatDisplayMode> modes = {
      {1920, 1080, 32, 60}, {1280, 720, 32, 60}, {1024, 576, 32, 60},
      {1366, 768, 32, 60},  {1024, 768, 32, 60}, {1600, 900, 16, 60}};
  int32_t w = 0, h = 0;
  ASSERT_TRUE(Screen_ChooseMode(modes, 1920, 1080, 800, 600, 32, &w, &h));
  EXPECT_EQ(w, 1280);  // 1024 x 576 is too low for 600 rows
  EXPECT_EQ(h, 720);
  ASSERT_TRUE(Screen_ChooseMode(modes, 1920, 1080, 1300, 700, 32, &w, &h));
  EXPECT_EQ(w, 1920);  // 1600 x 900 has the wrong depth
  EXPECT_FALSE(Screen_ChooseMode(modes, 1920, 1080, 2000, 1200, 32, &w, &h));
  EXPECT_FALSE(Screen_ChooseMode(modes, 1920, 0, 800, 600, 32, &w, &h));
  EXPECT_FALSE(Screen_ChooseMode({}, 1920, 1080, 800, 600, 32, &w, &h));
  EXPECT_FALSE(Screen_ChooseMode(modes, 1280, 1024, 640, 480, 32, &w, &h));  // no 5:4 mode
}

}  // namespace
