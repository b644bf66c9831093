// Pure size rules of the main window: sizing edges, tracking sizes, snapping.
#include <gtest/gtest.h>

#include "shell/shell.h"

namespace {

struct SizingCase {
  int32_t edge;
  WinRect in;
  WinRect out;
};

TEST(WindowSizing, EdgesKeepTheLogicalAspect) {
  // 800 x 600 picture, frame 16 x 39.
  const SizingCase cases[] = {
      {kEdgeRight, {0, 0, 1016, 639}, {0, 0, 1016, 789}},         // width asks for height
      {kEdgeLeft, {-200, 0, 816, 639}, {-200, 0, 816, 789}},
      {kEdgeBottom, {0, 0, 816, 939}, {0, 0, 1216, 939}},         // height asks for width
      {kEdgeTop, {0, -300, 816, 639}, {0, -300, 1216, 639}},
      {kEdgeBottomRight, {0, 0, 816, 939}, {0, 0, 1216, 939}},    // dW > 0: widen
      {kEdgeBottomRight, {0, 0, 1016, 639}, {0, 0, 1016, 789}},   // dW <= 0: bottom moves
      {kEdgeBottomLeft, {0, 0, 816, 939}, {-400, 0, 816, 939}},
      {kEdgeTopLeft, {100, 100, 1116, 739}, {100, -50, 1116, 739}},
      {kEdgeTopRight, {0, 0, 816, 939}, {0, 0, 1216, 939}},
      {0, {0, 0, 1016, 639}, {0, 0, 1016, 639}},                  // unknown edge: untouched
  };
  for (const SizingCase& c : cases) {
    WinRect r = c.in;
    Win_OnSizing(c.edge, &r, 800, 600, 16, 39);
    EXPECT_EQ(r.left, c.out.left) << "edge " << c.edge;
    EXPECT_EQ(r.top, c.out.top) << "edge " << c.edge;
    EXPECT_EQ(r.right, c.out.right) << "edge " << c.edge;
    EXPECT_EQ(r.bottom, c.out.bottom) << "edge " << c.edge;
  }
}

TEST(WindowSizing, ZeroHeightPictureCountsAsSquare) {
  WinRect r{0, 0, 500, 300};
  Win_OnSizing(kEdgeRight, &r, 800, 0, 0, 0);
  EXPECT_EQ(r.bottom, 500);
}

TEST(WindowTracking, LandscapeAndPortraitOnFullHd) {
  struct Case { int32_t lw, lh, fw, fh, minW, minH, maxW, maxH; };
  const Case cases[] = {
      {800, 600, 0, 0, 200, 150, 1440, 1080},
      {800, 600, 16, 39, 216, 189, 1456, 1119},
      {600, 800, 0, 0, 112, 150, 607, 810},    // m is the smaller side of 810 x 1080
      {600, 800, 10, 30, 122, 180, 617, 840},
      {1920, 1080, 0, 0, 480, 270, 1920, 1080},
  };
  for (const Case& c : cases) {
    WinTrackSizes t;
    ASSERT_TRUE(Win_TrackSizes(c.lw, c.lh, 1920, 1080, c.fw, c.fh, &t));
    EXPECT_EQ(t.minW, c.minW) << c.lw << "x" << c.lh;
    EXPECT_EQ(t.minH, c.minH) << c.lw << "x" << c.lh;
    EXPECT_EQ(t.maxW, c.maxW) << c.lw << "x" << c.lh;
    EXPECT_EQ(t.maxH, c.maxH) << c.lw << "x" << c.lh;
  }
}

TEST(WindowTracking, UnknownFrameGivesNothing) {
  WinTrackSizes t;
  EXPECT_FALSE(Win_TrackSizes(800, 600, 1920, 1080, -1, 0, &t));
}

TEST(WindowSnap, ResizeSnapsToTheAspect) {
  struct Case { int32_t w, h, ew, eh; };
  const Case cases[] = {
      {1000, 600, 800, 600},   // too wide: width follows the height
      {800, 900, 800, 600},    // too high: height follows the width
      {801, 600, 800, 600},    // a pixel too wide
      {800, 601, 800, 600},    // a pixel too high
      {799, 600, 799, 599},    // 599.25 rounds down
      {1024, 768, 1024, 768},  // exact
  };
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    Win_SnapClient(800, 600, &w, &h);
    EXPECT_EQ(w, c.ew) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.eh) << c.w << "x" << c.h;
  }
}

TEST(WindowChildren, ChildRectFollowsThePicture) {
  ASSERT_EQ(Win_CreateMain(), 0);
  g_WindowRecs[0]->logicalW = 800;
  g_WindowRecs[0]->logicalH = 600;
  g_Screen.screenW = 1920;
  g_Screen.screenH = 1080;
  g_Screen.shownW = 1440;
  g_Screen.shownH = 1080;
  WinChildRect r = Win_ScaleChildRect(1440.0 / 800, 1080.0 / 600, {100, 50, 400, 300});
  EXPECT_EQ(r.x, 180 + 240);  // scaled plus the centring offset
  EXPECT_EQ(r.y, 90);
  EXPECT_EQ(r.w, 720);
  EXPECT_EQ(r.h, 540);
}

}  // namespace
