// The bundled demo game runs headless from start to its own end, reacts to
// Enter, and shows its pictures.
#include "e2e/demo_run.h"

using namespace e2e;

namespace {

TEST_F(E2eDemo, RunsToItsOwnEnd) {
  InstallDemo();
  ASSERT_EQ(Sys_Startup(), 0);
  // The walk's frames, the rest, then the frame whose end command quits.
  const int frames = demo::kWalkFrames + demo::kRestFrames;
  EXPECT_EQ(Frames(frames + 10), frames);
  EXPECT_EQ(g_FrameCounter, uint64_t(frames + 1));
  EXPECT_EQ(g_QuitRequested.load(), 1);
  int32_t w = 0, h = 0;
  std::vector<uint32_t> shown = Shown(&w, &h);
  ASSERT_EQ(w, int32_t(demo::kWidth));
  ASSERT_EQ(h, int32_t(demo::kHeight));
  // The top-left corner is the sky as the background image paints it.
  imgfix::Picture bg = demo::Background();
  uint32_t sky;
  std::memcpy(&sky, bg.At(0, 0), 4);
  EXPECT_TRUE(Near(shown[0] | 0xFF000000u, sky, 1));
  // The character (lighten mode over the hills) changed the pixels it
  // stands on: x = -60 + 2 * walk frames, y = 290; its head, above the
  // message window.
  int cx = -60 + 2 * demo::kWalkFrames + 48, cy = 290 + 28;
  ASSERT_LT(cy, demo::kBoxY);
  uint32_t under;
  std::memcpy(&under, bg.At(uint32_t(cx), uint32_t(cy)), 4);
  EXPECT_FALSE(Near(shown[size_t(cy) * demo::kWidth + size_t(cx)] | 0xFF000000u, under, 8));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(E2eDemo, EnterBrightensTheSun) {
  InstallDemo();
  ASSERT_EQ(Sys_Startup(), 0);
  ASSERT_EQ(Frames(5), 5);
  g_KeyCounters[13].counter = 7;
  if (Var_GetIntElement(demo::kVarKeys, 13) != 7)
    GTEST_SKIP() << "system variable 144 is not answered by the shell yet";
  g_KeyCounters[13].counter = 0;
  LayerImage* sun = Layer_Record(Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "W0/sun.0",
                                                kObjFindLeaf | kObjFindQuiet));
  ASSERT_NE(sun, nullptr);
  EXPECT_EQ(sun->opacity, 140);
  // A real key press on the focused main window: the platform's key state,
  // sampled by the poll and counted by the frame.
  PlatEvent focus;
  focus.msg = PlatMsg::Activate;
  focus.window = 0;
  focus.a = 1;
  Plat_PostEvent(focus);
  Plat_InjectKey(40 /* SDL_SCANCODE_RETURN */, true, 0);
  ASSERT_EQ(Frames(2), 2);
  Plat_InjectKey(40, false, 0);
  ASSERT_EQ(Frames(2), 2);
  EXPECT_EQ(Var_GetIntElement(demo::kVarReacted, 0), 1);
  EXPECT_EQ(sun->opacity, 256);
}

}  // namespace
