// Expressions run end to end: a fixture game assigns a table of expressions
// to variables through Script_LoadAll and the task runner, and arrays of up
// to eight dimensions are declared, written and read back.
#include <gtest/gtest.h>

#include "scene_testutil.h"

namespace {

struct IntRow {
  const char* src;
  uint8_t type;
  int64_t want;
};

TEST(ExprScene, TableOfExpressionsThroughAssignments) {
  const IntRow rows[] = {
      {"L7 L2 /", 1, 3},          {"L-7 L2 %", 1, -1},        {"L7 L0 /", 1, 0},
      {"L6 L3 A L1 O", 1, 3},     {"L6 L3 ^", 1, 5},          {"L2 L3 & L0 |", 1, 1},
      {"L3 L4 < L4 L3 > &", 1, 1},{"L3 L3 Z L3 L4 S +", 1, 2},{"L5 R L1 -", 1, -6},
      {"F2.9", 2, 2},             {"F2.5 F2 *", 2, 5},        {"L7 L2 %", 2, 7},
      {"M\"41\" i L1 +", 1, 42},  {"M\"0x10\" i", 1, 16},     {"M\"x\" M\"x\" =", 1, 1},
      {"H$2000 L1 +", 1, 11},     {"V$2001 L1 L2 ) L1 +", 1, 7},
  };
  fx::Game g;
  g.IntVar(2000, {}, 10).IntVar(2001, {2, 3}, 6);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  uint16_t var = 1000;
  for (const IntRow& r : rows) {
    g.IntVar(var);
    s.Let(fx::Var(var), fx::Asm(r.src, r.type));
    ++var;
  }
  g.TextVar(1900).TextVar(1901).TextVar(1902);
  s.Let(fx::Var(1900), fx::Asm("M\"ab\" L12 s +", fx::kTypeText));
  s.Let(fx::Var(1901), fx::Asm("F0.5 s", fx::kTypeTextDouble));
  s.Let(fx::Var(1902), fx::Asm("M\"a\\\\b\\tc\"", fx::kTypeText));
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0) << log.First();
  RunFrames(1);
  var = 1000;
  for (const IntRow& r : rows) EXPECT_EQ(IntVar(var++), r.want) << r.src;
  EXPECT_EQ(StrVar(1900), "ab12");
  EXPECT_EQ(StrVar(1901), "0.500000");
  EXPECT_EQ(StrVar(1902), "a\\b\tc");
  EXPECT_TRUE(log.Empty()) << log.First();
}

TEST(ExprScene, ArraysOfEightDimensions) {
  fx::Game g;
  g.IntVar(1000).IntVar(1001).IntVar(1002);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  auto idx = [](std::vector<int64_t> v) {
    std::vector<fx::Expr> e;
    for (int64_t x : v) e.push_back(fx::Int(x));
    return e;
  };
  s.Dim(fx::Elem(1000, idx({2, 3, 2, 2, 2, 2, 2, 5})), fx::Int(1));
  s.Let(fx::Elem(1000, idx({1, 2, 1, 1, 1, 1, 1, 4})), fx::Int(77));
  s.Let(fx::Var(1001), fx::Elem(1000, idx({1, 2, 1, 1, 1, 1, 1, 4})));
  s.Let(fx::Var(1002), fx::Elem(1000, idx({0, 0, 0, 0, 0, 0, 0, 0})));
  s.Let(fx::Elem(1000, idx({1, 3, 0, 0, 0, 0, 0, 0})), fx::Int(5));  // 3 is past dimension 2
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0);
  RunFrames(1);
  EXPECT_EQ(g_VarTable.vars[1000].dimCount, 8);
  EXPECT_EQ(g_VarTable.vars[1000].count, 2 * 3 * 2 * 2 * 2 * 2 * 2 * 5);
  EXPECT_EQ(IntVar(1001), 77);
  EXPECT_EQ(IntVar(1002), 1);
  EXPECT_EQ(IntVar(1000, g_VarTable.vars[1000].count - 1), 77);
  EXPECT_EQ(log.First(), 107010);
}

}  // namespace
