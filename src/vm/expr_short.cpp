// Short integer expressions ("v + 1", "a * b", "7"): decoded without the
// token loop, and run straight from the decoded form. The integer front ends
// try this first; the assignment plans keep the decoded form from scene
// load. Whatever does not fit (other shapes, a variable that is not a
// declared number variable) goes through the token loop, which reports.
#include "vm/expr_internal.h"

using namespace expr;

namespace {

// One token of an expression, read within `end`.
struct Token {
  uint8_t op;
  uint16_t len;
  const uint8_t* payload;
};

inline bool NextToken(const uint8_t** p, const uint8_t* end, Token* t) {
  size_t left = size_t(end - *p);
  if (left < 3) return false;
  uint16_t n = uint16_t((*p)[1] | (*p)[2] << 8);
  if (left - 3 < n) return false;
  *t = Token{(*p)[0], n, *p + 3};
  *p += 3 + n;
  return true;
}

// An operand: a user variable's element 0 read by value (var != 0; a
// reference sigil pushes a reference instead and a system variable is
// computed, so neither fits), or a literal as integer arithmetic pushes it.
inline bool Operand(const Token& t, uint32_t* var, int64_t* lit, uint8_t* sigil) {
  switch (t.op) {
    case 'B': if (t.len < 1) return false; *lit = Load<int8_t>(t.payload); return true;
    case 'W': if (t.len < 2) return false; *lit = Load<int16_t>(t.payload); return true;
    case 'I': if (t.len < 4) return false; *lit = Load<int32_t>(t.payload); return true;
    case 'L': if (t.len < 8) return false; *lit = Load<int64_t>(t.payload); return true;
    case 'F': if (t.len < 8) return false; *lit = Expr_DoubleToInt(Load<double>(t.payload)); return true;
    case 'H': {
      if (t.len < 5 || SigilKind(t.payload[0])) return false;
      int32_t n = Load<int32_t>(t.payload + 1);
      if (n < int32_t(kVarFirstUser)) return false;
      *var = uint32_t(n);
      *sigil = t.payload[0];
      return true;
    }
    default: return false;
  }
}

inline bool ShortBinop(uint8_t op) {
  switch (op) {
    case '+': case '-': case '*': case '/': case '%': case 'A': case 'O': case '^': return true;
    default: return false;
  }
}

}  // namespace

bool Expr_DecodeShortInt(const uint8_t* p, uint32_t len, ShortIntExpr* out) {
  const uint8_t* end = p + len;
  ShortIntExpr e;
  Token t;
  if (!p || !NextToken(&p, end, &t) || !Operand(t, &e.varA, &e.litA, &e.sigilA)) return false;
  if (p != end) {
    if (!NextToken(&p, end, &t) || !Operand(t, &e.varB, &e.litB, &e.sigilB)) return false;
    if (!NextToken(&p, end, &t) || p != end || !ShortBinop(t.op)) return false;
    e.binop = t.op;
  }
  *out = e;
  return true;
}

bool Expr_RunShortInt(const ShortIntExpr& e, int64_t* out) { return RunShortInt(e, out); }
