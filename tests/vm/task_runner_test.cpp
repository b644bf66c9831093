// The task runner over tasks whose code is built in memory: key order, run
// bytes, frame and millisecond waits, message flag, pass stamps, another
// pass, and running past the end of a scene.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/window.h"
#include "shell/frame.h"
#include "shell/shell.h"
#include "vm/vm.h"
#include "flow_testutil.h"

namespace {
std::vector<std::string> g_Log;

std::string CurName() { return g_CurTask.node ? g_CurTask.node->name : "?"; }
int32_t LogYield() {
  g_Log.push_back(CurName() + std::to_string(g_CurTask.instr));
  return 1;
}
int32_t LogGo() {
  g_Log.push_back(CurName() + std::to_string(g_CurTask.instr));
  return 0;
}
int32_t WaitTwoPasses() {
  g_CurTask.task->frameWait = 2;
  return 1;
}
int32_t WaitTenMs() {
  g_CurTask.task->deadlineMs = Clock_Ms64() + 10;
  return 1;
}
int32_t AskAnotherPass() {
  g_VmPassAgain = 1;
  return 1;
}

// A scene made of the given handlers; handler array 0 is the step gate.
struct MemScene {
  std::vector<CmdHandler> cmds, gates;
  std::vector<uint32_t> lines;
  SceneCode code;
  explicit MemScene(std::vector<CmdHandler> h) : cmds(std::move(h)), gates(cmds.size(), Vm_StepGate) {
    for (size_t i = 0; i < cmds.size(); ++i) lines.push_back(uint32_t(10 + i));
    code.count = uint32_t(cmds.size());
    code.handlers[0] = gates.data();
    code.handlers[1] = cmds.data();
    code.lines = lines.data();
  }
};

class TaskRunner : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Obj_CreateSystemRoots(), 0);
    root = g_TreeRoots[kTreeTask].root;
    // The system task and its sibling group start without code: they are
    // skipped, which keeps the log to the tasks made here.
    g_Log.clear();
  }
  ObjNode* AddTask(ObjNode* parent, const char* name, int64_t key, const MemScene& s, uint8_t kind = kObjKindLeaf) {
    ObjNode* n = Obj_NewNode(name, std::strlen(name), kind, nullptr);
    TaskRec* t = Task_NewRecord(n);
    t->code = s.code;
    t->hasScene = 1;
    Obj_LinkChild(parent, n, key);
    return n;
  }
  static TaskRec* Rec(ObjNode* n) { return static_cast<TaskRec*>(n->record); }
  void Pass() {
    g_VmPassAgain = 0;
    ++g_VmPassCounter;
    Vm_RunTasks(root);
  }
  ObjNode* root = nullptr;
};
}  // namespace

TEST_F(TaskRunner, GreaterKeyRunsFirstInEveryPass) {
  MemScene s({LogYield, LogYield, LogYield});
  AddTask(root, "a", 1, s);
  AddTask(root, "b", 2, s);
  AddTask(root, "c", 2, s);  // equal keys: the later-linked one runs first
  Pass();
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"c0", "b0", "a0", "c1", "b1", "a1"}));
}

TEST_F(TaskRunner, HandlersRunUntilOneYields) {
  MemScene s({LogGo, LogGo, LogYield, LogYield});
  AddTask(root, "t", 1, s);
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"t0", "t1", "t2"}));
  EXPECT_EQ(g_VmLastResult, 1);
}

TEST_F(TaskRunner, RunBytesAreAndedBitwise) {
  MemScene s({LogYield, LogYield});
  struct Case {
    uint8_t a, b;
    bool runs;
  } cases[] = {{1, 1, true}, {1, 2, false}, {3, 1, true}, {0, 1, false}, {255, 2, true}};
  for (const Case& c : cases) {
    g_Log.clear();
    ObjNode* n = AddTask(root, "t", 1, s);
    Rec(n)->runA = c.a;
    Rec(n)->runB = c.b;
    Pass();
    EXPECT_EQ(!g_Log.empty(), c.runs) << int(c.a) << " & " << int(c.b);
    Task_End(n);
  }
}

TEST_F(TaskRunner, StoppedGroupHidesItsTasks) {
  MemScene s({LogYield, LogYield});
  ObjNode* g = AddTask(root, "g", 5, s, kObjKindGroup);
  AddTask(g, "inner", 1, s);
  AddTask(root, "outer", 1, s);
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"inner0", "outer0"}));
  g_Log.clear();
  Rec(g)->runB = 0;
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"outer1"}));
}

TEST_F(TaskRunner, FrameWaitResumesOnTheCountedPass) {
  MemScene s({WaitTwoPasses, LogYield});
  AddTask(root, "w", 1, s);
  Pass();  // sets the wait
  Pass();  // 2 -> 1
  EXPECT_TRUE(g_Log.empty());
  Pass();  // 1 -> 0, runs
  EXPECT_EQ(g_Log, (std::vector<std::string>{"w1"}));
}

TEST_F(TaskRunner, MillisecondWaitFollowsTheClock) {
  Clock_SetManual(true, 1000);
  MemScene s({WaitTenMs, LogYield});
  ObjNode* n = AddTask(root, "w", 1, s);
  Pass();
  EXPECT_EQ(Rec(n)->deadlineMs, 1010u);
  Clock_Advance(9);
  Pass();
  EXPECT_TRUE(g_Log.empty());
  Clock_Advance(1);
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"w1"}));
  EXPECT_EQ(Rec(n)->deadlineMs, 0u);
  Clock_SetManual(false);
}

namespace {
int g_MsgSteps = 0;
TaskRec* g_Typing = nullptr;
void CountMsgStep(TaskRec* t) {
  if (t != g_Typing) return;
  ++g_MsgSteps;
  if (g_MsgSteps == 2) t->msgFlag = 0;  // the message finished typing
}
}  // namespace

TEST_F(TaskRunner, MessageFlagStopsCommandsButNotTheMessageStep) {
  MemScene s({LogYield, LogYield});
  ObjNode* n = AddTask(root, "m", 1, s);
  Rec(n)->msgFlag = 1;
  g_Typing = Rec(n);
  Pass();
  EXPECT_TRUE(g_Log.empty());
  g_MsgStepTaskHook = CountMsgStep;
  Pass();
  EXPECT_EQ(g_MsgSteps, 1);
  EXPECT_TRUE(g_Log.empty());
  Pass();
  EXPECT_EQ(g_MsgSteps, 2);
  EXPECT_EQ(g_Log, (std::vector<std::string>{"m0"}));
  g_MsgStepTaskHook = nullptr;
}

namespace {
ObjNode* g_Moved = nullptr;
int32_t RelinkOtherHigh() {
  // Moves another task in front of everyone while the pass runs.
  Obj_Relink(g_Moved, 1000);
  g_Log.push_back(CurName());
  return 1;
}
}  // namespace

TEST_F(TaskRunner, ATaskRunsAtMostOncePerPassWhileTheTreeChanges) {
  MemScene s({LogYield, LogYield});
  MemScene mover({RelinkOtherHigh, LogYield});
  AddTask(root, "a", 1, s);
  g_Moved = AddTask(root, "b", 2, s);
  AddTask(root, "c", 3, mover);
  Pass();
  // b ran before c moved it; it is not run again, and a still gets its turn.
  EXPECT_EQ(g_Log, (std::vector<std::string>{"c", "b0", "a0"}));
}

TEST_F(TaskRunner, AnotherPassRunsWithinTheFrame) {
  MemScene s({AskAnotherPass, LogYield, LogYield});
  AddTask(root, "p", 1, s);
  uint64_t before = g_VmPassCounter;
  Vm_RunFramePasses();
  EXPECT_EQ(g_VmPassCounter, before + 2);
  EXPECT_EQ(g_Log, (std::vector<std::string>{"p1"}));
}

// The system task is reported but kept: the engine holds on to its node.
TEST_F(TaskRunner, SystemTaskRunningPastItsEndStaysWithoutScene) {
  MemScene s({LogGo});
  ObjNode* sys = Task_SystemNode();
  ASSERT_NE(sys, nullptr);
  Rec(sys)->code = s.code;
  Rec(sys)->hasScene = 1;
  ErrCapture err;
  Pass();
  EXPECT_TRUE(err.Has(kErrPcOutOfScene));
  ASSERT_EQ(Task_SystemNode(), sys);
  EXPECT_EQ(Rec(sys)->hasScene, 0);
  EXPECT_NE(sys->parent, nullptr);
  g_QuitRequested = 0;
  Pass();  // skipped from now on
  EXPECT_EQ(g_Log, (std::vector<std::string>{"SYSTEM0"}));
}

TEST_F(TaskRunner, RunningPastTheLastInstructionEndsTheTask) {
  MemScene s({LogGo, LogGo});
  ObjNode* n = AddTask(root, "off", 1, s);
  uint32_t before = root->childCount;
  ErrCapture err;
  Pass();
  EXPECT_TRUE(err.Has(kErrPcOutOfScene));
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(root->childCount, before - 1);
  (void)n;  // freed after the pass
  EXPECT_EQ(g_Log, (std::vector<std::string>{"off0", "off1"}));
}

TEST_F(TaskRunner, QuitStopsEveryTask) {
  MemScene s({LogYield, LogYield});
  AddTask(root, "a", 1, s);
  AddTask(root, "b", 2, s);
  g_QuitRequested = 1;
  Pass();
  EXPECT_TRUE(g_Log.empty());
}

TEST_F(TaskRunner, StepGateRunsTheCommandWhilePausedWithoutAWaiter) {
  MemScene s({LogYield, LogYield});
  AddTask(root, "g", 1, s);
  g_RunWhenInactive = 0;
  g_InactivePaused = 1;  // handler array 0: the gate steps into array 1
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"g0"}));
}

namespace {
ObjNode* g_Victim = nullptr;
int32_t EndVictim() {
  Task_End(g_Victim);
  g_Log.push_back(CurName());
  return 1;
}
}  // namespace

TEST_F(TaskRunner, ATaskEndedDuringThePassDoesNotRunAndIsFreedAfterIt) {
  MemScene s({LogYield, LogYield});
  MemScene killer({EndVictim, LogYield});
  g_Victim = AddTask(root, "victim", 1, s);
  AddTask(root, "killer", 2, killer);
  uint32_t before = root->childCount;
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"killer"}));
  EXPECT_EQ(root->childCount, before - 1);
  Pass();
  EXPECT_EQ(g_Log, (std::vector<std::string>{"killer", "killer1"}));
}

namespace {
int g_Asked = 0;
int AnswerYes(PlatWindow*, const char*, const char*) {
  ++g_Asked;
  return 1;
}
int32_t Spin() {
  // Runs itself again: a long stretch of commands within one turn.
  static int left = 0;
  if (left == 0) left = 1024;
  g_CurTask.task->pc = g_CurTask.instr;
  return --left == 0 ? 1 : 0;
}
}  // namespace

TEST_F(TaskRunner, DebugModeAsksToQuitOnceTheMouseVisitedAllFourCorners) {
  g_DebugMode = 1;
  g_DesktopMetrics.width = 800;
  g_DesktopMetrics.height = 600;
  g_WndUi.askYesNo = AnswerYes;
  g_VmAskYesNoHook = Win_AskYesNoMain;
  MemScene s({Spin});
  AddTask(root, "spin", 1, s);
  const std::pair<int, int> corners[] = {{0, 0}, {8, 591}, {791, 3}, {799, 599}};
  for (size_t k = 0; k < 4; ++k) {
    PlatMouse_SetFake(true, 400, 300);  // the middle counts for nothing
    Pass();
    EXPECT_EQ(g_Asked, 0);
    PlatMouse_SetFake(true, corners[k].first, corners[k].second);
    Pass();
    EXPECT_EQ(g_Asked, k == 3 ? 1 : 0) << k;
  }
  EXPECT_EQ(g_QuitRequested.load(), 1);
  EXPECT_EQ(g_DebugCornerMask, 0);
  PlatMouse_SetFake(false);
}
