// The assignment and declaration commands run from fixture scenes.
#include <gtest/gtest.h>

#include <functional>

#include "scene_testutil.h"

namespace {

// Runs `body` in the system task of a game with a few variables: 1000 int,
// 1001 int[4], 1002 double, 1003 text, 1004 text[2], 53 (the call values)
// and 49 (read-only).
struct GameRun {
  explicit GameRun(const std::function<void(fx::Scene&)>& body, const std::function<void(fx::Game&)>& more = {}) {
    g_QuitRequested = 0;  // cases of a table run in one process
    fx::Game g;
    g.IntVar(1000, {}, 10).IntVar(1001, {4}, 1).DoubleVar(1002, {}, 1.5).TextVar(1003, {}, "ab");
    g.TextVar(1004, {2}, "x").IntVar(53, {17}).IntVar(49).IntVar(1005).IntVar(1006).IntVar(1007);
    if (more) more(g);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(2);
  }
  int loaded;
  ErrCapture log;
};

TEST(Let, IntegerElementWithEachOperator) {
  struct Case {
    uint8_t op;
    int64_t v, want;
  } cases[] = {{0, 3, 3}, {1, 3, 13}, {2, 3, 7}, {3, 3, 30}, {4, 3, 3}, {4, 0, 10},
               {5, 3, 1}, {5, 0, 10}, {6, 6, 2}, {7, 5, 15}, {8, 3, 9}};
  for (const auto& c : cases) {
    GameRun r([&](fx::Scene& s) { s.Let(fx::Var(1000), fx::Int(c.v), c.op); });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(IntVar(1000), c.want) << int(c.op);
    EXPECT_TRUE(r.log.Empty()) << r.log.First();
    Script_FreeAll();
  }
}

TEST(Let, ElementsDoublesAndTexts) {
  GameRun r([](fx::Scene& s) {
    s.Let(fx::Elem(1001, {fx::Int(2)}), fx::Int(5));
    s.Let(fx::Elem(1001, {fx::Int(3)}), fx::Asm("H$1000 L2 *"));
    s.Let(fx::Var(1002), fx::Asm("L7 L2 /"), fx::kOpAdd);  // always double arithmetic
    s.Let(fx::Var(1003), fx::Text("cd"), 1);                 // append
    s.Let(fx::Elem(1004, {fx::Int(1)}), fx::Text("new"));
    s.Let(fx::Elem(1001, {fx::Int(9)}), fx::Int(5));        // beyond: 107010
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(1001, 2), 5);
  EXPECT_EQ(IntVar(1001, 3), 20);
  EXPECT_DOUBLE_EQ(DblVar(1002), 5.0);
  EXPECT_EQ(StrVar(1003), "abcd");
  EXPECT_EQ(StrVar(1004, 1), "new");
  EXPECT_EQ(StrVar(1004, 0), "x");
  EXPECT_EQ(r.log.First(), 107010);
}

TEST(Let, WholeVariableRefillsEveryElement) {
  GameRun r([](fx::Scene& s) {
    s.Let(fx::Whole(1001), fx::Int(8));
    s.Let(fx::Whole(1004), fx::Text("all"));
  });
  ASSERT_EQ(r.loaded, 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(IntVar(1001, i), 8);
  EXPECT_EQ(g_VarTable.vars[1001].count, 4);
  EXPECT_EQ(StrVar(1004, 0), "all");
  EXPECT_EQ(StrVar(1004, 1), "all");
}

TEST(Let, ErrorsByTarget) {
  struct Case {
    const char* what;
    std::function<void(fx::Scene&)> body;
    int err;
  } cases[] = {
      {"text with operator 2", [](fx::Scene& s) { s.Let(fx::Var(1003), fx::Text("x"), 2); }, 101140},
      {"operator 9", [](fx::Scene& s) { s.Let(fx::Var(1000), fx::Int(1), 9); }, 101140},
      {"read-only system variable", [](fx::Scene& s) { s.Let(fx::Var(49), fx::Int(1)); }, 101150},
      {"no variable", [](fx::Scene& s) { s.Let(fx::Int(3), fx::Int(1)); }, 101150},
      {"through 50 to a double", [](fx::Scene& s) { s.Let(fx::Elem(50, {fx::Var(1002, '#')}), fx::Int(1)); }, 108230},
      {"through 51 to an int", [](fx::Scene& s) { s.Let(fx::Elem(51, {fx::Var(1000, '#')}), fx::Int(1)); }, 108230},
      {"undeclared user variable", [](fx::Scene& s) { s.Let(fx::Var(1010), fx::Int(1)); }, 108010},
  };
  for (const auto& c : cases) {
    GameRun r(c.body);
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(r.log.First(), c.err) << c.what;
    Script_FreeAll();
  }
}

TEST(Let, ThroughFiftyAndFiftyOne) {
  GameRun r([](fx::Scene& s) {
    s.Let(fx::Elem(50, {fx::Elem(1001, {fx::Int(2)}, '#')}), fx::Int(4), fx::kOpAdd);
    s.Let(fx::Elem(51, {fx::Var(1002, '#')}), fx::Dbl(0.25), fx::kOpAdd);
    s.Let(fx::Var(1000), fx::Elem(50, {fx::Elem(1001, {fx::Int(2)}, '#')}));
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(1001, 2), 5);
  EXPECT_DOUBLE_EQ(DblVar(1002), 1.75);
  EXPECT_EQ(IntVar(1000), 5);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

TEST(Let, CallValuesThroughFiftyThree) {
  GameRun r([](fx::Scene& s) {
    s.Call("sub", {fx::Int(5), fx::Int(6)});
    s.Jump("done");
    s.Label("sub");
    s.Let(fx::Elem(53, {fx::Int(1)}), fx::Int(2), fx::kOpMul);
    s.Let(fx::Var(1005), fx::Elem(53, {fx::Int(1)}));
    s.Let(fx::Var(1006), fx::Elem(53, {fx::Int(2)}));
    s.Let(fx::Elem(53, {fx::Int(9)}), fx::Int(2));  // beyond the count: nothing
    s.Let(fx::Var(1007), fx::Elem(53, {fx::Int(9)}));
    s.Return();
    s.Label("done");
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(1005), 10);
  EXPECT_EQ(IntVar(1006), 6);
  EXPECT_EQ(IntVar(1007), 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

TEST(Dim, DeclarationsRebuildTheVariable) {
  GameRun r([](fx::Scene& s) {
    s.Dim(fx::Elem(1001, {fx::Int(3), fx::Int(4)}), fx::Int(9));
    s.DimFloat(fx::Var(1002), fx::Dbl(0.5));
    s.DimStr(fx::Elem(1003, {fx::Int(2)}), fx::Text("t"));
    s.Dim(fx::Elem(1000, {fx::Int(2000), fx::Int(2000)}), fx::Int(1));
  });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(g_VarTable.vars[1001].count, 12);
  EXPECT_EQ(g_VarTable.vars[1001].dimCount, 2);
  EXPECT_EQ(IntVar(1001, 11), 9);
  EXPECT_DOUBLE_EQ(DblVar(1002), 0.5);
  EXPECT_EQ(StrVar(1003, 1), "t");
  EXPECT_EQ(g_VarTable.vars[1000].count, 4000000);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

TEST(Dim, SizeErrors) {
  struct Case {
    std::vector<int64_t> dims;
    int err;
  } cases[] = {{{2001, 2000}, 101100}, {{0}, 101110}, {{-1}, 101110}, {{int64_t(1) << 33}, 101100}};
  for (const auto& c : cases) {
    GameRun r([&](fx::Scene& s) {
      std::vector<fx::Expr> idx;
      for (int64_t d : c.dims) idx.push_back(fx::Int(d));
      s.Dim(fx::Elem(1001, idx), fx::Int(1));
    });
    ASSERT_EQ(r.loaded, 0);
    EXPECT_EQ(r.log.First(), c.err);
    Script_FreeAll();
  }
}

}  // namespace

namespace {

TEST(Let, WritableSystemVariables) {
  GameRun r(
      [](fx::Scene& s) {
        s.Let(fx::Var(415), fx::Int(13));                    // button 0 -> Enter
        s.Let(fx::Var(1005), fx::Var(415));
        s.Let(fx::Elem(144, {fx::Int(13)}), fx::Int(-5));    // key up: a negative value stays
        s.Let(fx::Var(1006), fx::Elem(144, {fx::Int(13)}));
        s.Let(fx::Var(147), fx::Int(4));                     // key up: a positive value clears
        s.Let(fx::Var(1007), fx::Var(147));
      },
      [](fx::Game& g) { g.IntVar(415).IntVar(147).IntVar(144, {1024}); });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_EQ(IntVar(1005), 13);
  EXPECT_EQ(IntVar(1006), -5);
  EXPECT_EQ(IntVar(1007), 0);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

}  // namespace
