// The window commands 103 to 105 run from fixture scenes on headless windows,
// and the shape region as a pure function.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmd_game.h"
#include "graphics/graphics.h"
#include "platform/window.h"
#include "shell/wincmd.h"

namespace {

using cmdgame::ShellGame;
using fx::Int;
using fx::Text;

constexpr uint32_t kI = 1000, kD = 1001, kS = 1002;

void Vars(fx::Game& g) { g.IntVar(kI, {}, 7).DoubleVar(kD, {}, 7.0).TextVar(kS, {}, "seven"); }

void Window(fx::Scene& s, const std::vector<fx::Arg>& args) { s.Cmd("window", args); }

TEST(WindowCmd, NewSubWindowGetsItsDefaults) {
  ShellGame g(Vars, [](fx::Scene& s) { Window(s, {{"index", Int(1)}, {"title", Text("sub")}}); });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_TRUE(g.log.Empty()) << g.log.First();
  WindowRec* sub = g_WindowRecs[1];
  ASSERT_EQ(g_WindowState[1].load(), 1);
  ASSERT_NE(sub->handle, nullptr);
  EXPECT_EQ(sub->logicalW, 128);
  EXPECT_EQ(sub->logicalH, 128);
  EXPECT_EQ(sub->title, "sub");
  EXPECT_EQ(sub->closeMode.load(), 1);
  EXPECT_EQ(sub->alpha, 256u);
  EXPECT_TRUE(PlatWin_IsShown(sub->handle));
}

// Failing arguments: the error, and whether what came before stays.
TEST(WindowCmd, RefusedArgumentsByTable) {
  struct Case {
    const char* what;
    std::vector<fx::Arg> args;
    int32_t error;
  } cases[] = {
      {"sub window without a title", {{"index", Int(2)}, {"width", Int(50)}}, 101320},
      {"z-order 3 for the main window", {{"z", Int(3)}}, 101310},
      {"close mode 3 for the main window", {{"closemode", Int(3)}}, 101310},
      {"window index 4", {{"index", Int(4)}, {"title", Text("x")}}, 101210},
      {"window index -1", {{"index", Int(-1)}, {"title", Text("x")}}, 101220},
      {"missing layer set", {{"layer", Text("nosuch/")}}, 101250},
  };
  for (const Case& c : cases) {
    ShellGame g(Vars, [&](fx::Scene& s) { Window(s, c.args); });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_EQ(g.log.First(), c.error) << c.what;
    EXPECT_EQ(g_WindowState[2].load(), -1) << c.what;
  }
}

TEST(WindowCmd, AppliedValuesByTable) {
  struct Case {
    const char* what;
    std::function<void(fx::Scene&)> body;
    std::function<void(WindowRec*)> check;
  } cases[] = {
      {"a lone x keeps the stored y",
       [](fx::Scene& s) {
         Window(s, {{"x", Int(10)}, {"y", Int(20)}});
         Window(s, {{"x", Int(30)}});
       },
       [](WindowRec* r) {
         EXPECT_EQ(r->x, 30);
         EXPECT_EQ(r->y, 20);
       }},
      {"an empty title is one blank", [](fx::Scene& s) { Window(s, {{"title", Text("")}}); },
       [](WindowRec* r) { EXPECT_EQ(r->title, " "); }},
      {"a long title is cut to its buffer",
       [](fx::Scene& s) { Window(s, {{"title", Text(std::string(400, 'a'))}}); },
       [](WindowRec* r) { EXPECT_EQ(r->title.size(), kWinTitleBytes - 1); }},
      {"the logical size follows ids 7 and 8",
       [](fx::Scene& s) { Window(s, {{"width", Int(320)}, {"height", Int(240)}}); },
       [](WindowRec* r) {
         EXPECT_EQ(r->logicalW, 320);
         EXPECT_EQ(r->logicalH, 240);
         EXPECT_EQ(r->present.clientW, 320);
       }},
      // A size of 0 or less would divide by zero later: it becomes 1.
      {"sizes of 0 and less are made 1",
       [](fx::Scene& s) { Window(s, {{"width", Int(0)}, {"height", Int(-5)}}); },
       [](WindowRec* r) {
         EXPECT_EQ(r->logicalW, 1);
         EXPECT_EQ(r->logicalH, 1);
       }},
      {"alpha is kept as given", [](fx::Scene& s) { Window(s, {{"alpha", Int(300)}}); },
       [](WindowRec* r) { EXPECT_EQ(r->alpha, 300u); }},
      {"close mode and allowed bytes",
       [](fx::Scene& s) {
         Window(s, {{"closemode", Int(2)}, {"maxallowed", Int(0)}, {"minallowed", Int(0)}});
       },
       [](WindowRec* r) {
         EXPECT_EQ(r->closeMode.load(), 2);
         EXPECT_EQ(r->maximizeAllowed, 0);
         EXPECT_EQ(r->minimizeAllowed, 0);
       }},
      {"maximise box off and on",
       [](fx::Scene& s) { Window(s, {{"maxbox", Int(0)}}); },
       [](WindowRec* r) { EXPECT_EQ(r->style & kWsMaximizeBox, 0u); }},
  };
  for (const Case& c : cases) {
    ShellGame g(Vars, c.body);
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    SCOPED_TRACE(c.what);
    c.check(g.rec);
  }
}

TEST(WindowCmd, SizesAreIgnoredWhileMaximised) {
  ShellGame g(Vars, [](fx::Scene& s) {
    Window(s, {{"width", Int(320)}, {"clientwidth", Int(200)}});
    Window(s, {{"index", Int(1)}, {"title", Text("s")}, {"width", Int(50)}});
  });
  ASSERT_TRUE(g.loaded);
  g_MainSize.maximized = 1;
  g.Run();
  g_MainSize.maximized = 0;
  EXPECT_EQ(g.rec->logicalW, 800);
  EXPECT_EQ(g_WindowRecs[1]->logicalW, 128);
}

// A wrong path leaves the set shown so far in place.
TEST(WindowCmd, MissingLayerSetKeepsTheShownSet) {
  ShellGame g(Vars, [](fx::Scene& s) { Window(s, {{"layer", Text("nosuch/")}}); });
  ASSERT_TRUE(g.loaded);
  ObjNode* node = Obj_NewNode("shown", 5, kObjKindGroup, nullptr);
  LayerImage* r = Obj_GetImageRecord(node);
  ASSERT_NE(r, nullptr);
  r->shown = 1;
  g.rec->layerSet = node;
  g.Run();
  EXPECT_EQ(g.log.First(), 101250);
  EXPECT_EQ(g.rec->layerSet, node);
  EXPECT_EQ(r->shown, 1);
  g.rec->layerSet = nullptr;
  Obj_FreeSubtree(kTreeLayer, node);
}

TEST(WindowCmd, HideRefusesTheMainWindow) {
  ShellGame g(Vars, [](fx::Scene& s) {
    Window(s, {{"index", Int(1)}, {"title", Text("s")}});
    s.Cmd("windowhide", {{"index", Int(1)}});
    s.Cmd("windowhide", {{"index", Int(0)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(g.log.First(), 101330);
  EXPECT_FALSE(PlatWin_IsShown(g_WindowRecs[1]->handle));
  EXPECT_NE(g.rec->handle, nullptr);
}

TEST(WindowInfo, AnswersByTable) {
  struct Case {
    const char* what;
    std::vector<fx::Arg> args;
    int64_t wantInt;       // into the int variable (7 = untouched)
    std::string wantText;  // into the text variable by the same query
  } cases[] = {
      {"exists", {{"exists", Int(0)}}, 1, "seven"},
      {"the first query in the table's order", {{"width", Int(0)}, {"alpha", Int(0)}}, 256, "256"},
      {"logical height", {{"height", Int(0)}}, 600, "600"},
      {"show byte", {{"show", Int(0)}}, 0, "0"},
      {"title only into text", {{"title", Int(0)}}, 7, "test"},
      {"no query writes nothing", {}, 7, "seven"},
      {"a missing window writes zeros", {{"index", Int(3)}, {"exists", Int(0)}}, 0, ""},
      {"minimised", {{"minimized", Int(0)}}, 0, "seven"},
  };
  for (const Case& c : cases) {
    ShellGame g(Vars, [&](fx::Scene& s) {
      std::vector<fx::Arg> a = c.args;
      a.push_back({"target", fx::Var(kI)});
      s.Cmd("windowinfo", a);
      std::vector<fx::Arg> b = c.args;
      b.push_back({"target", fx::Var(kS)});
      s.Cmd("windowinfo", b);
    });
    ASSERT_TRUE(g.loaded) << c.what;
    g.Run();
    EXPECT_EQ(Var_GetIntElement(kI, 0), c.wantInt) << c.what;
    const char* t = Var_GetStringElement(kS, 0);
    // Yes/no answers into a text variable are error 101140.
    bool flag = c.what == std::string("exists") || c.what == std::string("minimised");
    if (flag) EXPECT_EQ(g.log.First(), 101140) << c.what;
    else EXPECT_TRUE(g.log.Empty()) << c.what << ": " << g.log.First();
    EXPECT_EQ(std::string(t ? t : "<null>"), c.wantText) << c.what;
  }
}

TEST(WindowInfo, MissingWindowWritesZeroIntoADouble) {
  ShellGame g(Vars, [](fx::Scene& s) {
    s.Cmd("windowinfo", {{"index", Int(2)}, {"alpha", Int(0)}, {"target", fx::Var(kD)}});
  });
  ASSERT_TRUE(g.loaded);
  g.Run();
  EXPECT_EQ(Var_ReadFloatElement(kD, 0), 0.0);
}

uint32_t Px(bool black) { return black ? 0xFF000000u : 0xFF102030u; }

TEST(Region, RunsOfNonBlackPixels) {
  // Row 0: . X X . X   row 1: all black   row 2: X X X X X (black = '.')
  const char* rows[] = {".XX.X", ".....", "XXXXX"};
  std::vector<uint32_t> px;
  for (const char* r : rows)
    for (const char* c = r; *c; ++c) px.push_back(Px(*c == '.'));
  std::vector<RgnRect> got =
      Rgn_FromNonBlack(reinterpret_cast<const uint8_t*>(px.data()), 5, 3);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].x0, 1); EXPECT_EQ(got[0].x1, 3); EXPECT_EQ(got[0].y0, 0); EXPECT_EQ(got[0].y1, 1);
  EXPECT_EQ(got[1].x0, 4); EXPECT_EQ(got[1].x1, 5);
  EXPECT_EQ(got[2].x0, 0); EXPECT_EQ(got[2].x1, 5); EXPECT_EQ(got[2].y0, 2);
  // Black with less than full alpha is part of the shape.
  uint32_t clear = 0x00000000u;
  EXPECT_EQ(Rgn_FromNonBlack(reinterpret_cast<const uint8_t*>(&clear), 1, 1).size(), 1u);
}

// A shape of more than 2000 runs is kept whole rather than dropped.
TEST(Region, ManyRunsAreAllKept) {
  std::vector<uint32_t> px(4001);
  for (size_t i = 0; i < px.size(); ++i) px[i] = Px(i % 2 == 1);
  EXPECT_EQ(Rgn_FromNonBlack(reinterpret_cast<const uint8_t*>(px.data()), 4001, 1).size(), 2001u);
}

}  // namespace
