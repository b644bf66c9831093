// Argument fetching: the 28 check kinds just inside and outside their
// bounds, the checked low half, kinds by the table, data-carrying
// descriptors, ids beyond the table, and the stop at the first failure.
#include <gtest/gtest.h>

#include <climits>

#include "files/script_data.h"
#include "scene_testutil.h"

namespace {

TEST(ArgCheck, EveryKindAtItsEdges) {
  g_EngineConfig.width = 640;
  g_EngineConfig.height = 480;
  struct Case {
    uint8_t kind;
    int64_t v;
    int err;  // 0 accepted
  } cases[] = {
      {1, 0, 0},          {1, -1, 101010},     {1, INT64_MIN, 101010},
      {2, 1, 0},          {2, 0, 101010},
      {3, 0, 0},          {3, 1, 0},           {3, 2, 101000},  {3, -1, 101000},
      {4, 2, 0},          {4, 3, 101000},      {5, 3, 0},       {5, 4, 101000},
      {6, 1, 0},          {6, 0, 101000},      {6, 3, 0},       {6, 4, 101000},
      {7, 4, 0},          {7, 5, 101000},      {8, 8, 0},       {8, 9, 101000},
      {9, 1, 0},          {9, 0, 101000},      {10, 15, 0},     {10, 16, 101000},
      {11, 18, 0},        {11, 19, 101000},    {12, 256, 0},    {12, 257, 101000},
      {13, 0, 101000},    {13, 256, 0},        {14, 512, 0},    {14, 513, 101000},
      {15, 1024, 0},      {15, 1025, 101000},  {16, 0, 101000}, {16, 1024, 0},
      {17, 127, 101000},  {17, 128, 0},        {17, 1024, 0},   {17, 1025, 101000},
      {18, 2048, 0},      {18, 2049, 101000},  {19, 0, 101000}, {19, 2048, 0},
      {20, 8192, 0},      {20, 8193, 101000},  {21, 0, 101000}, {21, 8192, 0},
      {22, 15, 101000},   {22, 16, 0},         {22, 8192, 0},   {23, 127, 101000},
      {23, 128, 0},       {23, 8193, 101000},
      {24, -1, 0},        {24, 0xFFFFFF, 0},   {24, 0x1000000, 101020}, {24, -2, 101020},
      {25, 0, 0},         {25, 0xFFFFFF, 0},   {25, 0x1000000, 101030}, {25, -1, 101030},
      {26, 0, 0},         {26, 639, 0},        {26, 640, 101000},       {26, -1, 101000},
      {27, 479, 0},       {27, 480, 101000},
      {28, 0, 0},         {28, 3, 0},          {28, 4, 101210},         {28, -1, 101220},
      {28, int64_t(1) << 32, 101210},
      // Kinds 3..27 look at the low 32 bits only.
      {8, (int64_t(1) << 32) + 5, 0},
      {8, (int64_t(1) << 32) + 9, 101000},
      {0, INT64_MIN, 0},  {29, -5, 0},
  };
  for (const auto& c : cases) {
    ErrCapture log;
    int r = Cmd_CheckArg(0, 0, c.kind, c.v);
    EXPECT_EQ(r, c.err ? -1 : 0) << "kind " << int(c.kind) << " v " << c.v;
    EXPECT_EQ(log.First(), c.err) << "kind " << int(c.kind) << " v " << c.v;
  }
}

// Fetching over descriptors made in memory, with the command table set by
// hand for command 0.
class Fetch : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Var_AllocTable(1100), 0);
    Variable& v = g_VarTable.vars[1000];
    v.dimCount = 1;
    v.dims[0] = 3;
    ASSERT_EQ(Var_AllocInt(1000, 0), 0);
  }
  void TearDown() override { Var_FreeTable(); }
  // Adds one descriptor with its expression.
  void Add(uint8_t id, const fx::Expr& e) {
    ArgDesc d{id, 0, e.type, 0, uint32_t(e.bytes.size()), uint32_t(expr.size())};
    expr += e.bytes;
    descs.push_back(d);
  }
  int Run(int cmd = 0) {
    return Cmd_FetchArgsFrom(cmd, descs.data(), uint8_t(descs.size()),
                             reinterpret_cast<const uint8_t*>(expr.data()), false);
  }
  std::vector<ArgDesc> descs;
  std::string expr;
};

TEST_F(Fetch, NothingGivenLeavesEveryIdClear) {
  EXPECT_EQ(Run(), 0);
  for (uint8_t g : g_ArgGiven) EXPECT_EQ(g, 0);
  EXPECT_EQ(g_ArgCount, 0);
}

TEST_F(Fetch, KindsDecideTheEvaluation) {
  g_CmdTable.argKinds[0][3] = 0;
  g_CmdTable.argKinds[0][4] = 1;
  g_CmdTable.argKinds[0][5] = 2;
  Add(3, fx::Elem(1000, {fx::Int(2)}));
  Add(4, fx::Add(fx::Text("a"), fx::Text("b")));
  Add(5, fx::Asm("L1 +"));  // raw: never evaluated, so no error
  ErrCapture log;
  ASSERT_EQ(Run(), 0);
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(g_ArgGiven[3], 1);
  EXPECT_EQ(g_ArgGiven[4], 2);
  EXPECT_EQ(g_ArgGiven[5], 3);
  EXPECT_EQ(g_ArgSlot[1].var, 1000u);
  EXPECT_EQ(g_ArgSlot[1].varIndex, 2);
  EXPECT_STREQ(g_ArgStr[2], "ab");
  EXPECT_EQ(g_ArgSlot[3].raw, reinterpret_cast<const uint8_t*>(expr.data()) + descs[2].offset);
  EXPECT_EQ(Arg_Int(3, -7), 0);
  EXPECT_EQ(Arg_Int(9, -7), -7);
}

TEST_F(Fetch, TheSecondBadArgumentIsNeverEvaluated) {
  g_CmdTable.argChecks[0][1] = 2;  // >= 1
  Add(1, fx::Int(0));
  Add(2, fx::Var(5000));  // would report 108010
  ErrCapture log;
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(log.Numbers(), std::vector<int>{101010});
}

TEST_F(Fetch, CheckedLowHalfReplacesTheValue) {
  g_CmdTable.argChecks[0][1] = 8;
  g_CmdTable.argChecks[0][2] = 24;
  Add(1, fx::Int((int64_t(1) << 32) + 5));
  Add(2, fx::Int((int64_t(7) << 32) - 1));  // low half -1
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(g_ArgInt[1], 5);
  EXPECT_EQ(g_ArgInt[2], -1);
}

TEST_F(Fetch, IdsBeyondTheFileTableReadDefaults) {
  Add(255, fx::Int(4));
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(g_ArgGiven[255], 1);
  EXPECT_EQ(g_ArgInt[1], 4);
}

TEST_F(Fetch, DataCarryingDescriptorsAreNeverEvaluated) {
  // IF: the second and third descriptors hold pcs; a table that calls them
  // integers must not make the fetcher run their bytes.
  g_CmdTable.argKinds[45][1] = 0;
  g_CmdTable.argKinds[45][2] = 0;
  Add(0, fx::Int(1));
  descs.push_back({1, 0, 1, 0, 12345, 0xFFFFFF00u});
  descs.push_back({2, 0, 1, 0, 54321, 0xFFFFFF00u});
  ErrCapture log;
  EXPECT_EQ(Run(45), 0);
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(g_ArgSlot[2].length, 12345u);
  EXPECT_EQ(g_ArgSlot[2].raw, nullptr);
}

TEST_F(Fetch, FailedEvaluationFailsTheFetch) {
  Add(1, fx::Var(5000));
  ErrCapture log;
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(log.First(), 108010);
}

// Command 92 from a scene: scene count, scene number at a position, its
// file name.
TEST(ScriptInfo, AnswersFromTheSceneList) {
  fx::Game g;
  g.IntVar(1000).IntVar(1001).TextVar(1002).TextVar(1003, {}, "keep");
  fx::Scene& s = g.Scene(0);
  g.Scene(1, "second.txt");
  s.Label("SYSTEM_START");
  s.Cmd("scriptinfo", {{"count", fx::Var(1000)}});
  s.Cmd("scriptinfo", {{"number", fx::Var(1001)}, {"pos", fx::Int(2)}});
  s.Cmd("scriptinfo", {{"name", fx::Var(1002)}, {"pos", fx::Int(2)}});
  s.Cmd("scriptinfo", {{"name", fx::Var(1003)}, {"pos", fx::Int(7)}});
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0);
  RunFrames(1);
  EXPECT_EQ(IntVar(1000), 2);
  EXPECT_EQ(IntVar(1001), 1);
  EXPECT_EQ(StrVar(1002), "second.txt");
  EXPECT_EQ(StrVar(1003), "");
  EXPECT_TRUE(log.Empty()) << log.First();
}

}  // namespace
