// IF blocks: IF (45), ELSE-IF (11), end of a taken branch (46), leave
// blocks (47), re-test a block (48) and end of block (49). The compiler has
// written every branch and end pc into the descriptors.
#include "base/base.h"
#include "vm/vm.h"

namespace {
// Length field of descriptor pos (a pc for the data-carrying descriptors).
inline uint32_t DescPc(uint32_t pos) {
  const ArgDesc* d = Flow_Desc(pos);
  return d ? d->length : 0;
}

// IF base of the running call: blocks below it belong to the caller.
inline int IfBase(const TaskRec* t) {
  return t->callDepth >= 1 && t->callFrames[t->callDepth] ? t->callFrames[t->callDepth]->ifBase : 0;
}

// Target depth of a leave or re-test of n blocks, or -1 after 101300. A
// depth without its frame (a label that promised blocks never opened) is
// no open block either.
int TargetDepth(TaskRec* t, int cmd, int64_t n) {
  int64_t target = int64_t(t->ifDepth) - n + 1;
  if (target < 1 || target <= IfBase(t) || !t->ifFrames[target - 1]) return Flow_ErrNoBlock(cmd, 45);
  return int(target);
}

// The innermost open block's frame, or null after 101300. The blocks of
// the caller (below the running call's IF base) are not open to a routine.
const IfFrame* TopFrame(TaskRec* t, int cmd) {
  const IfFrame* f = t->ifDepth >= 1 && t->ifDepth > IfBase(t) ? t->ifFrames[t->ifDepth - 1] : nullptr;
  if (!f) Flow_ErrNoBlock(cmd, 45);
  return f;
}
}  // namespace

int32_t Cmd_If() {
  TaskRec* t = g_CurTask.task;
  const ArgDesc* cond = Flow_Desc(0);
  if (!cond || !Flow_Desc(2)) {
    Err_ScriptF(kErrPcOutOfScene, 1, int64_t(g_CurTask.instr));
    return -1;
  }
  int d = t->ifDepth;
  if (d + 1 > kVmMaxOpenDepth) return Flow_ErrDepth(45);
  if ((!t->ifFrames[d] || !t->ifFrames[d + 1]) && !Flow_EnsureIfFrames(t, d + 1)) return -1;
  IfFrame* f = t->ifFrames[d];
  f->loopDepth = uint8_t(t->loopDepth);
  f->ifPc = g_CurTask.instr;
  f->endPc = DescPc(2);
  t->ifDepth = int8_t(d + 1);
  int64_t taken = Flow_EvalInt(cond);
  if (g_QuitRequested) return -1;
  if (taken) return 0;
  uint32_t next = DescPc(1);
  return Task_SetPc(t, next ? next : f->endPc) ? 0 : -1;
}

int32_t Cmd_ElseIf() {
  TaskRec* t = g_CurTask.task;
  const IfFrame* top = TopFrame(t, 11);
  if (!top) return -1;
  const ArgDesc* cond = Flow_Desc(0);
  if (!cond) return 0;  // a plain ELSE: enter the branch
  int64_t taken = Flow_EvalInt(cond);
  if (g_QuitRequested) return -1;
  if (taken) return 0;
  uint32_t next = DescPc(1);
  return Task_SetPc(t, next ? next : top->endPc) ? 0 : -1;
}

int32_t Cmd_IfSkipToEnd() {
  TaskRec* t = g_CurTask.task;
  const IfFrame* top = TopFrame(t, 11);
  return top && Task_SetPc(t, top->endPc) ? 0 : -1;
}

int32_t Cmd_IfEnd() {
  TaskRec* t = g_CurTask.task;
  if (t->ifDepth < 1 || t->ifDepth <= IfBase(t)) return Flow_ErrNoBlock(49, 45);
  t->ifDepth--;
  return 0;
}

int32_t Cmd_IfBreak() {
  if (Cmd_FetchArgs(47)) return -1;
  TaskRec* t = g_CurTask.task;
  int64_t n = Arg_Int(0, 1);
  if (n < 1) return 0;
  int target = TargetDepth(t, 47, n);
  if (target < 0) return -1;
  // Block target-1 stays open until its end instruction closes it.
  const IfFrame* f = t->ifFrames[target - 1];
  if (!Task_SetPc(t, f->endPc)) return -1;
  t->ifDepth = int8_t(target);
  t->loopDepth = int8_t(f->loopDepth);
  return 0;
}

int32_t Cmd_IfRestart() {
  if (Cmd_FetchArgs(48)) return -1;
  TaskRec* t = g_CurTask.task;
  int64_t n = Arg_Int(0, 1);
  if (n < 1) return 0;
  int target = TargetDepth(t, 48, n);
  if (target < 0) return -1;
  // The IF runs again, pushes its frame anew and re-tests its condition.
  const IfFrame* f = t->ifFrames[target - 1];
  if (!Task_SetPc(t, f->ifPc)) return -1;
  t->ifDepth = int8_t(target - 1);
  t->loopDepth = int8_t(f->loopDepth);
  return 0;
}
