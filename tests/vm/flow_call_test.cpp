// Calls and returns end to end: 16 passed and returned values of each kind
// with their given flags, missing values, 63 nested calls, jumps across
// scenes and labels found by name at run time.
#include "flow_game.h"

namespace {
constexpr uint32_t kSumI = 1100, kSumD = 1101, kText = 1102, kFlags = 1103;
constexpr uint32_t kRetI = 1104, kRetD = 1105, kRetText = 1106, kRetFlags = 1107, kAny = 1108;

// Records of the system variables the scenes read, bounded like the values.
void CallVars(fx::Game& g) {
  g.IntVar(48);
  for (uint16_t n : {53, 56, 57, 58, 59, 60, 63, 64, 65, 66, 67}) g.IntVar(n, {17});
  for (uint16_t n : {54, 61, 68}) g.DoubleVar(n, {17});
  for (uint16_t n : {55, 62, 69}) g.TextVar(n, {17});
}

fx::Expr At(uint16_t sysvar, uint8_t type = fx::kTypeInt) { return fx::Elem(sysvar, {fx::Var(48)}).As(type); }
}  // namespace

TEST_F(FlowGame, SixteenPassedAndReturnedValuesOfEachKind) {
  CallVars(game);
  game.IntVar(kSumI).DoubleVar(kSumD).TextVar(kText).IntVar(kFlags);
  game.IntVar(kRetI).DoubleVar(kRetD).TextVar(kRetText).IntVar(kRetFlags).IntVar(kAny);
  std::vector<fx::Expr> ints, dbls, strs, rints, rdbls, rstrs;
  for (int k = 1; k <= 16; ++k) {
    ints.push_back(fx::Int(k * 10));
    dbls.push_back(fx::Dbl(k + 0.5));
    strs.push_back(fx::Text(std::string(1, char('a' + k - 1))));
    rints.push_back(fx::Int(k * 100));
    rdbls.push_back(fx::Dbl(k * 0.25));
    rstrs.push_back(fx::Text(std::string(1, char('A' + k - 1))));
  }
  fx::Scene& s = Main();
  s.Call("f", ints, dbls, strs);
  s.Loop(fx::Int(16));
  s.Let(fx::Var(kRetI), At(60), fx::kOpAdd);
  s.Let(fx::Var(kRetD), At(61, fx::kTypeDouble), fx::kOpAdd);
  s.Let(fx::Var(kRetText), At(62, fx::kTypeText), fx::kOpAdd);
  s.Let(fx::Var(kRetFlags), fx::Add(fx::Add(At(64), At(65)), At(66)), fx::kOpAdd);
  s.Let(fx::Var(kAny), At(63), fx::kOpAdd);
  s.EndLoop();
  Idle(s);
  s.Label("f");
  s.Loop(fx::Int(16));
  s.Let(fx::Var(kSumI), At(53), fx::kOpAdd);
  s.Let(fx::Var(kSumD), At(54, fx::kTypeDouble), fx::kOpAdd);
  s.Let(fx::Var(kText), At(55, fx::kTypeText), fx::kOpAdd);
  s.Let(fx::Var(kFlags), fx::Add(fx::Add(At(57), At(58)), At(59)), fx::kOpAdd);
  s.Let(fx::Var(kAny), At(56), fx::kOpAdd);
  s.EndLoop();
  s.Return(rints, rdbls, rstrs);
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(kSumI), 10 * 136);
  EXPECT_DOUBLE_EQ(D(kSumD), 136 + 8.0);
  EXPECT_EQ(T(kText), "abcdefghijklmnop");
  EXPECT_EQ(I(kFlags), 48);
  EXPECT_EQ(I(kRetI), 100 * 136);
  EXPECT_DOUBLE_EQ(D(kRetD), 136 * 0.25);
  EXPECT_EQ(T(kRetText), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(I(kRetFlags), 48);
  EXPECT_EQ(I(kAny), 32);
  EXPECT_EQ(SystemTask()->callDepth, 0);
}

TEST_F(FlowGame, MissingValuesReadZeroWithTheirFlagsClear) {
  CallVars(game);
  game.IntVar(1200, {8});
  fx::Scene& s = Main();
  // Three integers and one text announced, only integer 2 given.
  s.Cmd("call", {{"label", fx::Text("g")}, {"i2", fx::Int(5)}}, fx::Scene::PackCounts(3, 0, 1));
  Idle(s);
  s.Label("g");
  const fx::Expr reads[] = {fx::Elem(57, {fx::Int(1)}), fx::Elem(57, {fx::Int(2)}), fx::Elem(53, {fx::Int(2)}),
                            fx::Elem(53, {fx::Int(1)}), fx::Elem(59, {fx::Int(1)}), fx::Elem(56, {fx::Int(2)}),
                            fx::Elem(53, {fx::Int(4)}), fx::Elem(57, {fx::Int(0)})};
  for (int k = 0; k < 8; ++k) s.Let(fx::Elem(1200, {fx::Int(k)}), reads[k]);
  s.Return();
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  const int64_t want[] = {0, 1, 5, 0, 0, 1, 0, 0};  // values are numbered from 1: index 0 reads 0
  for (int k = 0; k < 8; ++k) EXPECT_EQ(I(1200, k), want[k]) << k;
}

class FlowCallDepth : public FlowGame, public testing::WithParamInterface<int> {};

TEST_P(FlowCallDepth, SixtyThreeNestedCallsAndNoMore) {
  int depth = GetParam();
  game.IntVar(1000);
  fx::Scene& s = Main();
  s.Call("c1");
  Idle(s);
  for (int k = 1; k <= depth; ++k) {
    s.Label("c" + std::to_string(k));
    if (k < depth) s.Call("c" + std::to_string(k + 1));
    else s.Let(fx::Var(1000), fx::Int(1));
    s.Return();
  }
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  bool ok = depth <= 63;
  EXPECT_EQ(I(1000), ok ? 1 : 0);
  EXPECT_EQ(err.Has(101600), !ok);
  if (ok) {
    EXPECT_EQ(SystemTask()->callDepth, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, FlowCallDepth, testing::Values(62, 63, 64));

TEST_F(FlowGame, ReturnAtDepthZeroOfTheSystemTaskIsRefused) {
  fx::Scene& s = Main();
  s.Return();
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(101300));
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST_F(FlowGame, JumpsAndCallsAcrossTwoScenes) {
  game.IntVar(1000).IntVar(1001).IntVar(1002);
  fx::Scene& s = Main();
  s.Jump("there");
  s.Let(fx::Var(1000), fx::Int(99));  // skipped
  s.Label("back");
  s.Let(fx::Var(1001), fx::Int(1), fx::kOpAdd);
  s.Return();
  s.Label("fin");
  s.Let(fx::Var(1002), fx::Int(3));
  Idle(s);
  fx::Scene& other = game.Scene(1, "other.txt");
  other.Label("there");
  other.Let(fx::Var(1000), fx::Int(7));
  other.Call("back");
  other.Call("back");
  other.Jump("fin");
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(1000), 7);
  EXPECT_EQ(I(1001), 2);
  EXPECT_EQ(I(1002), 3);
  EXPECT_EQ(SystemTask()->scene, 0);
}

TEST_F(FlowGame, LabelNamedAtRunTime) {
  game.IntVar(1000).TextVar(1001);
  fx::Scene& s = Main();
  s.Let(fx::Var(1001), fx::Text("tar"));
  s.JumpTo(fx::Add(fx::Var(1001), fx::Text("get")).As(fx::kTypeText));
  s.Let(fx::Var(1000), fx::Int(99));
  s.Label("target");
  s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
  s.Let(fx::Var(1001), fx::Text("nowhere"));
  s.JumpTo(fx::Var(1001).As(fx::kTypeText));
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_EQ(I(1000), 1);
  EXPECT_TRUE(err.Has(108180));
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

TEST_F(FlowGame, JumpInsideACallCountsFromTheCallsBases) {
  game.IntVar(1000);
  fx::Scene& s = Main();
  s.If(fx::Int(1)).Loop(fx::Int(2));
  s.Call("sub");
  s.EndLoop().EndIf();
  Idle(s);
  s.Label("sub");
  s.Jump("sub2");
  s.Let(fx::Var(1000), fx::Int(50), fx::kOpAdd);  // skipped
  s.Label("sub2");
  // Blocks opened here count from the call's IF depth 1 and LOOP depth 1.
  s.If(fx::Int(1)).Let(fx::Var(1000), fx::Int(1), fx::kOpAdd).EndIf();
  s.Return();
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(1000), 2);
  EXPECT_EQ(SystemTask()->ifDepth, 0);
  EXPECT_EQ(SystemTask()->loopDepth, 0);
}

TEST_F(FlowGame, LeavingBlocksOfTheCallerIsRefused) {
  fx::Scene& s = Main();
  s.Loop(fx::Int(2));
  s.Call("sub");
  s.EndLoop();
  Idle(s);
  s.Label("sub");
  s.Break(1);  // the only open loop belongs to the caller
  s.Return();
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(101300));
}

class FlowPcCheck : public FlowGame, public testing::WithParamInterface<const char*> {};

TEST_P(FlowPcCheck, ALabelOutsideItsSceneIsRefused) {
  // The label file names pc 500 in a scene of a few instructions.
  game.Label("far", 0, 500);
  game.IntVar(1000);
  fx::Scene& s = Main();
  std::string how = GetParam();
  if (how == "jump") s.Jump("far");
  if (how == "call") s.Call("far");
  if (how == "task") s.Cmd("taskstart", {{"path", fx::Text("t")}, {"label", fx::Text("far")}});
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(2);
  EXPECT_TRUE(err.Has(kErrPcOutOfScene)) << err.Text();
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(I(1000), 0);
}

INSTANTIATE_TEST_SUITE_P(Moves, FlowPcCheck, testing::Values("jump", "call", "task"));
