// The task runner: one pass over the task tree, the frame's pass loop and
// the step gate.
#include <vector>

#include "platform/clock.h"
#include "base/base.h"
#include "vm/task.h"

CurTask g_CurTask;
uint64_t g_VmPassCounter = 0;
uint32_t g_VmPassAgain = 0;
uint8_t g_VmLastResult = 0;
uint8_t g_DebugMode = 0;  // declared in base/err.h
uint64_t g_DebugCmdCount = 0;
MsgStepFn g_MsgStepTaskHook = nullptr;
VmPauseWaitFn g_VmPauseWaitHook = nullptr;

namespace {
// Children of the nodes being visited, one run per open Vm_RunTasks call.
// A pass works on this snapshot, so tasks linked, re-keyed or ended while it
// runs never shift a sibling out of the pass.
std::vector<ObjNode*> g_RunSnapshot;
int g_RunDepth = 0;
// Tasks ended while a pass runs; freed when the outermost pass returns.
std::vector<ObjNode*> g_EndedTasks;

void FreeEndedTasks() {
  for (ObjNode* node : g_EndedTasks) {
    if (g_CurTask.node == node) g_CurTask = CurTask{};
    Task_FreeRecord(static_cast<TaskRec*>(node->record));
    Obj_FreeNode(node);
  }
  g_EndedTasks.clear();
}

// True while the task still waits for passes or for its deadline.
bool StillWaiting(TaskRec* t) {
  if (t->frameWait) t->frameWait--;
  if (t->deadlineMs && Clock_Ms64() >= t->deadlineMs) t->deadlineMs = 0;
  return t->frameWait != 0 || t->deadlineMs != 0;
}

// Runs one task's instructions until a handler yields or the engine stops.
void RunTask(TaskRec* t, ObjNode* node) {
  g_VmLastResult = 0;
  for (;;) {
    if (g_QuitRequested.load(std::memory_order_relaxed)) return;
    uint32_t i = t->pc;
    if (i >= t->code.count) {
      // Running off the end of a scene: stop the task instead of calling
      // past the handler array.
      Err_ScriptF(kErrPcOutOfScene, 1, int64_t(i));
      // The system task is never ended (the engine keeps its node): it
      // stays, without a scene to run, until it is pointed at a label again.
      if (t->isSystem) t->hasScene = 0;
      else Task_End(node);
      return;
    }
    t->pc = i + 1;
    g_CurTask.instr = i;
    int array = g_RunWhenInactive | (g_InactivePaused == 0);
    uint8_t r = uint8_t(t->code.handlers[array][i]());
    if (g_DebugMode) Vm_DebugCountCommand();
    if (r) {
      g_VmLastResult = r;  // it stays 0 while handlers go on
      return;
    }
  }
}

void VisitTask(ObjNode* node, TaskRec* t) {
  g_CurTask = CurTask{t, node, t->pc};
  if (t->passStamp == int64_t(g_VmPassCounter)) return;  // ran in this pass
  t->passStamp = int64_t(g_VmPassCounter);
  if (g_MsgStepTaskHook) g_MsgStepTaskHook(t);
  if (t->msgFlag) return;
  if (StillWaiting(t)) return;
  if (!t->hasScene) return;  // never pointed at a scene that loaded
  RunTask(t, node);
}
}  // namespace

int32_t Vm_RunTasks(ObjNode* node) {
  if (!node) return 0;
  size_t base = g_RunSnapshot.size();
  for (ObjNode* c = node->first; c; c = c->next) g_RunSnapshot.push_back(c);
  ++g_RunDepth;
  // Last child first: the greatest order key runs first.
  for (size_t k = g_RunSnapshot.size(); k > base; --k) {
    if (g_QuitRequested.load(std::memory_order_relaxed)) break;
    ObjNode* child = g_RunSnapshot[k - 1];
    if (child->parent != node) continue;  // ended or moved during the pass
    auto* t = static_cast<TaskRec*>(child->record);
    if (!t || (t->runA & t->runB) == 0) continue;
    if (child->kind == kObjKindGroup) {
      Vm_RunTasks(child);
      continue;
    }
    VisitTask(child, t);
  }
  --g_RunDepth;
  g_RunSnapshot.resize(base);
  if (g_RunDepth == 0) FreeEndedTasks();
  return 0;
}

void Task_End(ObjNode* node) {
  if (!Obj_Unlink(node)) return;
  g_EndedTasks.push_back(node);
  if (g_RunDepth == 0) FreeEndedTasks();
}

void Vm_RunFramePasses() {
  ObjNode* root = g_TreeRoots[kTreeTask].root;
  for (int n = 0; n < kVmMaxPassesPerFrame; ++n) {
    g_VmPassAgain = 0;
    ++g_VmPassCounter;
    if (Vm_RunTasks(root)) g_QuitRequested = 1;
    if (g_QuitRequested || !g_VmPassAgain) break;
  }
}

int32_t Vm_StepGate() {
  // The engine's inactive pause waits here; once it ends the instruction
  // runs from the command handlers.
  if (g_InactivePaused && g_VmPauseWaitHook) {
    if (g_VmPauseWaitHook()) return 1;
  }
  TaskRec* t = g_CurTask.task;
  return t->code.handlers[1][g_CurTask.instr]();
}

namespace {
// The running task's scene file and source line, for script error reports.
bool CurrentPlace(const char** sceneFile, int32_t* line) {
  const TaskRec* t = g_CurTask.task;
  if (!t || !t->hasScene || g_CurTask.instr >= t->code.count) return false;
  *sceneFile = Task_SceneFileName(t->scene);
  *line = t->code.lines ? int32_t(t->code.lines[g_CurTask.instr]) : 0;
  return true;
}
}  // namespace

void Vm_InstallErrPlace() { g_ErrPlaceHook = CurrentPlace; }
