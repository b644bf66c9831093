// Pre-decoded integer assignments: every planned shape gives exactly what
// the general evaluator gives for the same expression (a trailing ',' token,
// a no-op, keeps an expression off the plan and serves as the reference),
// and whatever the plan cannot do at run time falls back to the general way.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>

#include "scene_testutil.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// The same expression made unplannable without changing its value.
fx::Expr Unplanned(const fx::Expr& e) {
  fx::Expr u = e;
  u.bytes += fx::Token(',');
  return u;
}

// What a game leaves behind after one assignment to `target`: its value in
// every reading, the first error, and how many instructions ran planned.
struct Outcome {
  int64_t i = 0;
  double d = 0;
  std::string s;
  int err = 0;
  int planned = 0;
};

// Variables: 1000 a, 1001 b (ints), 1002 double 2.75, 1003 double 0,
// 1004 text "t", 1005 int target; 1006 stays undeclared.
Outcome RunLet(int64_t a, int64_t b, int64_t init, uint32_t target, const fx::Expr& value, uint8_t op,
            const std::function<void(fx::Scene&)>& before = {}) {
  g_QuitRequested = 0;
  ErrCapture log;
  fx::Game g;
  g.IntVar(1000, {}, a).IntVar(1001, {}, b).DoubleVar(1002, {}, 2.75).DoubleVar(1003);
  g.TextVar(1004, {}, "t").IntVar(1005, {}, init).IntVar(1007);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  if (before) before(s);
  s.Let(fx::Var(int32_t(target)), value, op);
  EndWithWait(s);
  Outcome o;
  EXPECT_EQ(LoadGame(g), 0);
  const SceneCode* code = Scene_Code(0);
  for (uint32_t k = 0; code && k < code->count; ++k) o.planned += code->handlers[1][k] == Cmd_LetPlanned;
  RunFrames(2);
  const Variable& v = g_VarTable.vars[target];
  o.i = v.type == 1 ? IntVar(target) : 0;
  o.d = v.type == 2 ? DblVar(target) : 0;
  o.s = v.type == 3 ? StrVar(target) : "";
  o.err = log.First();
  Script_FreeAll();
  return o;
}

void ExpectSame(const Outcome& planned, const Outcome& general, const std::string& what) {
  EXPECT_EQ(planned.i, general.i) << what;
  EXPECT_EQ(planned.d, general.d) << what;
  EXPECT_EQ(planned.s, general.s) << what;
  EXPECT_EQ(planned.err, general.err) << what;
  EXPECT_EQ(general.planned, 0) << what;
}

TEST(LetPlan, EveryOperatorAndShapeMatchesTheEvaluator) {
  struct Pair {
    int64_t a, b;
  } pairs[] = {{10, 3}, {-7, 2}, {7, 0}, {kMin, -1}, {kMax, 1}, {kMin, kMin}, {-1, 5}};
  const char ops[] = {'+', '-', '*', '/', '%', 'A', 'O', '^'};
  using Shape = std::function<fx::Expr(int64_t, int64_t, char)>;
  const std::pair<const char*, Shape> shapes[] = {
      {"var op var", [](int64_t, int64_t, char op) { return fx::Bin(fx::Var(1000), fx::Var(1001), op); }},
      {"var op lit", [](int64_t, int64_t b, char op) { return fx::Bin(fx::Var(1000), fx::Int(b), op); }},
      {"lit op var", [](int64_t a, int64_t, char op) { return fx::Bin(fx::Int(a), fx::Var(1001), op); }},
      {"lit op lit", [](int64_t a, int64_t b, char op) { return fx::Bin(fx::Int(a), fx::Int(b), op); }},
  };
  for (const auto& p : pairs) {
    for (char op : ops) {
      for (const auto& [name, shape] : shapes) {
        fx::Expr e = shape(p.a, p.b, op);
        std::string what = std::string(name) + " " + op + " a=" + std::to_string(p.a) + " b=" + std::to_string(p.b);
        Outcome planned = RunLet(p.a, p.b, 0, 1005, e, fx::kOpSet);
        EXPECT_EQ(planned.planned, 1) << what;
        ExpectSame(planned, RunLet(p.a, p.b, 0, 1005, Unplanned(e), fx::kOpSet), what);
      }
    }
  }
}

TEST(LetPlan, AssignmentOperatorsAndLiteralForms) {
  const fx::Expr values[] = {fx::Var(1000), fx::Int(-3), fx::Int8(-5), fx::Int16(300), fx::Int32(-70000),
                             fx::Asm("F2.9"), fx::Asm("F-1e300"), fx::Var(1002)};
  for (uint8_t op = fx::kOpSet; op <= fx::kOpXor; ++op) {
    for (const auto& v : values) {
      for (int64_t init : {int64_t(100), kMin, int64_t(0)}) {
        std::string what = "op " + std::to_string(op) + " init " + std::to_string(init);
        Outcome planned = RunLet(6, 0, init, 1005, v, op);
        EXPECT_EQ(planned.planned, 1) << what;
        ExpectSame(planned, RunLet(6, 0, init, 1005, Unplanned(v), op), what);
      }
    }
  }
}

// Shapes and targets the plan leaves alone, or hands back at run time.
TEST(LetPlan, FallsBackWhereThePlanDoesNotFit) {
  struct Case {
    const char* what;
    uint32_t target;
    fx::Expr value;
    int planned;  // instructions the loader planned
    std::function<void(fx::Scene&)> before;
  } cases[] = {
      {"double target: double arithmetic", 1003, fx::Asm("L7 L2 /"), 1, {}},
      {"text target", 1004, fx::Asm("L7 L2 *"), 1, {}},
      {"undeclared source", 1005, fx::Asm("H$1006 L1 +"), 1, {}},
      {"target redeclared as double", 1005, fx::Asm("L7 L2 /"), 1,
       [](fx::Scene& s) { s.DimFloat(fx::Var(1005), fx::Dbl(0.5)); }},
      {"source redeclared as text", 1005, fx::Asm("H$1007 L1 +"), 1,
       [](fx::Scene& s) { s.DimStr(fx::Var(1007), fx::Text("x")); }},
      {"reference sigil", 1005, fx::Asm("H#1000 L1 +"), 0, {}},
      {"system variable", 1005, fx::Asm("H$48 L1 +"), 0, {}},
      {"double arithmetic", 1005, fx::Asm("L7 L2 /", fx::kTypeDouble), 0, {}},
      {"three operands", 1005, fx::Asm("H$1000 L1 + L2 *"), 0, {}},
      {"comparison", 1005, fx::Asm("H$1000 L1 >"), 0, {}},
      {"bad operator", 1005, fx::Asm("H$1000 L1 !7f"), 0, {}},
      {"short literal", 1005, fx::Expr{fx::Token('L', "abc")}, 0, {}},
  };
  for (const auto& c : cases) {
    Outcome planned = RunLet(4, 0, 1, c.target, c.value, fx::kOpAdd, c.before);
    EXPECT_EQ(planned.planned, c.planned) << c.what;
    ExpectSame(planned, RunLet(4, 0, 1, c.target, Unplanned(c.value), fx::kOpAdd, c.before), c.what);
  }
  // The fallbacks still report what they find.
  EXPECT_EQ(RunLet(4, 0, 1, 1005, fx::Asm("H$1006 L1 +"), fx::kOpSet).err, 108010);
  EXPECT_EQ(RunLet(4, 0, 1, 1003, fx::Asm("L7 L2 /"), fx::kOpSet).d, 3.5);
}

// A loop of planned assignments counts as the general one does.
TEST(LetPlan, LoopOfPlannedAssignments) {
  g_QuitRequested = 0;
  fx::Game g;
  g.IntVar(1000).IntVar(1001, {}, 1);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Loop(fx::Int(1000));
  s.Let(fx::Var(1000), fx::Asm("H$1000 L1 +"));
  s.Let(fx::Var(1001), fx::Asm("H$1001 L3 *"), fx::kOpSet);
  s.EndLoop();
  EndWithWait(s);
  ASSERT_EQ(LoadGame(g), 0);
  RunFrames(1);
  EXPECT_EQ(IntVar(1000), 1000);
  uint64_t want = 1;
  for (int i = 0; i < 1000; ++i) want *= 3;
  EXPECT_EQ(IntVar(1001), int64_t(want));
}

}  // namespace

namespace {

// The integer front ends decode short expressions themselves; value, status
// and last-variable outputs must be those of the token loop.
TEST(ShortExpr, FrontEndsMatchTheTokenLoop) {
  ASSERT_EQ(Var_AllocTable(1010), 0);
  for (uint32_t n : {1000u, 1001u, 1002u}) g_VarTable.vars[n].group = 1;
  Var_AllocInt(1000, 0);
  Var_AllocDouble(1001, -2.5);
  Var_RebuildStringStorage(1002, "7", 1);
  const std::string shapes[] = {"H$1000 H`1000 +", "H$1000 L3 %", "W-4 H$1001 *", "L5 L0 /", "H$1001",
                                "B9",            "H$1002 L1 +", "H$1003 L1 +", "H$1000 L1 >", "H$48 L1 +",
                                "F1e300 I-1 O",  "H$1000 H$1001 ^"};
  for (int64_t a : {int64_t(12), kMin, int64_t(-1)}) {
    Var_SetIntElement(1000, 0, a);
    for (const std::string& src : shapes) {
      fx::Expr e = fx::Asm(src);
      fx::Expr u = Unplanned(e);
      auto run = [](const fx::Expr& x, bool asDouble, double* d) {
        auto* p = reinterpret_cast<const uint8_t*>(x.bytes.data());
        uint32_t n = uint32_t(x.bytes.size());
        int64_t v = 0;
        if (asDouble) *d = g_ExprEvalFloat[1](p, n);
        else v = g_ExprEvalInt[3](p, n);
        return v;
      };
      for (bool asDouble : {false, true}) {
        ErrCapture log;
        double d1 = 0, d2 = 0;
        int64_t v1 = run(e, asDouble, &d1);
        ExprState s1 = g_Expr;
        int err1 = log.First();
        log.Clear();
        int64_t v2 = run(u, asDouble, &d2);
        std::string what = src + " a=" + std::to_string(a) + (asDouble ? " double" : " int");
        EXPECT_EQ(v1, v2) << what;
        EXPECT_EQ(d1, d2) << what;
        EXPECT_EQ(err1, log.First()) << what;
        EXPECT_EQ(s1.status, g_Expr.status) << what;
        EXPECT_EQ(s1.lastVar, g_Expr.lastVar) << what;
        EXPECT_EQ(s1.lastNamed, g_Expr.lastNamed) << what;
        EXPECT_EQ(s1.lastSigil, g_Expr.lastSigil) << what;
        EXPECT_EQ(s1.lastIndex, g_Expr.lastIndex) << what;
        g_QuitRequested = 0;
      }
    }
  }
}

}  // namespace
