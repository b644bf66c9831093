// Expression evaluator: the token loop, the opcode table, the front ends by
// value type, and the literal, arithmetic and comparison opcodes.
//
// Expressions are postfix token streams {u8 op, u16 len, payload}. Every
// payload is read within the expression's length, the stack is bounded and
// every text value fits its 4096-byte buffer, so a hostile scene file can
// make an expression fail but never read or write outside its buffers.
#include <cmath>
#include <cstdlib>

#include "platform/text.h"
#include "base/base.h"
#include "vm/expr_internal.h"

using namespace expr;

ExprState g_Expr;
ExprOpFn g_ExprOpHandlers[256];

int64_t Expr_DoubleToInt(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775808.0) return INT64_MAX;
  if (d < -9223372036854775808.0) return INT64_MIN;
  return int64_t(d);
}

namespace expr {

int Fail(int32_t number) {
  if (!g_Expr.quiet) Err_Script(number, 1);
  return -1;
}

int PushSlot() {
  if (g_Expr.sp >= kExprStackMax) return Fail(900030);
  int s = g_Expr.sp++;
  g_Expr.tags[s] = 0;
  return s;
}

int PushInt(int64_t v) {
  int s = PushSlot();
  if (s < 0) return -1;
  if (IntArith()) g_Expr.ints[s] = v;
  else g_Expr.dbls[s] = double(v);
  return 0;
}

int PushDouble(double v) {
  int s = PushSlot();
  if (s < 0) return -1;
  if (IntArith()) g_Expr.ints[s] = Expr_DoubleToInt(v);
  else g_Expr.dbls[s] = v;
  return 0;
}

char* TextBuf(int s) {
  if (!g_Expr.texts[s]) {
    g_Expr.texts[s] = static_cast<char*>(std::malloc(kExprTextSize));
    if (!g_Expr.texts[s]) {
      g_QuitRequested = 1;
      Fail(100010);
      return nullptr;
    }
  }
  return g_Expr.texts[s];
}

size_t FitText(const char* s, size_t n, size_t room) {
  if (n <= room) return n;
  size_t i = 0;
  while (i < room) {
    size_t w = Sjis_IsLead(uint8_t(s[i])) ? 2 : 1;
    if (i + w > room) break;
    i += w;
  }
  return i;
}

int PushText(const char* str, size_t n) {
  int s = PushSlot();
  if (s < 0) return -1;
  char* buf = TextBuf(s);
  if (!buf) return -1;
  n = FitText(str, n, kExprTextSize - 1);
  std::memcpy(buf, str, n);
  buf[n] = '\0';
  g_Expr.textLen[s] = uint16_t(n);
  g_Expr.tags[s] = uint16_t(s + 1);
  return 0;
}

bool ReadVarPayload(uint8_t* sigil, int32_t* var) {
  if (g_Expr.plen < 5) return false;
  *sigil = g_Expr.tok[0];
  *var = Load<int32_t>(g_Expr.tok + 1);
  return true;
}

}  // namespace expr

namespace {

// ---- Literals -------------------------------------------------------------

template <typename T>
int OpIntLiteral() {
  if (g_Expr.plen < sizeof(T)) return Fail(900030);
  return PushInt(int64_t(Load<T>(g_Expr.tok)));
}

int OpFloatLiteral() {
  if (g_Expr.plen < sizeof(double)) return Fail(900030);
  return PushDouble(Load<double>(g_Expr.tok));
}

int OpInvalid() { return Fail(900030); }
int OpSeparator() { return 0; }

// ---- Operands -------------------------------------------------------------

// Binary operators need two entries; y is popped, the result goes over x.
inline bool Need2() { return g_Expr.sp >= 2; }
inline bool BothNumbers(int x) { return !g_Expr.tags[x] && !g_Expr.tags[x + 1]; }

// Runs a numeric binary operator on x and y. `I` gets the int64 operands,
// `D` the doubles; a text operand is error 160010.
template <typename I, typename D>
int NumBinary(I iop, D dop) {
  if (!Need2()) return Fail(900030);
  int x = g_Expr.sp - 2;
  if (!BothNumbers(x)) return Fail(160010);
  if (IntArith()) {
    g_Expr.ints[x] = iop(g_Expr.ints[x], g_Expr.ints[x + 1]);
  } else {
    g_Expr.dbls[x] = dop(g_Expr.dbls[x], g_Expr.dbls[x + 1]);
  }
  --g_Expr.sp;
  return 0;
}

// Writes a truth value over x in the current arithmetic.
void SetTruth(int x, bool t) {
  g_Expr.tags[x] = 0;
  if (IntArith()) g_Expr.ints[x] = t;
  else g_Expr.dbls[x] = t ? 1.0 : 0.0;
}

template <typename Cmp>
int Compare(Cmp cmp) {
  if (!Need2()) return Fail(900030);
  int x = g_Expr.sp - 2;
  if (!BothNumbers(x)) return Fail(160010);
  bool t = IntArith() ? cmp(g_Expr.ints[x], g_Expr.ints[x + 1]) : cmp(g_Expr.dbls[x], g_Expr.dbls[x + 1]);
  SetTruth(x, t);
  --g_Expr.sp;
  return 0;
}

int64_t W(uint64_t v) { return int64_t(v); }

int OpAdd() {
  if (!Need2()) return Fail(900030);
  int x = g_Expr.sp - 2;
  bool tx = g_Expr.tags[x] != 0, ty = g_Expr.tags[x + 1] != 0;
  if (tx != ty) return Fail(160010);
  if (!tx) return NumBinary(IntAdd,
                            [](double a, double b) { return a + b; });
  // Two texts: y is appended to x's buffer, cut to fit.
  size_t have = g_Expr.textLen[x];
  size_t add = FitText(g_Expr.texts[x + 1], g_Expr.textLen[x + 1], kExprTextSize - 1 - have);
  std::memcpy(g_Expr.texts[x] + have, g_Expr.texts[x + 1], add);
  g_Expr.texts[x][have + add] = '\0';
  g_Expr.textLen[x] = uint16_t(have + add);
  --g_Expr.sp;
  return 0;
}

int OpSub() {
  return NumBinary(IntSub,
                   [](double a, double b) { return a - b; });
}
int OpMul() {
  return NumBinary(IntMul,
                   [](double a, double b) { return a * b; });
}
// x / 0 gives 0; INT64_MIN / -1 wraps to INT64_MIN instead of trapping.
int OpDiv() {
  return NumBinary(IntDiv, [](double a, double b) { return b == 0.0 ? 0.0 : a / b; });
}
// The remainder has the sign of x; % 0 and % -1 give 0; in double
// arithmetic x is left as it is.
int OpMod() {
  return NumBinary(IntMod, [](double a, double) { return a; });
}
int OpBitAnd() {
  return NumBinary([](int64_t a, int64_t b) { return a & b; }, [](double a, double) { return a; });
}
int OpBitOr() {
  return NumBinary([](int64_t a, int64_t b) { return a | b; }, [](double a, double) { return a; });
}
int OpBitXor() {
  return NumBinary([](int64_t a, int64_t b) { return a ^ b; }, [](double a, double) { return a; });
}
int OpLogAnd() {
  return Compare([](auto a, auto b) { return a != 0 && b != 0; });
}
int OpLogOr() {
  return Compare([](auto a, auto b) { return a != 0 || b != 0; });
}
int OpGreater() {
  return Compare([](auto a, auto b) { return a > b; });
}
int OpLess() {
  return Compare([](auto a, auto b) { return a < b; });
}
int OpGreaterEq() {
  return Compare([](auto a, auto b) { return a >= b; });
}
int OpLessEq() {
  return Compare([](auto a, auto b) { return a <= b; });
}

// Equality works on two numbers or two texts (compared bytewise).
int Equality(bool wantEqual) {
  if (!Need2()) return Fail(900030);
  int x = g_Expr.sp - 2;
  bool tx = g_Expr.tags[x] != 0, ty = g_Expr.tags[x + 1] != 0;
  if (tx != ty) return Fail(160010);
  if (!tx) return Compare([wantEqual](auto a, auto b) { return (a == b) == wantEqual; });
  bool eq = g_Expr.textLen[x] == g_Expr.textLen[x + 1] &&
            std::memcmp(g_Expr.texts[x], g_Expr.texts[x + 1], g_Expr.textLen[x]) == 0;
  g_Expr.tags[x + 1] = 0;
  SetTruth(x, eq == wantEqual);
  --g_Expr.sp;
  return 0;
}
int OpEqual() { return Equality(true); }
int OpNotEqual() { return Equality(false); }

int OpNegate() {
  if (g_Expr.sp < 1) return Fail(900030);
  int y = g_Expr.sp - 1;
  if (g_Expr.tags[y]) return Fail(160010);
  if (IntArith()) g_Expr.ints[y] = W(0 - uint64_t(g_Expr.ints[y]));
  else g_Expr.dbls[y] = -g_Expr.dbls[y];
  return 0;
}

// Load mode: a variable token makes the expression not constant and stops.
int OpNotConstant() {
  g_Expr.notConst = 1;
  return 1;
}

}  // namespace

void Expr_InitOpTable(int flag) {
  for (auto& h : g_ExprOpHandlers) h = OpInvalid;
  auto set = [](char c, ExprOpFn f) { g_ExprOpHandlers[uint8_t(c)] = f; };
  set('M', OpTextLiteral);
  set('B', OpIntLiteral<int8_t>);
  set('W', OpIntLiteral<int16_t>);
  set('I', OpIntLiteral<int32_t>);
  set('L', OpIntLiteral<int64_t>);
  set('F', OpFloatLiteral);
  set('H', flag ? OpVarValue : OpNotConstant);
  set('V', flag ? OpVarOpen : OpNotConstant);
  set('v', flag ? OpVarWhole : OpNotConstant);
  set(')', OpVarClose);
  set('R', OpNegate);
  set('s', OpToText);
  set('i', OpToNumber);
  set('+', OpAdd);
  set('-', OpSub);
  set('*', OpMul);
  set('/', OpDiv);
  set('%', OpMod);
  set('A', OpBitAnd);
  set('O', OpBitOr);
  set('^', OpBitXor);
  set('&', OpLogAnd);
  set('|', OpLogOr);
  set('=', OpEqual);
  set('!', OpNotEqual);
  set('>', OpGreater);
  set('<', OpLess);
  set('Z', OpGreaterEq);
  set('S', OpLessEq);
  set(',', OpSeparator);
  g_Expr.quiet = flag ? 0 : 1;
}

namespace {
struct ExprInit {
  ExprInit() { Expr_InitOpTable(1); }
} g_ExprInit;
}  // namespace

int Expr_Run(const uint8_t* p, uint32_t len) {
  ExprState& e = g_Expr;
  e.sp = 0;
  e.depth = 0;
  e.lastVar = 0;
  e.lastIndex = 0;
  e.lastWhole = 0;
  e.lastSigil = 0;
  e.lastNamed = 0;
  e.lastVia = 0;
  e.refDimCount = 0;
  e.status = -1;
  const uint8_t* end = p + len;
  while (p != end) {
    size_t left = size_t(end - p);
    if (left < 3) return Fail(900030);
    uint16_t n = uint16_t(p[1] | p[2] << 8);
    if (left - 3 < n) return Fail(900030);
    e.tok = p + 3;
    e.plen = n;
    if (g_ExprOpHandlers[p[0]]() != 0) return -1;
    p += 3 + n;
  }
  e.status = 0;
  return 0;
}

// ---- Front ends -------------------------------------------------------------
// The result is stack entry 0; an empty stack, a failed run or a result of
// the wrong kind gives 0 / 0.0 / "".

namespace {
bool RunMode(uint8_t mode, const uint8_t* p, uint32_t len) {
  g_Expr.mode = mode;
  return Expr_Run(p, len) == 0 && g_Expr.sp > 0 && !g_Expr.tags[0];
}

int32_t RunText(uint8_t mode, const uint8_t* p, uint32_t len, char* out) {
  g_Expr.mode = mode;
  out[0] = '\0';
  if (Expr_Run(p, len) != 0 || g_Expr.sp == 0 || !g_Expr.tags[0]) return 0;
  uint16_t n = g_Expr.textLen[0];
  std::memcpy(out, g_Expr.texts[0], n);
  out[n] = '\0';
  return n;
}
}  // namespace

namespace {
// Longest short integer expression: two 8-byte operands and an operator.
constexpr uint32_t kShortMaxLen = 2 * (3 + 8) + 3;

// Integer arithmetic on a short expression without the token loop, leaving
// the evaluator's state as the loop would: the result in entry 0 and the
// last variable named. Not in load mode or reference-only runs, whose
// variable tokens mean something else.
bool RunShort(const uint8_t* p, uint32_t len, int64_t* out) {
  ExprState& e = g_Expr;
  if (len > kShortMaxLen || e.refOnly || e.quiet) return false;
  ShortIntExpr s;
  if (!Expr_DecodeShortInt(p, len, &s) || !RunShortInt(s, out)) return false;
  e.mode = 1;
  e.sp = 1;
  e.depth = 0;
  e.ints[0] = *out;
  e.tags[0] = 0;
  uint32_t var = s.varB ? s.varB : s.varA;
  e.lastVar = var;
  e.lastIndex = 0;
  e.lastWhole = 0;
  e.lastSigil = s.varB ? s.sigilB : s.sigilA;
  e.lastNamed = var != 0;
  e.lastVia = 0;
  e.refDimCount = 0;
  e.status = 0;
  return true;
}
}  // namespace

int64_t Expr_EvalInt(const uint8_t* p, uint32_t len) {
  int64_t x;
  if (RunShort(p, len, &x)) return x;
  return RunMode(1, p, len) ? g_Expr.ints[0] : 0;
}
int64_t Expr_EvalFloatToInt(const uint8_t* p, uint32_t len) {
  return RunMode(2, p, len) ? Expr_DoubleToInt(g_Expr.dbls[0]) : 0;
}
double Expr_EvalIntToFloat(const uint8_t* p, uint32_t len) {
  int64_t x;
  if (RunShort(p, len, &x)) return double(x);
  return RunMode(1, p, len) ? double(g_Expr.ints[0]) : 0.0;
}
double Expr_EvalFloat(const uint8_t* p, uint32_t len) { return RunMode(2, p, len) ? g_Expr.dbls[0] : 0.0; }
int32_t Expr_EvalToVar(const uint8_t* p, uint32_t len, char* out) { return RunText(3, p, len, out); }
int32_t Expr_EvalToVarMode4(const uint8_t* p, uint32_t len, char* out) { return RunText(4, p, len, out); }

ExprIntFn g_ExprEvalInt[5] = {Expr_EvalInt, Expr_EvalInt, Expr_EvalFloatToInt, Expr_EvalInt, Expr_EvalFloatToInt};
ExprFloatFn g_ExprEvalFloat[5] = {Expr_EvalIntToFloat, Expr_EvalIntToFloat, Expr_EvalFloat, Expr_EvalIntToFloat,
                                  Expr_EvalFloat};
// Type 2 (double arithmetic) fetched as text runs in integer text mode, as the
// evaluator table has always had it.
ExprStrFn g_ExprEvalStr[5] = {Expr_EvalToVar, Expr_EvalToVar, Expr_EvalToVar, Expr_EvalToVar,
                              Expr_EvalToVarMode4};
ExprFloatFn g_ExprEvalDouble[5] = {Expr_EvalFloat, Expr_EvalFloat, Expr_EvalFloat, Expr_EvalFloat,
                                   Expr_EvalFloat};
