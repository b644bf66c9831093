// System variables (numbers below 1000): computed when read. This file holds
// the integer and double numbers whose state the VM or the engine-wide
// ground keeps, hands the task and call-frame numbers (48, 53-69) to the flow
// code and asks the getters of the higher subsystems (sysvar_hooks.h) for
// the rest; a number nobody serves reads 0.
#include <cstring>

#include "base/base.h"
#include "platform/clock.h"
#include "platform/sysinfo.h"
#include "vm/sysvar_hooks.h"
#include "vm/vm.h"

uint32_t g_SysVarCountValue = 0;
SysVarHooks g_SysVarHooks;

namespace {
constexpr int64_t kEngineVersion = 480;
constexpr int64_t kSysVar49 = 999;
constexpr double kPi = 3.141592653589793;

const Variable* UserVar(uint64_t ref) {
  uint32_t n = uint32_t(ref >> 32);
  if (n < kVarFirstUser || n >= g_VarTable.count) return nullptr;
  const Variable* v = &g_VarTable.vars[n];
  return v->type ? v : nullptr;
}

// Numbers 0 and 1 and the play timer of 111: local time and the clocks.
int64_t TimeVariable(uint32_t number, int64_t index) {
  if (number == 0) {
    if (index >= 0 && index < 8) {
      int32_t t[8];
      Sys_LocalTime(t);
      return t[index];
    }
    return index >= 8 && index < 16 ? g_StartLocalTime[index - 8] : 0;
  }
  uint32_t now = Clock_Ms32();
  if (number == 111) return Timer_Read(0, now);
  if (index == 0) return now;  // the wrapping tick is what scripts compare
  return index >= 1 && index <= kPlayTimerCount ? Timer_Read(int(index - 1), now) : 0;
}

// Numbers 5, 6 and 7: total bytes, load in percent, available bytes, as a
// 32-bit program sees them (byte counts capped at 2^31 - 1); 0 when unknown.
int64_t MemoryVariable(uint32_t number) {
  constexpr uint64_t kCap = 0x7FFFFFFF;
  uint64_t total = 0, avail = 0;
  if (!PlatSys_Memory(&total, &avail) || total == 0) return 0;
  if (avail > total) avail = total;
  if (number == 6) return int64_t(100 - avail * 100 / total);
  uint64_t v = number == 5 ? total : avail;
  return int64_t(v > kCap ? kCap : v);
}
}  // namespace

bool SysVar_AskHooks(int32_t number, int64_t index, int64_t* out) {
  for (SysVarIntHook h : {g_SysVarHooks.shell, g_SysVarHooks.render, g_SysVarHooks.sound,
                          g_SysVarHooks.media}) {
    if (h && h(number, index, out)) return true;
  }
  return false;
}

int64_t SysVar_Get(uint32_t number, int64_t index) {
  int64_t v;
  if (SysVar_GetFlow(int32_t(number), index, &v)) return v;
  if (SysVar_AskHooks(int32_t(number), index, &v)) return v;
  switch (number) {
    case 0: case 1: case 111: return TimeVariable(number, index);
    case 2: return PlatSys_IsAdmin() ? 1 : 0;
    case 4: return g_SoundMode > 0 ? 1 : 0;
    case 5: case 6: case 7: return MemoryVariable(number);
    case 9: return g_DataDirNotWritable;
    case 11: return g_DebugMode;
    case 13: return g_Args.count;
    case 49: return kSysVar49;
    case 50:  // the int64 value of element 0 of the variable in the upper half
      return UserVar(uint64_t(index)) ? Var_GetIntElement(uint32_t(uint64_t(index) >> 32), 0) : 0;
    case 70: {
      const Variable* u = UserVar(uint64_t(index));
      return u ? u->type : 0;
    }
    case 108: return kEngineVersion;
    case 110: return int64_t(g_VmPassCounter);
    case 112: return g_SavePlace;
    case 121: return g_SysVarUserByte;
    case 124: return g_SysVarCountValue;
    case 126: {
      const ObjNode* root = g_TreeRoots[kTreeTask].root;
      return root ? root->childCount : 0;
    }
    default: return 0;
  }
}

double SysVar_GetDouble(uint32_t number, int64_t index) {
  double flow;
  if (SysVar_GetFlowDouble(int32_t(number), index, &flow)) return flow;
  switch (number) {
    case 10: return kPi;
    case 51: {
      if (!UserVar(uint64_t(index))) return 0.0;
      uint32_t n = uint32_t(uint64_t(index) >> 32);
      int64_t e = int64_t(uint32_t(index));
      return Var_ReadFloatElement(n, e);
    }
    default: return double(SysVar_Get(number, index));
  }
}

namespace {
// Stores into a key's hold counter only a value whose sign agrees with the
// key's state (negative while up, positive while down); anything else
// clears it.
void SetKeyCounter(int64_t key, uint8_t op, int64_t v) {
  if (key <= 0 || key >= int64_t(kKeyCount)) return;
  KeyCounter& k = g_KeyCounters[size_t(key)];
  int64_t x = k.counter;
  VarOp_IntTable[op](&x, v);
  bool down = k.edge != 0;
  k.counter = (down ? x > 0 : x < 0) ? x : 0;
}
}  // namespace

// Writable system variables: the hold counters by key number (144) and by
// button (147-275) and the button map (415-542). Every other number is
// read-only, the engine words of the window procedures among them.
int SysVar_Assign(uint32_t number, int64_t index, uint8_t op, int64_t v, int* result) {
  bool key = number == 144 || (number >= 147 && number <= 275);
  bool map = number >= 415 && number <= 542;
  if (!key && !map) return 0;
  *result = 0;
  if (op >= kVarOpCount) {
    Err_Script(101140, 1);
    *result = -1;
    return 1;
  }
  if (number == 144) {
    SetKeyCounter(index, op, v);
  } else if (key) {
    if (number - 147 < uint32_t(kButtonMapSize)) SetKeyCounter(g_ButtonMap[number - 147], op, v);
  } else if (number - 415 < uint32_t(kButtonMapSize)) {
    int64_t x = g_ButtonMap[number - 415];
    VarOp_IntTable[op](&x, v);
    g_ButtonMap[number - 415] = uint8_t(x);
  }
  return 1;
}
