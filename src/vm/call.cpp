// Jumps, calls with passed values and returns with returned values (43, 44,
// 77). A call made at depth d keeps its return information in call frame
// d+1 and the passed values in frame d+2; the code at depth n reads both its
// passed values and, after a return, the returned values in frame n+1.
#include <algorithm>
#include <cstring>

#include "base/base.h"
#include "vm/vm.h"

namespace {
// Id ranges of the value arguments: call 1-16 / 17-32 / 33-48, return
// 0-15 / 16-31 / 32-47.
constexpr int kCallFirstId = 1;
constexpr int kReturnFirstId = 0;

struct ValueCounts {
  int ints, dbls, strs;
};

// The three counts packed in the instruction's u16 field, each at most 16.
ValueCounts UnpackCounts(uint16_t x) {
  int lo = x & 0xFF;
  ValueCounts c{lo >> 3, (lo & 7) * 4 + (x >> 14), (x >> 9) & 31};
  c.ints = std::min(c.ints, kCallValueCount);
  c.dbls = std::min(c.dbls, kCallValueCount);
  c.strs = std::min(c.strs, kCallValueCount);
  return c;
}

// Fills one frame's values of one direction from the fetched arguments.
// firstId is the id of integer value 1; doubles and texts follow by 16.
void FillValues(CallFrame* f, int groupBase, const ValueCounts& c, int firstId, bool fill,
                int64_t* ints, double* dbls, std::string* strs) {
  f->groups[groupBase + 0][0] = uint8_t(c.ints);
  f->groups[groupBase + 1][0] = uint8_t(c.dbls);
  f->groups[groupBase + 2][0] = uint8_t(c.strs);
  if (!fill) return;
  const uint8_t* expr = g_CurTask.task->code.expr;
  for (int k = 1; k <= c.ints; ++k) {
    uint8_t s = g_ArgGiven[firstId + k - 1];
    ints[k] = s ? g_ArgInt[s] : 0;
    f->groups[groupBase + 0][k] = s ? 1 : 0;
  }
  for (int k = 1; k <= c.dbls; ++k) {
    uint8_t s = g_ArgGiven[firstId + kCallValueCount + k - 1];
    // Doubles arrive raw and are evaluated here in double arithmetic.
    dbls[k] = s ? g_ExprEvalFloat[g_ArgSlot[s].type](expr + g_ArgSlot[s].offset, g_ArgSlot[s].length) : 0.0;
    f->groups[groupBase + 1][k] = s ? 1 : 0;
  }
  for (int k = 1; k <= c.strs; ++k) {
    uint8_t s = g_ArgGiven[firstId + 2 * kCallValueCount + k - 1];
    if (s && g_ArgStr[s]) strs[k].assign(g_ArgStr[s]);
    else strs[k].clear();
    f->groups[groupBase + 2][k] = s ? 1 : 0;
  }
}

// Label index of a jump or call descriptor: resolved at load, else looked up
// by the text of its expression now. -1 after 108180.
int32_t LabelOf(const ArgDesc* d, bool jump) {
  if (jump && d->length >= kJumpResolvedBit) return int32_t(d->length & kJumpIndexMask);
  if (!jump) {
    uint16_t pre = uint16_t(d->type | (d->op << 8));
    if (pre) return pre;
  }
  char name[kExprTextSize];
  int32_t len = Flow_EvalText(d, name);
  if (g_QuitRequested) return -1;
  int32_t label = Label_Find(name, size_t(len < 0 ? 0 : len));
  if (label < 0) Err_ScriptF(108180, 1, name);
  return label;
}

// The call's descriptor with argument id 0 (the label).
const ArgDesc* LabelDesc() {
  for (uint32_t p = 0;; ++p) {
    const ArgDesc* d = Flow_Desc(p);
    if (!d || d->id == 0) return d;
  }
}
}  // namespace

int32_t Cmd_Jump() {
  const ArgDesc* d = Flow_Desc(0);
  if (!d) {
    Err_ScriptF(108180, 1, "");
    return -1;
  }
  int32_t label = LabelOf(d, true);
  if (label < 0) return -1;
  return Flow_GotoLabel(g_CurTask.task, label, true) ? 0 : -1;
}

int32_t Cmd_Call() {
  TaskRec* t = g_CurTask.task;
  uint32_t i = g_CurTask.instr;
  if (Cmd_FetchArgsFrom(44, t->code.desc[i], t->code.argc[i], t->code.expr, true)) return -1;
  int d = t->callDepth;
  if (d + 1 > kVmMaxOpenDepth) return Flow_ErrDepth(44);
  const ArgDesc* ld = LabelDesc();
  if (!ld) {
    Err_ScriptF(108180, 1, "");
    return -1;
  }
  if (!Flow_EnsureCallFrame(t, d + 1) || !Flow_EnsureCallFrame(t, d + 2)) return -1;
  CallFrame* pass = t->callFrames[d + 2];
  FillValues(pass, kGroupPassInt, UnpackCounts(t->code.extra[i]), kCallFirstId, t->code.argc[i] > 1,
             pass->passInt, pass->passDbl, pass->passStr);
  if (g_QuitRequested) return -1;
  int32_t label = LabelOf(ld, false);
  if (label < 0) return -1;
  CallFrame* ret = t->callFrames[d + 1];
  ret->retPc = i + 1;
  ret->retScene = t->scene;
  ret->line = t->code.lines ? t->code.lines[i] : 0;
  ret->ifBase = uint8_t(t->ifDepth);
  ret->loopBase = uint8_t(t->loopDepth);
  t->callDepth = int8_t(d + 1);
  return Flow_GotoLabel(t, label, false) ? 0 : -1;
}

int32_t Cmd_ReturnValues() {
  if (Cmd_FetchArgs(77)) return -1;
  TaskRec* t = g_CurTask.task;
  int n = t->callDepth;
  if (n < 1) {
    // At depth 0 a RETURN ends the task; the system task must not end.
    if (t->isSystem) return Flow_ErrNoBlock(77, 44);
    Task_End(g_CurTask.node);
    return 1;
  }
  CallFrame* f = t->callFrames[n];
  uint32_t i = g_CurTask.instr;
  FillValues(f, kGroupRetInt, UnpackCounts(t->code.extra[i]), kReturnFirstId, t->code.argc[i] > 0,
             f->retInt, f->retDbl, f->retStr);
  if (g_QuitRequested) return -1;
  t->callDepth = int8_t(n - 1);
  if (!Task_EnterScene(t, f->retScene)) return -1;
  return Task_SetPc(t, f->retPc) ? 0 : -1;
}
