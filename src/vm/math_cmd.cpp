// Command 61: one maths function of the script's operands into a variable
// element.
#include <cmath>
#include <cstring>
#include <iterator>

#include "files/files.h"
#include "vm/math.h"
#include "vm/vm.h"

namespace {

constexpr int kCmdMath = 61;

using DblFn1 = double (*)(double);
using DblFn2 = double (*)(double, double);

// Functions of one double operand, in the order the ids are looked at.
struct Unary {
  uint8_t id;
  DblFn1 fn;
  bool doubleMode;  // evaluated in double arithmetic whatever the type says
};
const Unary kUnary[] = {
    {matharg::kSin, [](double x) { return std::sin(x); }, true},
    {matharg::kCos, [](double x) { return std::cos(x); }, true},
    {matharg::kTan, [](double x) { return std::tan(x); }, false},
    {matharg::kAsin, [](double x) { return std::asin(x); }, false},
    {matharg::kAcos, [](double x) { return std::acos(x); }, false},
    {matharg::kSinh, [](double x) { return std::sinh(x); }, false},
    {matharg::kCosh, [](double x) { return std::cosh(x); }, false},
    {matharg::kTanh, [](double x) { return std::tanh(x); }, false},
    {matharg::kAtan, [](double x) { return std::atan(x); }, false},
};
const Unary kUnaryLate[] = {
    {matharg::kSqrt, [](double x) { return std::sqrt(x); }, false},
};
const Unary kUnaryLast[] = {
    {matharg::kExp, [](double x) { return std::exp(x); }, false},
    {matharg::kLog, [](double x) { return std::log(x); }, false},
    {matharg::kLog10, [](double x) { return std::log10(x); }, false},
};

// The target element named by id 0; a missing target, or one that names no
// variable, stores nothing.
struct Target {
  uint32_t var = kNoVarRef;
  int64_t index = 0;
};
Target TargetRef() {
  Target t;
  Arg_Target(matharg::kTarget, &t.var, &t.index);
  return t;
}

uint8_t OperandType(int id) {
  uint8_t t = uint8_t(g_ArgSlot[g_ArgGiven[id]].type);
  return t >= 1 && t <= 4 ? t : 1;
}

// Operand evaluation; false when the operand is missing or its expression
// failed (already reported).
bool EvalDouble(int id, bool doubleMode, double* out) {
  if (!Arg_Given(id)) return false;
  const ArgSlot& s = g_ArgSlot[g_ArgGiven[id]];
  uint8_t t = OperandType(id);
  *out = doubleMode ? g_ExprEvalDouble[t](s.raw, s.length) : g_ExprEvalFloat[t](s.raw, s.length);
  return g_Expr.status == 0;
}
bool EvalInt(int id, int64_t* out) {
  if (!Arg_Given(id)) return false;
  const ArgSlot& s = g_ArgSlot[g_ArgGiven[id]];
  *out = g_ExprEvalInt[OperandType(id)](s.raw, s.length);
  return g_Expr.status == 0;
}

// A setter's failure for a target that is not a number was reported
// (101140) and ends the command with -1; a bad index stores nothing silently.
int32_t StoreResult(const Target& t, int rc) {
  if (rc == 0 || t.var >= g_VarTable.count) return 0;
  uint8_t type = g_VarTable.vars[t.var].type;
  return type == 1 || type == 2 ? 0 : -1;
}
int32_t StoreDouble(double v) {
  Target t = TargetRef();
  return StoreResult(t, Var_SetDoubleElement(t.var, t.index, v));
}
int32_t StoreInt(int64_t v) {
  Target t = TargetRef();
  return StoreResult(t, Var_SetIntElement(t.var, t.index, v));
}

// -1 when the operand failed, 0 otherwise; *done when this entry ran.
int32_t RunUnary(const Unary* list, size_t n, bool* done) {
  for (size_t i = 0; i < n; ++i) {
    if (!Arg_Given(list[i].id)) continue;
    *done = true;
    double x = 0;
    if (Arg_Given(matharg::kA) && !EvalDouble(matharg::kA, list[i].doubleMode, &x)) return -1;
    return StoreDouble(list[i].fn(x));
  }
  return 0;
}

int32_t RunBinary(DblFn2 fn) {
  double a = 0, b = 0;
  if (Arg_Given(matharg::kA) && !EvalDouble(matharg::kA, false, &a)) return -1;
  if (Arg_Given(matharg::kB) && !EvalDouble(matharg::kB, false, &b)) return -1;
  return StoreDouble(fn(a, b));
}

// Descriptor type 1 (integer arithmetic) gives an integer result, type 2
// (double arithmetic) a double one; texts store nothing.
int32_t RunAbs() {
  if (!Arg_Given(matharg::kA)) return StoreInt(0);
  uint8_t t = OperandType(matharg::kA);
  if (t == 1) {
    int64_t v = 0;
    if (!EvalInt(matharg::kA, &v)) return -1;
    // The most negative value has no positive counterpart: it saturates to
    // the largest value rather than staying negative.
    return StoreInt(v == INT64_MIN ? INT64_MAX : v < 0 ? -v : v);
  }
  if (t != 2) return 0;
  double x = 0;
  if (!EvalDouble(matharg::kA, false, &x)) return -1;
  return StoreDouble(std::fabs(x));
}

// lo + one 32-bit draw modulo the range size; all arithmetic unsigned so
// that the widest ranges wrap instead of overflowing.
int32_t RunRandom() {
  int64_t a = 0, b = 0;
  if (Arg_Given(matharg::kA) && !EvalInt(matharg::kA, &a)) return -1;
  if (Arg_Given(matharg::kB) && !EvalInt(matharg::kB, &b)) return -1;
  int64_t lo = a < b ? a : b, hi = a < b ? b : a;
  uint64_t size = uint64_t(hi) - uint64_t(lo) + 1u;  // 0: all 2^64 values
  uint64_t r = Rand_NextU32();
  if (size != 0) r %= size;
  return StoreInt(int64_t(uint64_t(lo) + r));
}

int32_t RunCrc() {
  const char* s = Arg_Str(matharg::kText);
  if (!s) s = "";
  return StoreInt(int64_t(Crc32_Block(s, std::strlen(s))));
}

}  // namespace

int32_t Cmd_Math() {
  using namespace matharg;
  if (Cmd_FetchArgs(kCmdMath) != 0) return -1;
  bool done = false;
  int32_t rc = RunUnary(kUnary, std::size(kUnary), &done);
  if (done) return rc;
  if (Arg_Given(kAtan2)) return RunBinary([](double y, double x) { return std::atan2(y, x); });
  rc = RunUnary(kUnaryLate, std::size(kUnaryLate), &done);
  if (done) return rc;
  if (Arg_Given(kAbs)) return RunAbs();
  rc = RunUnary(kUnaryLast, std::size(kUnaryLast), &done);
  if (done) return rc;
  if (Arg_Given(kPow)) return RunBinary([](double x, double y) { return std::pow(x, y); });
  if (Arg_Given(kRand)) return RunRandom();
  if (Arg_Given(kCrc)) return RunCrc();
  return 0;
}
