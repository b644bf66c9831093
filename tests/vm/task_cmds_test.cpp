// Task commands end to end: starting tasks at labels with start values,
// their key order, waits against the settable clock, another pass, ending
// tasks, queries and the task state string.
#include "flow_game.h"

namespace {
fx::Arg A(const char* name, const fx::Expr& e, uint8_t op = 0) { return fx::Arg{name, e, op}; }
fx::Expr Str(const char* s) { return fx::Text(s); }
ObjNode* TaskNode(const char* path) {
  return Obj_FindByPath(g_TreeRoots[kTreeTask].root, path, kObjFindLeaf | kObjFindQuiet);
}
constexpr uint32_t kLog = 1000, kIdx = 1001;
}  // namespace

TEST_F(FlowGame, StartedTasksGetTheirStartValuesAndEndByReturn) {
  game.IntVar(67, {17}).DoubleVar(68, {17}).IntVar(1000, {3}).DoubleVar(1001);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("worker")), A("label", Str("work")), A("i1", fx::Int(7)),
                      A("i10", fx::Int(9)), A("f2", fx::Int(3))});
  Idle(s);
  s.Label("work");
  s.Let(fx::Elem(1000, {fx::Int(0)}), fx::Elem(67, {fx::Int(1)}));
  s.Let(fx::Elem(1000, {fx::Int(1)}), fx::Elem(67, {fx::Int(10)}));
  s.Let(fx::Elem(1000, {fx::Int(2)}), fx::Elem(67, {fx::Int(2)}));
  s.Let(fx::Var(1001), fx::Elem(68, {fx::Int(2)}).As(fx::kTypeDouble));
  s.Return();  // depth 0: the task ends
  ASSERT_TRUE(Load());
  Frames(1);
  ObjNode* w = TaskNode("worker");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->key, 1);
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(1000, 0), 7);
  EXPECT_EQ(I(1000, 1), 9);
  EXPECT_EQ(I(1000, 2), 0);
  EXPECT_DOUBLE_EQ(D(1001), 3.0);
  EXPECT_EQ(TaskNode("worker"), nullptr);
}

TEST_F(FlowGame, TasksInterleaveInKeyOrder) {
  game.IntVar(kLog, {8}).IntVar(kIdx);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("a")), A("label", Str("ta")), A("key", fx::Int(1))});
  s.Cmd("taskstart", {A("path", Str("b")), A("label", Str("tb")), A("key", fx::Int(2))});
  Idle(s);
  for (auto [label, id] : {std::pair{"ta", 1}, std::pair{"tb", 2}}) {
    s.Label(label);
    s.Loop(fx::Int(3));
    s.Let(fx::Elem(kLog, {fx::Var(kIdx)}), fx::Int(id));
    s.Let(fx::Var(kIdx), fx::Int(1), fx::kOpAdd);
    s.Cmd("wait", {{"frames", fx::Int(1)}});
    s.EndLoop();
    s.Return();
  }
  ASSERT_TRUE(Load());
  Frames(5);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  const int64_t want[] = {2, 1, 2, 1, 2, 1, 0};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(I(kLog, k), want[k]) << k;
}

TEST_F(FlowGame, PassFlagRunsTheNewTaskInTheSameFrame) {
  game.IntVar(1000).IntVar(1001);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("now")), A("label", Str("t1")), A("pass", fx::Int(1))});
  s.Cmd("taskstart", {A("path", Str("later")), A("label", Str("t2"))});
  Idle(s);
  s.Label("t1").Let(fx::Var(1000), fx::Int(1)).Return();
  s.Label("t2").Let(fx::Var(1001), fx::Int(1)).Return();
  ASSERT_TRUE(Load());
  Frames(1);
  // The other pass that "now" asked for runs both new tasks.
  EXPECT_EQ(I(1000), 1);
  EXPECT_EQ(I(1001), 1);
}

TEST_F(FlowGame, NewTaskWithoutPassFlagWaitsForTheNextFrame) {
  game.IntVar(1001);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("later")), A("label", Str("t2"))});
  Idle(s);
  s.Label("t2").Let(fx::Var(1001), fx::Int(1)).Return();
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(I(1001), 0);
  Frames(1);
  EXPECT_EQ(I(1001), 1);
}

TEST_F(FlowGame, WaitsByPassesAndByMilliseconds) {
  Clock_SetManual(true, 5000);
  game.IntVar(1000).IntVar(1001);
  fx::Scene& s = Main();
  s.Cmd("wait", {{"frames", fx::Int(2)}});
  s.Let(fx::Var(1000), fx::Int(1));
  s.Cmd("wait", {{"ms", fx::Int(50)}});
  s.Let(fx::Var(1001), fx::Int(1));
  s.Cmd("wait", {{"frames", fx::Int(0)}, {"ms", fx::Int(0)}});  // goes on at once
  s.Let(fx::Var(1001), fx::Int(2));
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(2);
  EXPECT_EQ(I(1000), 0);
  Frames(1);
  EXPECT_EQ(I(1000), 1);
  Clock_Advance(49);
  Frames(3);
  EXPECT_EQ(I(1001), 0);
  Clock_Advance(1);
  Frames(1);
  EXPECT_EQ(I(1001), 2);
  Clock_SetManual(false);
}

TEST_F(FlowGame, EndingTasks) {
  game.IntVar(1000).IntVar(1001);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("a")), A("label", Str("loop"))});
  s.Cmd("taskstart", {A("path", Str("self")), A("label", Str("selfend"))});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Cmd("taskend", {A("path", Str("a"))});  // another task: goes on
  s.Let(fx::Var(1000), fx::Int(1));
  Idle(s);
  Idle(s.Label("loop"), "aloop");
  s.Label("selfend");
  s.Cmd("taskend", {A("path", Str("self"))});  // itself: yields, never resumes
  s.Let(fx::Var(1001), fx::Int(1));
  ASSERT_TRUE(Load());
  Frames(3);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  EXPECT_EQ(I(1000), 1);
  EXPECT_EQ(I(1001), 0);
  EXPECT_EQ(TaskNode("a"), nullptr);
  EXPECT_EQ(TaskNode("self"), nullptr);
  EXPECT_EQ(g_TreeRoots[kTreeTask].root->childCount, 2u);
}

struct TaskErrCase {
  std::vector<fx::Arg> args;
  const char* cmd;
  int error;
};

class FlowTaskErrors : public FlowGame, public testing::WithParamInterface<int> {};

TEST_P(FlowTaskErrors, AreReported) {
  const TaskErrCase cases[] = {
      {{A("path", Str("g/"))}, "taskstart", 101293},
      {{A("path", Str("nosuch"))}, "taskstart", 101400},
      {{A("path", Str("x")), A("label", Str("nolabel"))}, "taskstart", 108180},
      {{A("path", Str("SYSTEM"))}, "taskend", 101420},
      {{}, "taskend", 101420},
      {{A("path", Str("nosuch"))}, "taskend", 101400},
      {{A("path", Str("x")), A("label", Str("t")), A("state", Str("garbage"))}, "taskstart", 900000},
  };
  const TaskErrCase& c = cases[GetParam()];
  fx::Scene& s = Main();
  s.Cmd(c.cmd, c.args);
  Idle(s);
  s.Label("t").Return();
  ASSERT_TRUE(Load());
  ErrCapture err;
  Frames(1);
  EXPECT_TRUE(err.Has(c.error)) << err.Text();
  EXPECT_EQ(g_QuitRequested.load(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, FlowTaskErrors, testing::Range(0, 7));

TEST_F(FlowGame, QueriesAnswerFactsOfATask) {
  game.IntVar(1000, {8}).TextVar(1001).DoubleVar(1002);
  fx::Scene& s = Main();
  s.Cmd("taskstart", {A("path", Str("q")), A("label", Str("idleq")), A("key", fx::Int(5)),
                      A("runb", fx::Int(3))});
  const std::vector<std::vector<fx::Arg>> queries = {
      {A("path", Str("q"))},                                          // exists
      {A("path", Str("nosuch"))},                                     // does not
      {A("path", Str("no/such"))},                                    // nor its group
      {A("path", Str("q")), A("query", fx::Int(1)), A("key", fx::Int(1))},
      {A("path", Str("q")), A("query", fx::Int(1)), A("runb", fx::Int(1))},
      {A("query", fx::Int(1)), A("calldepth", fx::Int(1))},          // the current task
      {A("query", fx::Int(1)), A("loopdepth", fx::Int(1))},
  };
  for (size_t k = 0; k < queries.size(); ++k) {
    std::vector<fx::Arg> args = queries[k];
    args.push_back(A("out", fx::Elem(1000, {fx::Int(int64_t(k))})));
    if (k == 6) s.Loop(fx::Int(1));
    s.Cmd("taskquery", args);
    if (k == 6) s.EndLoop();
  }
  s.Cmd("taskquery", {A("path", Str("q")), A("query", fx::Int(1)), A("scenefile", fx::Int(1)),
                      A("out", fx::Var(1001))});
  s.Cmd("taskquery", {A("path", Str("q")), A("out", fx::Var(1002))});
  Idle(s);
  Idle(s.Label("idleq"), "qloop");
  ASSERT_TRUE(Load());
  Frames(1);
  EXPECT_EQ(g_QuitRequested.load(), 0);
  const int64_t want[] = {1, 0, 0, 5, 3, 0, 1};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(I(1000, k), want[k]) << k;
  EXPECT_EQ(T(1001), "main.txt");
  EXPECT_DOUBLE_EQ(D(1002), 1.0);
}

TEST_F(FlowGame, StateStringCarriesStacksToAnotherTask) {
  game.TextVar(1001).IntVar(1002);
  fx::Scene& s = Main();
  s.If(fx::Int(1));
  s.Loop(fx::Int(4));
  s.Cmd("taskquery", {A("query", fx::Int(1)), A("state", fx::Int(1)), A("out", fx::Var(1001))});
  s.Let(fx::Var(1002), fx::Int(1), fx::kOpAdd);
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.EndLoop();
  s.EndIf();
  Idle(s);
  s.Label("clone");
  Idle(s, "cloneidle");
  ASSERT_TRUE(Load());
  Frames(1);
  std::string state = T(1001);
  ASSERT_GE(state.size(), 8u);
  EXPECT_EQ(state.substr(0, 8), std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  EXPECT_NE(state.find("main.txt"), std::string::npos);

  // Decode it into a new task through command 93 and compare the records.
  TaskRec* sys = SystemTask();
  ObjNode* node = Obj_NewNode("copy", 4, kObjKindLeaf, nullptr);
  TaskRec* copy = Task_NewRecord(node);
  Obj_LinkChild(g_TreeRoots[kTreeTask].root, node, 1);
  ASSERT_EQ(Task_DecodeState(copy, state.data(), state.size()), 0);
  EXPECT_EQ(copy->ifDepth, 1);
  EXPECT_EQ(copy->loopDepth, 1);
  EXPECT_EQ(copy->callDepth, 0);
  EXPECT_EQ(copy->loopFrames[0]->bodyPc, sys->loopFrames[0]->bodyPc);
  EXPECT_EQ(copy->loopFrames[0]->exitPc, sys->loopFrames[0]->exitPc);
  EXPECT_EQ(copy->loopFrames[0]->count, 4);
  EXPECT_EQ(copy->ifFrames[0]->endPc, sys->ifFrames[0]->endPc);
  EXPECT_EQ(copy->pc, sys->loopFrames[0]->bodyPc + 1);  // just after the query
  EXPECT_EQ(copy->scene, 0);

  // Damaged strings are refused, never read past their end.
  ErrCapture err;
  for (size_t cut : {size_t(9), state.size() / 2, state.size() - 1}) {
    EXPECT_EQ(Task_DecodeState(copy, state.data(), cut), 1) << cut;
  }
  std::string bad = state;
  bad[9] = 'z';
  EXPECT_EQ(Task_DecodeState(copy, bad.data(), bad.size()), 1);
  EXPECT_TRUE(err.Has(900000));
}

TEST_F(FlowGame, MutatedStateStringsNeverBreakTheTask) {
  game.TextVar(1001);
  fx::Scene& s = Main();
  s.If(fx::Int(1)).Loop(fx::Int(3)).Call("sub").EndLoop().EndIf();
  Idle(s);
  s.Label("sub");
  s.Cmd("taskquery", {A("query", fx::Int(1)), A("state", fx::Int(1)), A("out", fx::Var(1001))});
  s.Return();
  ASSERT_TRUE(Load());
  Frames(1);
  const std::string state = T(1001);
  ASSERT_GT(state.size(), 40u);
  ObjNode* node = Obj_NewNode("m", 1, kObjKindLeaf, nullptr);
  TaskRec* t = Task_NewRecord(node);
  Obj_LinkChild(g_TreeRoots[kTreeTask].root, node, 1);
  ASSERT_EQ(Task_DecodeState(t, state.data(), state.size()), 0);
  EXPECT_EQ(t->callDepth, 1);
  ErrCapture err;
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (int round = 0; round < 3000; ++round) {
    std::string m = state;
    int edits = 1 + int(next() % 4);
    for (int e = 0; e < edits; ++e) {
      size_t at = 8 + next() % (m.size() - 8);
      switch (next() % 3) {
        case 0: m[at] = char('a' + next() % 16); break;  // stays letters: values change
        case 1: m[at] = char(next()); break;
        case 2: m.resize(at); break;
      }
      if (m.size() <= 8) break;
    }
    int32_t r = Task_DecodeState(t, m.data(), m.size());
    ASSERT_TRUE(r == 0 || r == 1);
    ASSERT_LE(t->ifDepth, kVmMaxOpenDepth);
    ASSERT_LE(t->loopDepth, kVmMaxOpenDepth);
    ASSERT_LE(t->callDepth, kVmMaxOpenDepth);
    ASSERT_LT(t->pc, t->code.count);
    for (int k = 1; k <= t->callDepth + 1; ++k) ASSERT_NE(t->callFrames[k], nullptr);
  }
}

// Depths that frames restore later (a loop's IF depth, an IF's LOOP depth)
// are bounded like the task's own: 200 would wrap the signed depth once the
// loop end restored it.
TEST_F(FlowGame, StateStringFrameDepthsAreBounded) {
  game.TextVar(1001);
  fx::Scene& s = Main();
  s.If(fx::Int(1));
  s.Loop(fx::Int(4));
  s.Cmd("taskquery", {A("query", fx::Int(1)), A("state", fx::Int(1)), A("out", fx::Var(1001))});
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.EndLoop();
  s.EndIf();
  Idle(s);
  ASSERT_TRUE(Load());
  Frames(1);
  const std::string state = T(1001);
  // Prefix 8, IF depth 2, one IF frame 18 (its LOOP depth first), call depth
  // 2, LOOP depth 2, then the loop frame (its IF depth first).
  ASSERT_GT(state.size(), 34u);
  ASSERT_EQ(state.substr(8, 2), "ab");
  ASSERT_EQ(state.substr(30, 2), "ab");
  ObjNode* node = Obj_NewNode("copy", 4, kObjKindLeaf, nullptr);
  TaskRec* copy = Task_NewRecord(node);
  Obj_LinkChild(g_TreeRoots[kTreeTask].root, node, 1);
  ErrCapture err;
  for (size_t at : {size_t(10), size_t(32)}) {
    std::string bad = state;
    bad.replace(at, 2, "mi");  // 200
    EXPECT_EQ(Task_DecodeState(copy, bad.data(), bad.size()), 1) << at;
  }
  EXPECT_TRUE(err.Has(900000));
  g_QuitRequested = 0;
  // A restorable depth deeper than the open blocks gets its frames.
  std::string deep = state;
  deep.replace(32, 2, "af");  // the loop restores IF depth 5
  ASSERT_EQ(Task_DecodeState(copy, deep.data(), deep.size()), 0);
  for (int k = 0; k <= 5; ++k) EXPECT_NE(copy->ifFrames[k], nullptr) << k;
  copy->runA = copy->runB = 1;
  Frames(6);  // the loop runs out and restores IF depth 5: no crash
  EXPECT_EQ(copy->loopDepth, 0);
  EXPECT_GE(copy->ifDepth, 0);
  EXPECT_LE(copy->ifDepth, 5);
}
