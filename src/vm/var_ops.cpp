// The 18 element assignment operators (nine for int64, nine for double).
// Integer arithmetic wraps; division and remainder by zero keep the element,
// and INT64_MIN / -1 (which traps in hardware) gives INT64_MIN, % -1 gives 0.
#include <cstdint>

#include "base/base.h"
#include "vm/vm.h"

VarOpIntFn VarOp_IntTable[kVarOpCount];
VarOpDblFn VarOp_DblTable[kVarOpCount];

namespace {

int64_t Wrap(uint64_t v) { return int64_t(v); }

void ISet(int64_t* x, int64_t v) { *x = v; }
void IAdd(int64_t* x, int64_t v) { *x = Wrap(uint64_t(*x) + uint64_t(v)); }
void ISub(int64_t* x, int64_t v) { *x = Wrap(uint64_t(*x) - uint64_t(v)); }
void IMul(int64_t* x, int64_t v) { *x = Wrap(uint64_t(*x) * uint64_t(v)); }
void IDiv(int64_t* x, int64_t v) {
  if (v == 0) return;
  *x = (v == -1) ? Wrap(0 - uint64_t(*x)) : *x / v;
}
void IMod(int64_t* x, int64_t v) {
  if (v == 0) return;
  *x = (v == -1) ? 0 : *x % v;
}
void IAnd(int64_t* x, int64_t v) { *x &= v; }
void IOr(int64_t* x, int64_t v) { *x |= v; }
void IXor(int64_t* x, int64_t v) { *x ^= v; }

void DSet(double* x, double v) { *x = v; }
void DAdd(double* x, double v) { *x += v; }
void DSub(double* x, double v) { *x -= v; }
void DMul(double* x, double v) { *x *= v; }
void DDiv(double* x, double v) {
  if (v != 0.0) *x /= v;
}
// The bitwise and remainder forms work on the truncated integer parts.
void DMod(double* x, double v) {
  int64_t a = Expr_DoubleToInt(*x), b = Expr_DoubleToInt(v);
  if (b == 0) return;
  IMod(&a, b);
  *x = double(a);
}
void DAnd(double* x, double v) { *x = double(Expr_DoubleToInt(*x) & Expr_DoubleToInt(v)); }
void DOr(double* x, double v) { *x = double(Expr_DoubleToInt(*x) | Expr_DoubleToInt(v)); }
void DXor(double* x, double v) { *x = double(Expr_DoubleToInt(*x) ^ Expr_DoubleToInt(v)); }

}  // namespace

void VarOp_InitTable() {
  static constexpr VarOpIntFn kInt[kVarOpCount] = {ISet, IAdd, ISub, IMul, IDiv, IMod, IAnd, IOr, IXor};
  static constexpr VarOpDblFn kDbl[kVarOpCount] = {DSet, DAdd, DSub, DMul, DDiv, DMod, DAnd, DOr, DXor};
  for (int i = 0; i < kVarOpCount; ++i) {
    VarOp_IntTable[i] = kInt[i];
    VarOp_DblTable[i] = kDbl[i];
  }
}

namespace {
// The table is filled before main so that no caller can meet an empty slot.
struct VarOpInit {
  VarOpInit() { VarOp_InitTable(); }
} g_VarOpInit;
}  // namespace

// The numeric variable an operator applies to. Null with *result set when
// nothing is to be done: -1 for an unknown variable or after reporting a bad
// operator or a text variable, 0 for an index outside the variable.
Variable* OpTarget(uint32_t number, int64_t index, uint8_t op, int* result) {
  *result = -1;
  if (number >= g_VarTable.count) return nullptr;
  Variable* v = &g_VarTable.vars[number];
  if (index < 0 || index >= v->count) {
    *result = 0;
    return nullptr;
  }
  if (op >= kVarOpCount || (v->type != 1 && v->type != 2)) {
    Err_Script(101140, 1);
    return nullptr;
  }
  *result = 0;
  return v;
}

int VarOp_ApplyInt(uint32_t number, int64_t index, uint8_t op, int64_t value) {
  int result;
  Variable* v = OpTarget(number, index, op, &result);
  if (!v) return result;
  if (v->type == 1) {
    VarOp_IntTable[op](&v->ints[index], value);
  } else {
    VarOp_DblTable[op](&v->dbls[index], double(value));
  }
  return 0;
}

int VarOp_ApplyDouble(uint32_t number, int64_t index, uint8_t op, double value) {
  int result;
  Variable* v = OpTarget(number, index, op, &result);
  if (!v) return result;
  if (v->type == 2) {
    VarOp_DblTable[op](&v->dbls[index], value);
  } else {
    double x = double(v->ints[index]);
    VarOp_DblTable[op](&x, value);
    v->ints[index] = Expr_DoubleToInt(x);
  }
  return 0;
}
