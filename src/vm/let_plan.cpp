// Pre-decoded integer assignments: the scene loader turns the common
// "v = v + 1" shapes of command 54 into a LetPlan, and Cmd_LetPlanned runs
// it without the token loop. Every check the general path makes on data
// that can change while the game runs (a variable's type, its storage) is
// made here too; whenever one does not hold, the general Cmd_Let runs the
// instruction instead and reports whatever it finds.
#include "vm/expr_internal.h"

using namespace expr;

bool Let_MakePlan(const ArgDesc* desc, const uint8_t* expr, LetPlan* out) {
  const ArgDesc& td = desc[0];
  const ArgDesc& vd = desc[1];
  // Value types 1 and 3 evaluate in integer arithmetic; 2 and 4 in double.
  if (vd.type != 1 && vd.type != 3) return false;
  uint8_t op = vd.op ? vd.op : td.op;
  if (op >= kVarOpCount) return false;
  // Target: exactly one element-0 token of a user variable, by value.
  ShortIntExpr target;
  if (td.length != 8 || !Expr_DecodeShortInt(expr + td.offset, td.length, &target) || !target.varA) return false;
  LetPlan p;
  p.target = target.varA;
  p.assign = op;
  if (!Expr_DecodeShortInt(expr + vd.offset, vd.length, &p.value)) return false;
  *out = p;
  return true;
}

int32_t Cmd_LetPlanned() {
  const LetPlan& p = *g_CurTask.task->code.letPlan[g_CurTask.instr];
  int64_t x;
  if (!RunShortInt(p.value, &x) || p.target >= g_VarTable.count) return Cmd_Let();
  Variable& v = g_VarTable.vars[p.target];
  if (v.type != 1 || v.count < 1) return Cmd_Let();
  if (p.assign == 0) v.ints[0] = x;
  else VarOp_IntTable[p.assign](&v.ints[0], x);
  return 0;
}
