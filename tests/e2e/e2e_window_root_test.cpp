// A script that deletes a window's root layer: the window forgets it, and
// later frames compose and present without touching the freed record (run
// under AddressSanitizer by scripts/test --sanitize).
#include "e2e/engine_game.h"
#include "graphics/cg_setup.h"

using namespace e2e;

namespace {

class E2eWindowRoot : public EngineGame {};

TEST_F(E2eWindowRoot, DeletingTheRootsOfWindowsZeroAndOneLeavesNoDanglingRoot) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Cmd("cgdel", {{"path", fx::Text(":W1/")}});
  s.Cmd("cgdel", {{"path", fx::Text(":W0/")}});
  // A layer made after the roots went: the frames go on composing.
  s.Cmd("cg", {{"path", fx::Text(":late")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  Idle(s);
  extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, Px(10, 20, 30)));
  ASSERT_EQ(Start(), 0);
  // Window 1's root, as the window commands make it: a group "W1" at the top.
  ASSERT_NE(Cg_Create("W1", 40, 30, 0, 0), nullptr);
  ObjNode* w1 = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "W1", kObjFindGroup | kObjFindQuiet);
  ASSERT_NE(w1, nullptr);
  Win_SetShownRoot(g_WindowRecs[1], w1);
  g_WindowRecs[1]->showAtFirstFrame = 1;
  ASSERT_NE(g_WindowRecs[0]->layerSet, nullptr);
  ASSERT_EQ(Frames(2), 2);
  ASSERT_NE(g_WindowRecs[0]->layerSet, nullptr);
  ASSERT_EQ(Frames(8), 8);
  EXPECT_EQ(g_WindowRecs[0]->layerSet, nullptr);
  EXPECT_EQ(g_WindowRecs[1]->layerSet, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_TRUE(boxes.empty());
}

// Window 1 shows window 0's root for a while and then a root of its own,
// all through the window command. Window 0 still shows ":W0/", so deleting
// it must still take it out of window 0; the drag layer deleted with it goes
// the same way.
TEST_F(E2eWindowRoot, RootThatAnotherWindowShowedAndLeftIsStillForgottenWhenDeleted) {
  fx::Scene& s = Main();
  s.Cmd("cg", {{"path", fx::Text("bg")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  s.Cmd("cg", {{"path", fx::Text(":W1/")}, {"w", fx::Int(40)}, {"h", fx::Int(30)}, {"order", fx::Int(2)}});
  s.Cmd("window", {{"index", fx::Int(1)}, {"title", fx::Text("sub")}, {"layer", fx::Text(":W0/")}});
  s.Cmd("window", {{"index", fx::Int(0)}, {"drag", fx::Text(":W0/bg.0")}});
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Cmd("window", {{"index", fx::Int(1)}, {"layer", fx::Text(":W1/")}});
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Cmd("cgdel", {{"path", fx::Text(":W0/")}});
  s.Cmd("cg", {{"path", fx::Text(":late")}, {"num", fx::Int(0)}, {"file", fx::Text("cg\\bg.png")}});
  Idle(s);
  extra["cg\\bg.png"] = imgfix::WritePng(Solid(160, 120, Px(10, 20, 30)));
  ASSERT_EQ(Start(), 0);
  ObjNode* w0 = g_WindowRecs[0]->layerSet;
  ASSERT_NE(w0, nullptr);
  ASSERT_EQ(Frames(2), 2);
  // Both windows show window 0's root, and the drag layer is set.
  ASSERT_EQ(g_WindowRecs[1]->layerSet, w0);
  ASSERT_NE(g_DragLayer, nullptr);
  ASSERT_EQ(Frames(2), 2);
  ObjNode* w1 = Obj_FindByPath(g_TreeRoots[kTreeLayer].root, "W1", kObjFindGroup | kObjFindQuiet);
  ASSERT_NE(w1, nullptr);
  ASSERT_EQ(g_WindowRecs[1]->layerSet, w1);
  ASSERT_EQ(g_WindowRecs[0]->layerSet, w0);
  ASSERT_EQ(Frames(8), 8);
  EXPECT_EQ(g_WindowRecs[0]->layerSet, nullptr);
  EXPECT_EQ(g_WindowRecs[1]->layerSet, w1);
  EXPECT_EQ(g_DragLayer, nullptr);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_TRUE(boxes.empty());
}

}  // namespace
