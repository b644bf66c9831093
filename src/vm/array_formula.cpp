// Command 62: one fixed formula over an int64 array A and a double array D,
// its four results stored as D[31..34].
#include <cmath>

#include "vm/math.h"
#include "vm/vm.h"

namespace {

constexpr int kCmdArrayFormula = 62;

struct Results {
  double r[4];
};

Results Evaluate(uint32_t an, uint32_t dn) {
  auto A = [an](int k) { return Var_GetIntElement(an, k); };
  auto D = [dn](int k) { return Var_ReadFloatElement(dn, k); };
  if (A(7) != 0)
    return {{D(13) - D(18) * D(16) / 100, D(14) - D(19) * D(17) / 100, D(16), D(17)}};
  double x3 = D(3) + D(28), x4 = D(4) + D(29), x5 = D(5) + D(30);
  double p1 = std::pow(2.0, (x5 + (D(27) - D(8))) / 100);
  double p2 = std::pow(2.0, (x5 + (D(27) - D(15))) / 100);
  double r1 = (double(A(5)) * 0.5 + D(11) * D(20)) + ((D(6) - D(9)) - D(20) * x3) * p1;
  double r2 = (double(A(6)) * 0.5 + D(12) * D(21)) + ((D(7) - D(10)) - D(21) * x4) * p1;
  double p = p2;
  if (A(1) != A(2)) {
    r1 += D(9) * p1;
    r2 += D(10) * p1;
    if (A(4) == 0) {
      r1 += (D(13) * D(20) - D(18)) * p2;
      r2 += (D(14) * D(21) - D(19)) * p2;
    } else {
      double p3 = std::pow(2.0, (x5 + (D(27) - D(24))) / 100);
      p = p3;
      r1 += ((D(13) + D(22)) * D(20) - D(18) - D(25)) * p3;
      r2 += ((D(14) + D(23)) * D(21) - D(19) - D(26)) * p3;
    }
  }
  return {{r1 + (100 - D(16)) * D(18) * p / 100, r2 + (100 - D(17)) * D(19) * p / 100, D(16) * p,
           D(17) * p}};
}

}  // namespace

int32_t Cmd_ArrayFormula() {
  using namespace formulaarg;
  if (Cmd_FetchArgs(kCmdArrayFormula) != 0) return -1;
  int sa = g_ArgGiven[kInts], sd = g_ArgGiven[kDoubles];
  if (!sa || !sd || !g_ArgSlot[sa].varNamed || !g_ArgSlot[sd].varNamed) return 0;
  uint32_t dn = g_ArgSlot[sd].var;
  Results res = Evaluate(g_ArgSlot[sa].var, dn);
  // Elements D does not have are skipped by the setter.
  const Variable* d = dn < g_VarTable.count ? &g_VarTable.vars[dn] : nullptr;
  for (int k = 0; k < 4; ++k) {
    // A text variable is refused by the setter (reported); stop there.
    if (d && 31 + k < d->count && Var_SetDoubleElement(dn, 31 + k, res.r[k]) != 0) return -1;
  }
  return 0;
}
