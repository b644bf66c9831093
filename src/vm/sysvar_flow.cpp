// System variables of tasks and calls: the innermost LOOP counter (48), the
// current call frame's passed and returned values with their given flags
// (53-66) and the running task's start values (67-69). Values are numbered
// 1..16; an index beyond a group's count reads 0, 0.0 or "".
#include <cstring>

#include "vm/task.h"

namespace {
const CallFrame* CurFrame() { return Task_CurCallFrame(g_CurTask.task); }

// A value index that stands within the group's count.
bool InGroup(const CallFrame* f, int group, int64_t index) {
  return f && index >= 1 && index <= f->groups[group][0];
}

// Numbers 57-59 and 64-66: 1 when value `index` of the group was given.
int64_t GivenFlag(const CallFrame* f, int group, int64_t index) {
  if (!InGroup(f, group, index)) return 0;
  return f->groups[group][index] > 0 ? 1 : 0;
}

void CopyText(const std::string& s, char* out, size_t cap) {
  size_t n = s.size() < cap - 1 ? s.size() : cap - 1;
  std::memcpy(out, s.data(), n);
  out[n] = 0;
}
}  // namespace

bool SysVar_GetFlow(int32_t number, int64_t index, int64_t* out) {
  const TaskRec* t = g_CurTask.task;
  const CallFrame* f = CurFrame();
  switch (number) {
    case 48:
      *out = t && t->loopDepth > 0 && t->loopFrames[t->loopDepth - 1] ? t->loopFrames[t->loopDepth - 1]->counter : 0;
      return true;
    case 53: *out = InGroup(f, kGroupPassInt, index) ? f->passInt[index] : 0; return true;
    case 56:
      *out = GivenFlag(f, kGroupPassInt, index) | GivenFlag(f, kGroupPassDbl, index) |
             GivenFlag(f, kGroupPassStr, index);
      return true;
    case 57: *out = GivenFlag(f, kGroupPassInt, index); return true;
    case 58: *out = GivenFlag(f, kGroupPassDbl, index); return true;
    case 59: *out = GivenFlag(f, kGroupPassStr, index); return true;
    case 60: *out = InGroup(f, kGroupRetInt, index) ? f->retInt[index] : 0; return true;
    case 63:
      *out = GivenFlag(f, kGroupRetInt, index) | GivenFlag(f, kGroupRetDbl, index) |
             GivenFlag(f, kGroupRetStr, index);
      return true;
    case 64: *out = GivenFlag(f, kGroupRetInt, index); return true;
    case 65: *out = GivenFlag(f, kGroupRetDbl, index); return true;
    case 66: *out = GivenFlag(f, kGroupRetStr, index); return true;
    case 67:
      *out = t && index >= 1 && index <= kTaskStartValues ? t->startInt[index] : 0;
      return true;
    default: return false;
  }
}

bool SysVar_GetFlowDouble(int32_t number, int64_t index, double* out) {
  const TaskRec* t = g_CurTask.task;
  const CallFrame* f = CurFrame();
  switch (number) {
    case 54: *out = InGroup(f, kGroupPassDbl, index) ? f->passDbl[index] : 0.0; return true;
    case 61: *out = InGroup(f, kGroupRetDbl, index) ? f->retDbl[index] : 0.0; return true;
    case 68:
      *out = t && index >= 1 && index <= kTaskStartValues ? t->startDbl[index] : 0.0;
      return true;
    default: return false;
  }
}

bool SysVar_GetFlowString(int32_t number, int64_t index, char* out, size_t cap) {
  const TaskRec* t = g_CurTask.task;
  const CallFrame* f = CurFrame();
  if (!cap) return false;
  out[0] = 0;
  switch (number) {
    case 55:
      if (InGroup(f, kGroupPassStr, index)) CopyText(f->passStr[index], out, cap);
      return true;
    case 62:
      if (InGroup(f, kGroupRetStr, index)) CopyText(f->retStr[index], out, cap);
      return true;
    case 69:
      if (t && index >= 1 && index <= kTaskStartValues) CopyText(t->startStr[index], out, cap);
      return true;
    default: return false;
  }
}
