// Variable tokens of the evaluator: element 0 ('H'), element access
// ('V' ... ')'), the whole variable ('v'), and the system variables 50, 51,
// 52 and 70 whose single index names another variable.
#include "vm/expr_internal.h"

using namespace expr;

namespace {

const Variable* Rec(uint32_t number) {
  return number < g_VarTable.count ? &g_VarTable.vars[number] : nullptr;
}

// A user variable must exist and be declared; a system variable may lack
// its record (it then reads 0).
bool CheckExists(int32_t number) {
  if (number < 0) return false;
  if (uint32_t(number) < kVarFirstUser) return true;
  const Variable* v = Rec(uint32_t(number));
  return v && v->type != 0;
}

void SetLast(uint32_t var, int64_t index, uint8_t whole, uint8_t sigil) {
  g_Expr.lastVar = var;
  g_Expr.lastIndex = index;
  g_Expr.lastWhole = whole;
  g_Expr.lastSigil = sigil;
  g_Expr.lastNamed = 1;
  g_Expr.lastVia = 0;
}

// Pushes one element's value by the variable's type (a system variable by
// the type its record declares).
int PushElement(uint32_t number, int64_t index) {
  const Variable* v = Rec(number);
  uint8_t type = v ? v->type : 1;
  if (type == 3) {
    const char* s = Var_GetStringElement(number, index);
    if (!s) s = "";
    return PushText(s, std::strlen(s));
  }
  if (type == 2) return PushDouble(Var_ReadFloatElement(number, index));
  return PushInt(Var_GetIntElement(number, index));
}

// Pushes either the element's value or, for a reference sigil, the number
// variable * 2^32 + element index (0 for a system variable).
int PushValueOrRef(uint32_t number, int64_t index, uint8_t sigil) {
  if (!SigilKind(sigil)) return PushElement(number, index);
  if (number < kVarFirstUser) return PushInt(0);
  return PushInt(int64_t((uint64_t(number) << 32) + uint64_t(index)));
}

// System variables 50, 51, 52 and 70: the one index is a reference
// (variable << 32 | element) made with a reference sigil.
int CloseSpecial(const ExprState::Access& a, int nidx) {
  if (nidx != 1) return Fail(107020);
  uint64_t ref = uint64_t(g_Expr.ints[a.pos + 1]);
  uint32_t target = uint32_t(ref >> 32);
  int64_t elem = int64_t(uint32_t(ref));
  g_Expr.sp = a.pos;
  const Variable* v = target >= kVarFirstUser ? Rec(target) : nullptr;
  bool user = v && v->type != 0;
  if (a.var == 50 || a.var == 51) {
    // An assignment through 50 or 51 names its target even when it is not
    // a user variable, so the assignment can report 108230.
    SetLast(target, elem, 0, 0);
    g_Expr.lastVia = uint8_t(a.var);
  }
  switch (a.var) {
    case 50: return PushInt(user ? Var_GetIntElement(target, elem) : 0);
    case 51: return PushDouble(user ? Var_ReadFloatElement(target, elem) : 0.0);
    case 52: {
      const char* s = user ? Var_GetStringElement(target, elem) : nullptr;
      if (user) SetLast(target, elem, 0, 0);
      if (!s) s = "";
      return PushText(s, std::strlen(s));
    }
    default:  // 70: the type of the named variable
      return PushInt(user ? v->type : 0);
  }
}

}  // namespace

namespace expr {

int OpVarValue() {
  if (g_Expr.plen < 5) return Fail(900030);
  uint8_t sigil = g_Expr.tok[0];
  int32_t num = Load<int32_t>(g_Expr.tok + 1);
  if (g_Expr.refOnly && g_Expr.depth == 0) {
    // A scalar declaration: only the variable is wanted.
    if (num < 0 || uint32_t(num) >= g_VarTable.count) return Fail(108010);
    SetLast(uint32_t(num), 0, 0, sigil);
    g_Expr.refDimCount = 0;
    return PushInt(0);
  }
  if (!CheckExists(num)) return Fail(108010);
  SetLast(uint32_t(num), 0, 0, sigil);
  // The common case, a user number variable read by value, skips the
  // general element read.
  if (uint32_t(num) >= kVarFirstUser && !SigilKind(sigil)) {
    const Variable& v = g_VarTable.vars[num];
    if (v.type == 1) return PushInt(v.ints[0]);
    if (v.type == 2) return PushDouble(v.dbls[0]);
  }
  return PushValueOrRef(uint32_t(num), 0, sigil);
}

int OpVarWhole() {
  uint8_t sigil;
  int32_t num;
  if (!ReadVarPayload(&sigil, &num)) return Fail(900030);
  if (num < 0 || (uint32_t(num) >= kVarFirstUser && uint32_t(num) >= g_VarTable.count)) return Fail(108010);
  SetLast(uint32_t(num), 0, 1, sigil);
  if (g_Expr.refOnly && g_Expr.depth == 0) g_Expr.refDimCount = 0;
  return PushInt(0);
}

int OpVarOpen() {
  uint8_t sigil;
  int32_t num;
  if (!ReadVarPayload(&sigil, &num)) return Fail(900030);
  if (g_Expr.depth >= kExprAccessMax) return Fail(900030);
  int s = PushSlot();  // the placeholder
  if (s < 0) return -1;
  g_Expr.ints[s] = 0;
  g_Expr.dbls[s] = 0.0;
  g_Expr.access[g_Expr.depth++] = {uint16_t(s), num, sigil};
  return 0;
}

int OpVarClose() {
  if (g_Expr.depth == 0) return Fail(900030);
  const ExprState::Access a = g_Expr.access[--g_Expr.depth];
  int nidx = int(g_Expr.sp) - int(a.pos) - 1;
  for (int k = 0; k < nidx; ++k) {
    if (g_Expr.tags[a.pos + 1 + k]) return Fail(160010);
  }
  const int64_t* idx = &g_Expr.ints[a.pos + 1];

  if (g_Expr.refOnly && g_Expr.depth == 0) {
    // Declaration target: the indices are the new dimensions, unchecked.
    if (a.var < 0 || uint32_t(a.var) >= g_VarTable.count) return Fail(108010);
    if (nidx > kVarMaxDims) return Fail(107010);
    g_Expr.refDimCount = uint8_t(nidx);
    for (int k = 0; k < nidx; ++k) g_Expr.refDims[k] = idx[k];
    SetLast(uint32_t(a.var), 0, 0, a.sigil);
    g_Expr.sp = a.pos;
    return 0;
  }
  if (a.var == 50 || a.var == 51 || a.var == 52 || a.var == 70) return CloseSpecial(a, nidx);
  if (!CheckExists(a.var)) return Fail(108010);

  // Every index must lie below its dimension (unsigned, so negatives fail);
  // more indices than dimensions fail too. Missing trailing indices are 0.
  const Variable* v = Rec(uint32_t(a.var));
  int dims = v ? v->dimCount : 0;
  if (nidx > dims) return Fail(107010);
  int64_t flat = 0;
  for (int k = 0; k < dims; ++k) {
    uint64_t i = k < nidx ? uint64_t(idx[k]) : 0;
    if (i >= v->dims[k]) return Fail(107010);
    flat = flat * int64_t(v->dims[k]) + int64_t(i);
  }
  SetLast(uint32_t(a.var), flat, 0, a.sigil);
  g_Expr.sp = a.pos;
  return PushValueOrRef(uint32_t(a.var), flat, a.sigil);
}

}  // namespace expr
