// Helpers shared by the task and flow commands: descriptors of the running
// instruction, frame allocation, the structure errors and label moves.
#include <new>

#include "files/files.h"
#include "base/base.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

const ArgDesc* Flow_Desc(uint32_t pos) {
  const TaskRec* t = g_CurTask.task;
  uint32_t i = g_CurTask.instr;
  if (!t || pos >= t->code.argc[i]) return nullptr;
  return t->code.desc[i] + pos;
}

int64_t Flow_EvalInt(const ArgDesc* d) {
  return g_ExprEvalInt[d->type](g_CurTask.task->code.expr + d->offset, d->length);
}

double Flow_EvalDouble(const ArgDesc* d) {
  return g_ExprEvalFloat[d->type](g_CurTask.task->code.expr + d->offset, d->length);
}

int32_t Flow_EvalText(const ArgDesc* d, char* out) {
  out[0] = 0;
  return g_ExprEvalStr[3](g_CurTask.task->code.expr + d->offset, d->length, out);
}

int32_t Flow_ErrDepth(int cmd) {
  const char* name = Flow_CmdName(cmd);
  Err_ScriptF(101600, 1, name, name, 64);
  return -1;
}

int32_t Flow_ErrNoBlock(int cmd, int opener) {
  const char* name = Flow_CmdName(cmd);
  Err_ScriptF(101300, 1, name, name, Flow_CmdName(opener));
  return -1;
}

bool Flow_EnsureIfFrames(TaskRec* t, int depth) {
  for (int k = 0; k <= depth && k < kTaskFrameSlots; ++k) {
    if (!t->ifFrames[k] && !(t->ifFrames[k] = new (std::nothrow) IfFrame{})) {
      Err_Script(100010, 1);
      return false;
    }
  }
  return true;
}

bool Flow_EnsureLoopFrames(TaskRec* t, int depth) {
  for (int k = 0; k <= depth && k < kTaskFrameSlots; ++k) {
    if (!t->loopFrames[k] && !(t->loopFrames[k] = new (std::nothrow) LoopFrame{})) {
      Err_Script(100010, 1);
      return false;
    }
  }
  return true;
}

bool Flow_EnsureCallFrame(TaskRec* t, int number) {
  if (number < 1 || number >= kTaskFrameSlots) return false;
  if (!t->callFrames[number] && !(t->callFrames[number] = new (std::nothrow) CallFrame{})) {
    Err_Script(100010, 1);
    return false;
  }
  return true;
}

bool Flow_GotoLabel(TaskRec* t, int32_t label, bool setDepths) {
  if (label < 0 || uint32_t(label) >= g_LabelTable.count) {
    Err_ScriptF(108180, 1, "");
    return false;
  }
  const LabelRec& l = g_LabelTable.labels[label];
  if (setDepths) {
    // Label depths count from the enclosing call's bases.
    int ifDepth = l.ifDepth, loopDepth = l.loopDepth;
    if (t->callDepth >= 1 && t->callFrames[t->callDepth]) {
      ifDepth += t->callFrames[t->callDepth]->ifBase;
      loopDepth += t->callFrames[t->callDepth]->loopBase;
    }
    if (ifDepth > kVmMaxOpenDepth) return Flow_ErrDepth(45), false;
    if (loopDepth > kVmMaxOpenDepth) return Flow_ErrDepth(56), false;
    if (!Flow_EnsureIfFrames(t, ifDepth) || !Flow_EnsureLoopFrames(t, loopDepth)) return false;
    t->ifDepth = int8_t(ifDepth);
    t->loopDepth = int8_t(loopDepth);
  }
  if (!Task_EnterScene(t, l.scene)) return false;
  return Task_SetPc(t, l.pc);
}

const char* Flow_CmdName(int cmd) {
  // The game's command table names commands; before it is read (or where
  // it names none) the program's own schema does.
  if (cmd >= 0 && cmd < kCmdCount && g_CmdTable.names[cmd]) return g_CmdTable.names[cmd];
  static char buf[16];
  return CmdSchema_Name(cmd, buf, sizeof buf);
}
