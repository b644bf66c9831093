// Helpers shared by the evaluator's source files (not part of vm.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vm/vm.h"

namespace expr {

// Integer arithmetic in odd modes and inside an element access.
inline bool IntArith() { return (g_Expr.mode & 1) || g_Expr.depth; }

// Reports `number` (quit 1) unless the evaluator runs quietly in load mode;
// always returns -1 so handlers can `return Fail(n)`.
int Fail(int32_t number);

// Reserves the next stack slot as a number; -1 after 900030 when full.
int PushSlot();
// Pushes a number in the current arithmetic.
int PushInt(int64_t v);
int PushDouble(double v);
// Pushes a text (cut to fit a 4095-byte buffer); -1 on failure.
int PushText(const char* s, size_t n);
// The text buffer of slot s, allocated on first use; null after 100010.
char* TextBuf(int s);
// Bytes of `s` (n bytes) that fit in `room` without splitting a Shift-JIS
// character.
size_t FitText(const char* s, size_t n, size_t room);

// Reads the sigil and variable number of a variable token's payload.
bool ReadVarPayload(uint8_t* sigil, int32_t* var);
// Sigil kind: '#' 2, '`' 1, anything else 0 (push the value).
inline uint8_t SigilKind(uint8_t c) { return c == '#' ? 2 : c == '`' ? 1 : 0; }

// Little-endian loads from unaligned bytes.
template <typename T>
inline T Load(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Integer forms of the arithmetic operators (wrapping; x / 0 and x % 0 give
// 0, INT64_MIN / -1 wraps and % -1 gives 0 instead of trapping). Shared by
// the token handlers and the pre-decoded assignments.
inline int64_t IntAdd(int64_t a, int64_t b) { return int64_t(uint64_t(a) + uint64_t(b)); }
inline int64_t IntSub(int64_t a, int64_t b) { return int64_t(uint64_t(a) - uint64_t(b)); }
inline int64_t IntMul(int64_t a, int64_t b) { return int64_t(uint64_t(a) * uint64_t(b)); }
inline int64_t IntDiv(int64_t a, int64_t b) {
  return b == 0 ? 0 : b == -1 ? int64_t(0 - uint64_t(a)) : a / b;
}
inline int64_t IntMod(int64_t a, int64_t b) { return (b == 0 || b == -1) ? 0 : a % b; }

// Element 0 of a variable as integer arithmetic reads it.
inline bool ShortReadInt(uint32_t num, int64_t* out) {
  if (num >= g_VarTable.count) return false;
  const Variable& v = g_VarTable.vars[num];
  if (v.count < 1) return false;
  if (v.type == 1) {
    *out = v.ints[0];
    return true;
  }
  if (v.type == 2) {
    *out = Expr_DoubleToInt(v.dbls[0]);
    return true;
  }
  return false;
}

inline int64_t ShortBinary(uint8_t op, int64_t a, int64_t b) {
  switch (op) {
    case '+': return IntAdd(a, b);
    case '-': return IntSub(a, b);
    case '*': return IntMul(a, b);
    case '/': return IntDiv(a, b);
    case '%': return IntMod(a, b);
    case 'A': return a & b;
    case 'O': return a | b;
    default: return a ^ b;  // '^', the only other short operator
  }
}

// Expr_RunShortInt, inline for the hot callers.
inline bool RunShortInt(const ShortIntExpr& e, int64_t* out) {
  int64_t a = e.litA, b = e.litB;
  if (e.varA && !ShortReadInt(e.varA, &a)) return false;
  if (e.varB && !ShortReadInt(e.varB, &b)) return false;
  *out = e.binop ? ShortBinary(e.binop, a, b) : a;
  return true;
}

// Token handlers by family.
int OpVarValue();    // 'H'
int OpVarOpen();     // 'V'
int OpVarClose();    // ')'
int OpVarWhole();    // 'v'
int OpTextLiteral(); // 'M'
int OpToText();      // 's'
int OpToNumber();    // 'i'

}  // namespace expr
