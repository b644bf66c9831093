// LOOP blocks: LOOP (56), leave loops (57), next round (58), end of loop
// (59). Innermost counter readable as system variable 48.
#include "base/base.h"
#include "vm/vm.h"

namespace {
inline int LoopBase(const TaskRec* t) {
  return t->callDepth >= 1 && t->callFrames[t->callDepth] ? t->callFrames[t->callDepth]->loopBase : 0;
}

// Frame of the n-th enclosing loop for a leave or next-round command, or
// null after 101300. Sets *target to the LOOP depth that stays open.
LoopFrame* EnclosingLoop(TaskRec* t, int cmd, int* target) {
  if (Cmd_FetchArgs(cmd)) return nullptr;
  int64_t n = Arg_Int(0, 1);
  if (n < 1) {
    *target = -1;
    return nullptr;
  }
  int64_t tg = int64_t(t->loopDepth) - n + 1;
  if (tg < 1 || tg <= LoopBase(t) || !t->loopFrames[tg - 1]) {
    Flow_ErrNoBlock(cmd, 56);
    return nullptr;
  }
  *target = int(tg);
  return t->loopFrames[tg - 1];
}
}  // namespace

int32_t Cmd_Loop() {
  if (Cmd_FetchArgs(56)) return -1;
  TaskRec* t = g_CurTask.task;
  const ArgDesc* exit = Flow_Desc(1);
  if (!exit || g_ArgCount < 2) {
    Err_ScriptF(kErrPcOutOfScene, 1, int64_t(g_CurTask.instr));
    return -1;
  }
  int d = t->loopDepth;
  if (d + 1 > kVmMaxOpenDepth) return Flow_ErrDepth(56);
  if ((!t->loopFrames[d] || !t->loopFrames[d + 1]) && !Flow_EnsureLoopFrames(t, d + 1)) return -1;
  LoopFrame* f = t->loopFrames[d];
  f->ifDepth = uint8_t(t->ifDepth);
  f->bodyPc = g_CurTask.instr + 1;
  f->exitPc = exit->length;
  f->counter = 1;
  // The count is evaluated here, by its descriptor's value type, whatever
  // kind the game's command table gives the argument.
  f->count = Flow_EvalInt(Flow_Desc(0));
  if (g_Expr.status != 0) return -1;
  t->loopDepth = int8_t(d + 1);
  if (f->count != 0) return 0;
  // Count 0: the end instruction closes the loop at once.
  f->counter = 0;
  return Task_SetPc(t, f->exitPc) ? 0 : -1;
}

int32_t Cmd_LoopEnd() {
  TaskRec* t = g_CurTask.task;
  // A routine never closes its caller's loops.
  if (t->loopDepth >= 1 && t->loopDepth <= LoopBase(t)) return Flow_ErrNoBlock(59, 56);
  LoopFrame* f = t->loopDepth >= 1 ? t->loopFrames[t->loopDepth - 1] : nullptr;
  if (!f) {
    Err_Script(108120, 1);
    return -1;
  }
  if (f->count != -1 && f->counter >= f->count) {
    t->loopDepth--;
    f->counter = f->count = 0;
    f->bodyPc = 0;
    return 0;
  }
  f->counter++;
  t->pc = f->bodyPc;
  t->ifDepth = int8_t(f->ifDepth);
  return 0;
}

int32_t Cmd_LoopBreak() {
  TaskRec* t = g_CurTask.task;
  int target = 0;
  LoopFrame* f = EnclosingLoop(t, 57, &target);
  if (!f) return target < 0 ? 0 : -1;
  if (!Task_SetPc(t, f->exitPc)) return -1;
  t->loopDepth = int8_t(target);
  t->ifDepth = int8_t(f->ifDepth);
  f->counter = f->count = 0;  // its end instruction closes it
  return 0;
}

int32_t Cmd_LoopContinue() {
  TaskRec* t = g_CurTask.task;
  int target = 0;
  LoopFrame* f = EnclosingLoop(t, 58, &target);
  if (!f) return target < 0 ? 0 : -1;
  if (!Task_SetPc(t, f->exitPc)) return -1;
  t->loopDepth = int8_t(target);
  t->ifDepth = int8_t(f->ifDepth);
  return 0;
}
