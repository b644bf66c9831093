// The assignment command (54) and the declaration commands (51, 26, 90).
#include <cstring>
#include <string>

#include "base/base.h"
#include "vm/vm.h"

namespace {

// The running instruction's descriptors (the scene loader guarantees the
// count each command needs).
struct Instr {
  const ArgDesc* desc;
  uint8_t argc;
  const uint8_t* expr;
};
bool CurInstr(Instr* out) {
  const TaskRec* t = g_CurTask.task;
  if (!t || !t->hasScene || g_CurTask.instr >= t->code.count) return false;
  out->desc = t->code.desc[g_CurTask.instr];
  out->argc = t->code.argc[g_CurTask.instr];
  out->expr = t->code.expr;
  return true;
}

const uint8_t* Expr(const Instr& in, const ArgDesc& d) { return in.expr + d.offset; }

char g_LetText[kExprTextSize];

// A text element: operator 0 sets, 1 appends, others are 101140.
int LetText(uint32_t num, int64_t idx, uint8_t op, const Instr& in, const ArgDesc& vd) {
  if (op > 1) {
    Err_Script(101140, 1);
    return -1;
  }
  int32_t n = g_ExprEvalStr[vd.type](Expr(in, vd), vd.length, g_LetText);
  if (g_Expr.status) return -1;
  const Variable& v = g_VarTable.vars[num];
  if (idx < 0 || idx >= v.count) return 0;  // outside the variable: nothing happens
  if (op == 0) return Var_SetStringElementN(num, idx, g_LetText, size_t(n));
  const char* cur = Var_GetStringElement(num, idx);
  if (!cur) return -1;
  std::string joined = std::string(cur) + std::string(g_LetText, size_t(n));
  return Var_SetStringElementN(num, idx, joined.data(), joined.size());
}

// Every element of the variable gets the value; the dimensions stay.
int LetWhole(uint32_t num, const Instr& in, const ArgDesc& vd) {
  const Variable& v = g_VarTable.vars[num];
  switch (v.type) {
    case 1: {
      int64_t x = g_ExprEvalInt[vd.type](Expr(in, vd), vd.length);
      return g_Expr.status ? -1 : Var_AllocInt(num, x);
    }
    case 2: {
      double x = g_ExprEvalDouble[vd.type](Expr(in, vd), vd.length);
      return g_Expr.status ? -1 : Var_AllocDouble(num, x);
    }
    case 3: {
      int32_t n = g_ExprEvalStr[vd.type](Expr(in, vd), vd.length, g_LetText);
      return g_Expr.status ? -1 : Var_RebuildStringStorage(num, g_LetText, size_t(n));
    }
    default: Err_Script(101140, 1); return -1;
  }
}

int LetElement(uint32_t num, int64_t idx, uint8_t op, const Instr& in, const ArgDesc& vd) {
  const Variable& v = g_VarTable.vars[num];
  switch (v.type) {
    case 1: {
      int64_t x = g_ExprEvalInt[vd.type](Expr(in, vd), vd.length);
      return g_Expr.status ? -1 : VarOp_ApplyInt(num, idx, op, x);
    }
    case 2: {
      double x = g_ExprEvalDouble[vd.type](Expr(in, vd), vd.length);
      return g_Expr.status ? -1 : VarOp_ApplyDouble(num, idx, op, x);
    }
    case 3: return LetText(num, idx, op, in, vd);
    default: Err_Script(101140, 1); return -1;
  }
}

// System variable 53: the current call's passed integers (1..count).
int LetCallValue(int64_t idx, uint8_t op, const Instr& in, const ArgDesc& vd) {
  if (op >= kVarOpCount) {
    Err_Script(101140, 1);
    return -1;
  }
  int64_t x = g_ExprEvalInt[vd.type](Expr(in, vd), vd.length);
  if (g_Expr.status) return -1;
  CallFrame* f = Task_CurCallFrame(g_CurTask.task);
  if (f && idx >= 1 && idx <= f->groups[kGroupPassInt][0]) VarOp_IntTable[op](&f->passInt[idx], x);
  return 0;
}

int LetSystem(uint32_t num, int64_t idx, uint8_t op, const Instr& in, const ArgDesc& vd) {
  if (num == 53) return LetCallValue(idx, op, in, vd);
  int64_t x = g_ExprEvalInt[vd.type](Expr(in, vd), vd.length);
  if (g_Expr.status) return -1;
  int result = 0;
  if (SysVar_Assign(num, idx, op, x, &result)) return result;
  Err_Script(101150, 1);
  return -1;
}

// The usual target, one element-0 token of a declared user variable, names
// its variable without running the evaluator. Anything else (or a variable
// that would fail) takes the general path.
bool TargetFast(const Instr& in, const ArgDesc& td) {
  if (td.length != 8) return false;
  const uint8_t* p = Expr(in, td);
  if (p[0] != 'H' || p[1] != 5 || p[2] != 0 || p[3] == '#' || p[3] == '`') return false;
  int32_t num;
  std::memcpy(&num, p + 4, 4);
  if (num < int32_t(kVarFirstUser) || uint32_t(num) >= g_VarTable.count || !g_VarTable.vars[num].type) return false;
  g_Expr.lastVar = uint32_t(num);
  g_Expr.lastIndex = 0;
  g_Expr.lastWhole = 0;
  g_Expr.lastNamed = 1;
  g_Expr.lastVia = 0;
  return true;
}

}  // namespace

// The operator code is taken from the value descriptor, or from the target
// descriptor when the value's is 0 (compilers differ in where they put it).
int32_t Cmd_Let() {
  Instr in;
  if (!CurInstr(&in) || in.argc < 2) return 0;
  const ArgDesc& td = in.desc[0];
  const ArgDesc& vd = in.desc[1];
  uint8_t op = vd.op ? vd.op : td.op;
  if (!TargetFast(in, td)) {
    g_ExprEvalInt[td.type](Expr(in, td), td.length);
    if (g_Expr.status) return -1;
  }
  if (!g_Expr.lastNamed) {
    Err_Script(101150, 1);
    return -1;
  }
  uint32_t num = g_Expr.lastVar;
  int64_t idx = g_Expr.lastIndex;
  bool whole = g_Expr.lastWhole;
  uint8_t via = g_Expr.lastVia;
  if (via) {
    // Through 50 (int64) or 51 (double): the named user variable must have
    // that type.
    const Variable* v = num >= kVarFirstUser && num < g_VarTable.count ? &g_VarTable.vars[num] : nullptr;
    if (!v || v->type != (via == 50 ? 1 : 2)) {
      Err_Script(108230, 1);
      return -1;
    }
  } else if (num < kVarFirstUser) {
    return LetSystem(num, idx, op, in, vd) ? -1 : 0;
  }
  if (num >= g_VarTable.count) {
    Err_Script(108010, 1);
    return -1;
  }
  int r = whole ? LetWhole(num, in, vd) : LetElement(num, idx, op, in, vd);
  return r ? -1 : 0;
}

// ---- Declarations -----------------------------------------------------------

namespace {

// Evaluates argument 1 reference-only: the variable and its dimensions.
bool DeclTarget(uint32_t* num) {
  int s = g_ArgGiven[1];
  if (!s) {
    Err_Script(101140, 1);
    return false;
  }
  const ArgSlot& a = g_ArgSlot[s];
  g_Expr.refOnly = 1;
  g_ExprEvalInt[a.type](a.raw, a.length);
  g_Expr.refOnly = 0;
  if (g_Expr.status) return false;
  if (!g_Expr.lastNamed || g_Expr.lastVar >= g_VarTable.count) {
    Err_Script(108010, 1);
    return false;
  }
  Variable& v = g_VarTable.vars[g_Expr.lastVar];
  for (int k = 0; k < kVarMaxDims; ++k) {
    int64_t d = k < g_Expr.refDimCount ? g_Expr.refDims[k] : 0;
    if (k < g_Expr.refDimCount && (d <= 0 || d > kVarMaxElements)) {
      // Out of range for a dimension: the size check reports it.
      if (d <= 0) {
        Err_Script(101110, 1);
      } else {
        Err_ScriptF(101100, 1, int(kVarMaxElements));
      }
      return false;
    }
    v.dims[k] = uint32_t(d);
  }
  v.dimCount = g_Expr.refDimCount;
  *num = g_Expr.lastVar;
  return true;
}

const ArgSlot* InitArg() { return g_ArgGiven[2] ? &g_ArgSlot[g_ArgGiven[2]] : nullptr; }

}  // namespace

int32_t Cmd_DimInt() {
  if (Cmd_FetchArgs(51)) return -1;
  uint32_t num;
  if (!DeclTarget(&num)) return -1;
  const ArgSlot* a = InitArg();
  int64_t init = a ? g_ExprEvalInt[a->type](a->raw, a->length) : 0;
  if (a && g_Expr.status) return -1;
  return Var_AllocInt(num, init) ? -1 : 0;
}

int32_t Cmd_DimFloat() {
  if (Cmd_FetchArgs(26)) return -1;
  uint32_t num;
  if (!DeclTarget(&num)) return -1;
  const ArgSlot* a = InitArg();
  double init = a ? g_ExprEvalFloat[a->type](a->raw, a->length) : 0.0;
  if (a && g_Expr.status) return -1;
  return Var_AllocDouble(num, init) ? -1 : 0;
}

int32_t Cmd_DimStr() {
  if (Cmd_FetchArgs(90)) return -1;
  uint32_t num;
  if (!DeclTarget(&num)) return -1;
  const ArgSlot* a = InitArg();
  int32_t n = a ? g_ExprEvalStr[a->type](a->raw, a->length, g_LetText) : 0;
  if (a && g_Expr.status) return -1;
  return Var_RebuildStringStorage(num, a ? g_LetText : "", size_t(n)) ? -1 : 0;
}
