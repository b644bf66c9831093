// Pre-decoded integer assignments: the scene loader turns the common
// "v = v + 1" shapes of command 54 into a LetPlan, and Cmd_LetPlanned runs
// it without the token loop. Every check the general path makes on data
// that can change while the game runs (a variable's type, its storage) is
// made here too; whenever one does not hold, the general Cmd_Let runs the
// instruction instead and reports whatever it finds.
#include "vm/expr_internal.h"

using namespace expr;

namespace {

// One token of an expression, read within `end`.
struct Token {
  uint8_t op;
  uint16_t len;
  const uint8_t* payload;
};

bool NextToken(const uint8_t** p, const uint8_t* end, Token* t) {
  size_t left = size_t(end - *p);
  if (left < 3) return false;
  uint16_t n = uint16_t((*p)[1] | (*p)[2] << 8);
  if (left - 3 < n) return false;
  *t = Token{(*p)[0], n, *p + 3};
  *p += 3 + n;
  return true;
}

// A user variable's element 0 read by value (a reference sigil pushes a
// reference instead, a system variable is computed: neither is planned).
bool PlainUserVar(const Token& t, uint32_t* num) {
  if (t.op != 'H' || t.len < 5 || SigilKind(t.payload[0])) return false;
  int32_t n = Load<int32_t>(t.payload + 1);
  if (n < int32_t(kVarFirstUser)) return false;
  *num = uint32_t(n);
  return true;
}

// An operand: a user variable (var != 0) or a literal as integer
// arithmetic pushes it.
bool Operand(const Token& t, uint32_t* var, int64_t* lit) {
  *var = 0;
  *lit = 0;
  switch (t.op) {
    case 'B': if (t.len < 1) return false; *lit = Load<int8_t>(t.payload); return true;
    case 'W': if (t.len < 2) return false; *lit = Load<int16_t>(t.payload); return true;
    case 'I': if (t.len < 4) return false; *lit = Load<int32_t>(t.payload); return true;
    case 'L': if (t.len < 8) return false; *lit = Load<int64_t>(t.payload); return true;
    case 'F': if (t.len < 8) return false; *lit = Expr_DoubleToInt(Load<double>(t.payload)); return true;
    default: return PlainUserVar(t, var);
  }
}

bool PlannedBinop(uint8_t op) {
  switch (op) {
    case '+': case '-': case '*': case '/': case '%': case 'A': case 'O': case '^': return true;
    default: return false;
  }
}

// Element 0 of a variable as integer arithmetic reads it; false when the
// variable is not a declared number variable.
inline bool ReadInt(uint32_t num, int64_t* out) {
  if (num >= g_VarTable.count) return false;
  const Variable& v = g_VarTable.vars[num];
  if (v.type == 1 && v.count > 0) {
    *out = v.ints[0];
    return true;
  }
  if (v.type == 2 && v.count > 0) {
    *out = Expr_DoubleToInt(v.dbls[0]);
    return true;
  }
  return false;
}

inline int64_t Binary(uint8_t op, int64_t a, int64_t b) {
  switch (op) {
    case '+': return IntAdd(a, b);
    case '-': return IntSub(a, b);
    case '*': return IntMul(a, b);
    case '/': return IntDiv(a, b);
    case '%': return IntMod(a, b);
    case 'A': return a & b;
    case 'O': return a | b;
    default: return a ^ b;  // '^', the only other planned operator
  }
}

}  // namespace

bool Let_MakePlan(const ArgDesc* desc, const uint8_t* expr, LetPlan* out) {
  const ArgDesc& td = desc[0];
  const ArgDesc& vd = desc[1];
  // Value types 1 and 3 evaluate in integer arithmetic; 2 and 4 in double.
  if (vd.type != 1 && vd.type != 3) return false;
  uint8_t op = vd.op ? vd.op : td.op;
  if (op >= kVarOpCount) return false;
  LetPlan p;
  p.assign = op;
  // Target: exactly one element-0 token.
  const uint8_t* q = expr + td.offset;
  const uint8_t* end = q + td.length;
  Token t;
  if (!NextToken(&q, end, &t) || q != end || t.len != 5 || !PlainUserVar(t, &p.target)) return false;
  // Value: operand, or operand operand binop.
  q = expr + vd.offset;
  end = q + vd.length;
  if (!NextToken(&q, end, &t) || !Operand(t, &p.varA, &p.litA)) return false;
  if (q != end) {
    if (!NextToken(&q, end, &t) || !Operand(t, &p.varB, &p.litB)) return false;
    if (!NextToken(&q, end, &t) || q != end || !PlannedBinop(t.op)) return false;
    p.binop = t.op;
  }
  *out = p;
  return true;
}

int32_t Cmd_LetPlanned() {
  const LetPlan& p = *g_CurTask.task->code.letPlan[g_CurTask.instr];
  int64_t a = p.litA, b = p.litB;
  if (p.varA && !ReadInt(p.varA, &a)) return Cmd_Let();
  if (p.varB && !ReadInt(p.varB, &b)) return Cmd_Let();
  if (p.target >= g_VarTable.count) return Cmd_Let();
  Variable& v = g_VarTable.vars[p.target];
  if (v.type != 1 || v.count < 1) return Cmd_Let();
  int64_t x = p.binop ? Binary(p.binop, a, b) : a;
  if (p.assign == 0) v.ints[0] = x;
  else VarOp_IntTable[p.assign](&v.ints[0], x);
  return 0;
}
