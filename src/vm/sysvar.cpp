// System variables (numbers below 1000): computed when read. This file holds
// the numbers whose state the VM core owns, hands the task and call-frame
// numbers (48, 53-69) to the flow code and the clock, counter, mouse and key
// numbers to the shell through g_SysVarShellHook; numbers whose subsystems are not built read 0 or "".
#include <cstring>

#include "base/base.h"
#include "vm/vm.h"

uint32_t g_SysVarCountValue = 0;
SysVarGetFn g_SysVarShellHook = nullptr;

namespace {
constexpr int64_t kEngineVersion = 480;
constexpr double kPi = 3.141592653589793;

const Variable* UserVar(uint64_t ref) {
  uint32_t n = uint32_t(ref >> 32);
  if (n < kVarFirstUser || n >= g_VarTable.count) return nullptr;
  const Variable* v = &g_VarTable.vars[n];
  return v->type ? v : nullptr;
}
}  // namespace

int64_t SysVar_Get(uint32_t number, int64_t index) {
  int64_t flow;
  if (SysVar_GetFlow(int32_t(number), index, &flow)) return flow;
  if (g_SysVarShellHook && g_SysVarShellHook(int32_t(number), index, &flow)) return flow;
  switch (number) {
    case 49: return 999;
    case 50:  // the int64 value of element 0 of the variable in the upper half
      return UserVar(uint64_t(index)) ? Var_GetIntElement(uint32_t(uint64_t(index) >> 32), 0) : 0;
    case 70: {
      const Variable* v = UserVar(uint64_t(index));
      return v ? v->type : 0;
    }
    case 108: return kEngineVersion;
    case 110: return int64_t(g_VmPassCounter);
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

int32_t Expr_GetSystemString(uint32_t number, char* out, int64_t index) {
  out[0] = '\0';
  if (SysVar_GetFlowString(int32_t(number), index, out, kExprTextSize)) {
    return int32_t(std::strlen(out));
  }
  switch (number) {
    case 52: {
      if (!UserVar(uint64_t(index))) return 0;
      const char* s = Var_GetStringElement(uint32_t(uint64_t(index) >> 32), int64_t(uint32_t(index)));
      if (!s) return 0;
      size_t n = std::strlen(s);
      if (n > size_t(kExprTextSize - 1)) n = kExprTextSize - 1;
      std::memcpy(out, s, n);
      out[n] = '\0';
      return int32_t(n);
    }
    case 127:  // one character whose code is the index
      if (index > 0 && index < 256) {
        out[0] = char(index);
        out[1] = '\0';
        return 1;
      }
      return 0;
    case 130: {  // the task tree's current path
      const char* p = g_TreeRoots[kTreeTask].curPath;
      size_t n = strnlen(p, kObjPathMax - 1);
      std::memcpy(out, p, n);
      out[n] = '\0';
      return int32_t(n);
    }
    default: return 0;
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
// button (147-275), and the button map (415-542).
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
