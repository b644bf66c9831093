// Command 62, the array formula, run from fixture scenes.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "scene_testutil.h"

namespace {

constexpr uint32_t kA = 1000, kD = 1001, kShort = 1002;

// A int[8] and D double[35] (1002: double[33]) filled from the maps; every
// result element starts at -1.
struct FormulaRun {
  FormulaRun(const std::map<int, int64_t>& a, const std::map<int, double>& d,
             const std::function<void(fx::Scene&)>& body) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(kA, {8}).DoubleVar(kD, {35}, -1).DoubleVar(kShort, {33}, -1);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    for (auto [k, v] : a) s.Let(fx::Elem(kA, {fx::Int(k)}), fx::Int(v));
    for (int k = 3; k <= 30; ++k) {
      auto it = d.find(k);
      double v = it == d.end() ? 0.0 : it->second;
      s.Let(fx::Elem(kD, {fx::Int(k)}), fx::Dbl(v));
      s.Let(fx::Elem(kShort, {fx::Int(k)}), fx::Dbl(v));
    }
    body(s);
    EndWithWait(s);
    loaded = LoadGame(g);
    if (loaded == 0) RunFrames(1);
  }
  int loaded;
  ErrCapture log;
};

void Formula(fx::Scene& s, uint32_t d = kD) {
  s.Cmd("arrayformula", {{"ints", fx::Var(kA)}, {"doubles", fx::Var(d)}});
}

// D[k] = 1.5 k - 20 for k = 3..30.
std::map<int, double> Ramp() {
  std::map<int, double> d;
  for (int k = 3; k <= 30; ++k) d[k] = k * 1.5 - 20;
  return d;
}

TEST(ArrayFormula, ResultsByBranch) {
  struct Case {
    const char* what;
    std::map<int, int64_t> a;
    std::map<int, double> d;
    double want[4];
  } cases[] = {
      {"all zero, A1 = A2", {{5, 7}, {6, -3}}, {}, {3.5, -1.5, 0, 0}},
      {"D27 100, D16 50", {{5, 0}}, {{27, 100}, {16, 50}}, {0, 0, 100, 0}},
      {"A7 set", {{7, 1}}, {{13, 10}, {18, 4}, {16, 50}, {14, 3}, {19, 2}, {17, 25}}, {8, 2.5, 50, 25}},
      {"ramp, A1 = A2", {{1, 3}, {2, 3}, {5, 11}, {6, -7}}, Ramp(),
       {-113.5416508382146, -167.71451115075612, 4.9416745485077165, 6.79480250419811}},
      {"ramp, A1 != A2, A4 0", {{1, 3}, {2, 4}, {5, 11}, {6, -7}}, Ramp(),
       {-137.00313227536506, -170.6516843098579, 4.9416745485077165, 6.79480250419811}},
      {"ramp, A1 != A2, A4 1", {{1, 3}, {2, 4}, {4, 1}, {5, 11}, {6, -7}}, Ramp(),
       {-9.851351143000736, -5.641841578859877, 4.500233938755238, 6.1878216657884515}},
      {"ramp, A7 set", {{1, 3}, {2, 4}, {4, 1}, {7, 2}}, Ramp(), {-0.78, 0.5325, 4.0, 5.5}},
  };
  for (const auto& c : cases) {
    FormulaRun r(c.a, c.d, [](fx::Scene& s) { Formula(s); });
    ASSERT_EQ(r.loaded, 0);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(DblVar(kD, 31 + k), c.want[k], 1e-9) << c.what << " D" << 31 + k;
    EXPECT_TRUE(r.log.Empty()) << r.log.First();
    Script_FreeAll();
  }
}

TEST(ArrayFormula, ShortArrayGetsOnlyTheElementsItHas) {
  FormulaRun r({{5, 4}, {6, 8}}, {}, [](fx::Scene& s) { Formula(s, kShort); });
  ASSERT_EQ(r.loaded, 0);
  EXPECT_DOUBLE_EQ(DblVar(kShort, 31), 2);
  EXPECT_DOUBLE_EQ(DblVar(kShort, 32), 4);
  EXPECT_EQ(g_VarTable.vars[kShort].count, 33);
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

TEST(ArrayFormula, MissingArgumentDoesNothing) {
  FormulaRun r({{5, 4}}, {}, [](fx::Scene& s) {
    s.Cmd("arrayformula", {{"ints", fx::Var(kA)}});
    s.Cmd("arrayformula", {{"doubles", fx::Var(kD)}});
  });
  ASSERT_EQ(r.loaded, 0);
  for (int k = 31; k <= 34; ++k) EXPECT_DOUBLE_EQ(DblVar(kD, k), -1) << k;
  EXPECT_TRUE(r.log.Empty()) << r.log.First();
}

}  // namespace
