// IF and LOOP blocks end to end: branches, re-tests, leaving several levels,
// loop counts and the innermost counter, and the limit of 63 open blocks.
#include "flow_game.h"

namespace {
constexpr uint32_t kX = 1000, kV = 1001, kW = 1002;
}

TEST_F(FlowGame, IfElseIfElseTakesTheFirstTrueBranch) {
  struct Case {
    int64_t x, v;
  } cases[] = {{1, 10}, {2, 20}, {3, 30}, {7, 40}};
  game.IntVar(kX).IntVar(kV, {4});
  fx::Scene& s = Main();
  for (int k = 0; k < 4; ++k) {
    s.Let(fx::Var(kX), fx::Int(cases[k].x));
    s.If(Eq(fx::Var(kX), 1)).Let(fx::Elem(kV, {fx::Int(k)}), fx::Int(10));
    s.ElseIf(Eq(fx::Var(kX), 2)).Let(fx::Elem(kV, {fx::Int(k)}), fx::Int(20));
    s.ElseIf(Eq(fx::Var(kX), 3)).Let(fx::Elem(kV, {fx::Int(k)}), fx::Int(30));
    s.Else().Let(fx::Elem(kV, {fx::Int(k)}), fx::Int(40));
    s.EndIf();
  }
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(I(kV, k), cases[k].v) << "x = " << cases[k].x;
  EXPECT_EQ(SystemTask()->ifDepth, 0);
}

TEST_F(FlowGame, FalseIfWithoutElseGoesToTheEnd) {
  game.IntVar(kV);
  fx::Scene& s = Main();
  s.If(fx::Int(0)).Let(fx::Var(kV), fx::Int(1)).EndIf();
  s.Let(fx::Var(kV), fx::Int(2), fx::kOpAdd);
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(I(kV), 2);
}

TEST_F(FlowGame, IfBreakLeavesTwoBlocksAndIfRestartRetests) {
  game.IntVar(kX).IntVar(kV).IntVar(kW);
  fx::Scene& s = Main();
  // Leave two nested blocks from inside: the rest of both is skipped.
  s.If(fx::Int(1));
  s.If(fx::Int(1)).IfBreak(2).Let(fx::Var(kV), fx::Int(99)).EndIf();
  s.Let(fx::Var(kV), fx::Int(98));
  s.EndIf();
  // Re-test: the block runs until its condition turns false.
  s.If(Lt(fx::Var(kX), 5)).Let(fx::Var(kX), fx::Int(1), fx::kOpAdd).IfRestart(1).EndIf();
  s.Let(fx::Var(kW), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(kV), 0);
  EXPECT_EQ(I(kX), 5);
  EXPECT_EQ(I(kW), 1);
  EXPECT_EQ(SystemTask()->ifDepth, 0);
}

TEST_F(FlowGame, LoopCountsAndTheInnermostCounter) {
  // Sum of system variable 48 over the rounds, and the number of rounds.
  struct Case {
    int64_t count, sum, rounds;
  } cases[] = {{3, 6, 3}, {1, 1, 1}, {0, 0, 0}, {-3, 1, 1}};
  game.IntVar(48).IntVar(kV, {4}).IntVar(kW, {4});
  fx::Scene& s = Main();
  for (int k = 0; k < 4; ++k) {
    s.Loop(fx::Int(cases[k].count));
    s.Let(fx::Elem(kV, {fx::Int(k)}), fx::Var(48), fx::kOpAdd);
    s.Let(fx::Elem(kW, {fx::Int(k)}), fx::Int(1), fx::kOpAdd);
    s.EndLoop();
  }
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(I(kV, k), cases[k].sum) << "count " << cases[k].count;
    EXPECT_EQ(I(kW, k), cases[k].rounds) << "count " << cases[k].count;
  }
  EXPECT_EQ(SystemTask()->loopDepth, 0);
  EXPECT_EQ(I(48), 0);  // outside any loop
}

TEST_F(FlowGame, EndlessLoopRunsUntilBreak) {
  game.IntVar(48).IntVar(kV);
  fx::Scene& s = Main();
  s.Loop(fx::Int(-1));
  s.Let(fx::Var(kV), fx::Var(48));
  s.If(Eq(fx::Var(48), 7)).Break().EndIf();
  s.EndLoop();
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(I(kV), 7);
  EXPECT_EQ(SystemTask()->loopDepth, 0);
  EXPECT_EQ(SystemTask()->ifDepth, 0);
}

TEST_F(FlowGame, BreakAndContinueAtSeveralDepths) {
  // outer 4 rounds x middle 3 x inner 5: inner continue skips a count, a
  // continue 2 goes on with the next middle round, a break 3 leaves all.
  game.IntVar(48).IntVar(kV).IntVar(kW).IntVar(kX).IntVar(1003).IntVar(1004);
  fx::Scene& s = Main();
  s.Loop(fx::Int(4));
  s.Let(fx::Var(1003), fx::Var(48));
  s.Loop(fx::Int(3));
  s.Let(fx::Var(1004), fx::Var(48));
  s.Loop(fx::Int(5));
  s.If(Eq(fx::Var(48), 2)).Continue(1).EndIf();  // skip inner round 2
  s.If(Eq(fx::Var(48), 4)).Continue(2).EndIf();  // next middle round
  s.Let(fx::Var(kV), fx::Int(1), fx::kOpAdd);     // rounds 1 and 3 count
  s.If(fx::Bin(Eq(fx::Var(1003), 3), Eq(fx::Var(1004), 2), '&')).Break(3).EndIf();
  s.EndLoop();
  s.Let(fx::Var(kW), fx::Int(1), fx::kOpAdd);  // never: every middle round continues past it
  s.EndLoop();
  s.Let(fx::Var(kX), fx::Int(1), fx::kOpAdd);  // each finished outer round
  s.EndLoop();
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  // Outer rounds 1 and 2: 3 middle x 2 counted = 6 each; round 3: middle 1
  // counts 2, middle 2 counts 1 before the break.
  EXPECT_EQ(I(kV), 6 + 6 + 2 + 1);
  EXPECT_EQ(I(kW), 0);
  EXPECT_EQ(I(kX), 2);
  EXPECT_EQ(SystemTask()->loopDepth, 0);
  EXPECT_EQ(SystemTask()->ifDepth, 0);
}

TEST_F(FlowGame, BreakBeyondTheOpenLoopsIsRefused) {
  fx::Scene& s = Main();
  s.Loop(fx::Int(2)).Break(2).EndLoop();
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(101300));
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

namespace {
// Nests `depth` IF (or LOOP) blocks and counts in the innermost one.
void Nest(fx::Scene& s, int depth, bool loops, uint32_t counter) {
  for (int k = 0; k < depth; ++k) loops ? s.Loop(fx::Int(1)) : s.If(fx::Int(1));
  s.Let(fx::Var(counter), fx::Int(1));
  for (int k = 0; k < depth; ++k) loops ? s.EndLoop() : s.EndIf();
}
}  // namespace

class FlowNesting : public FlowGame, public testing::WithParamInterface<std::tuple<bool, int>> {};

TEST_P(FlowNesting, SixtyThreeOpenBlocksAndNoMore) {
  auto [loops, depth] = GetParam();
  game.IntVar(kV);
  fx::Scene& s = Main();
  Nest(s, depth, loops, kV);
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  bool ok = depth <= 63;
  EXPECT_EQ(I(kV), ok ? 1 : 0);
  EXPECT_EQ(err.Has(101600), !ok);
  EXPECT_EQ(g_QuitRequested.load(), ok ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(IfAndLoop, FlowNesting,
                         testing::Combine(testing::Bool(), testing::Values(62, 63, 64)));

class FlowBlockEnd : public FlowGame, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(FlowBlockEnd, WithoutAnOpenBlockIsRefused) {
  auto [cmd, error] = GetParam();
  fx::Scene& s = Main();
  s.Raw(cmd);
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(error));
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Commands, FlowBlockEnd,
                         testing::Values(std::pair{49, 101300}, std::pair{46, 101300},
                                         std::pair{11, 101300}, std::pair{59, 108120}));

TEST_F(FlowGame, ScriptErrorsNameTheSceneFileAndLine) {
  fx::Scene& s = Main();
  s.Line(41).Let(fx::Var(1000), fx::Int(1));
  s.Raw(49);  // line 42: END IF without IF
  Idle(s);
  game.IntVar(1000);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  ASSERT_TRUE(err.Has(101300));
  ASSERT_NE(g_ErrFile, nullptr);
  EXPECT_STREQ(g_ErrFile, "main.txt");
  EXPECT_EQ(g_ErrLine, 42);
}

class FlowPromisedBlocks : public FlowGame, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(FlowPromisedBlocks, ALabelInsideBlocksThatWereNeverOpenedIsNoCrash) {
  // The start label claims two open IF blocks and two LOOPs that the task
  // never entered; the block ends find no frames and report.
  auto [cmd, error] = GetParam();
  fx::Scene& s = game.Scene(0);
  s.Label("SYSTEM_START", 2, 2);
  s.Raw(cmd);
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(error)) << err.Text();
}

INSTANTIATE_TEST_SUITE_P(Commands, FlowPromisedBlocks,
                         testing::Values(std::pair{46, 101300}, std::pair{11, 101300}, std::pair{59, 108120}));
