// Fuzz target for the expression evaluator. The first byte picks the front
// end (integer, double, text) and the value type, and whether the run is
// reference-only (declarations) or in load mode; the rest is the token
// stream, read over variables of every type and shape.
#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/shell.h"
#include "vm/vm.h"

namespace {
void Declare(uint32_t n, uint8_t type, std::vector<uint32_t> dims) {
  Variable& v = g_VarTable.vars[n];
  v.dimCount = uint8_t(dims.size());
  for (size_t k = 0; k < dims.size(); ++k) v.dims[k] = dims[k];
  if (type == 1) Var_AllocInt(n, 3);
  if (type == 2) Var_AllocDouble(n, 0.5);
  if (type == 3) Var_RebuildStringStorage(n, "txt", 3);
}

bool Setup() {
  Var_AllocTable(1010);
  Declare(0, 1, {16});
  Declare(10, 2, {});
  Declare(50, 1, {4});
  Declare(51, 2, {4});
  Declare(52, 3, {4});
  Declare(70, 1, {4});
  Declare(1000, 1, {});
  Declare(1001, 1, {3, 4});
  Declare(1002, 2, {2});
  Declare(1003, 3, {2, 2, 2});
  Declare(1004, 1, {2, 2, 2, 2, 2, 2, 2, 2});
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = Setup();
  (void)ready;
  if (size < 1) return 0;
  uint8_t sel = data[0];
  // The expression gets its own exact-size copy so that any read past its
  // end is caught.
  std::vector<uint8_t> expr(data + 1, data + size);
  const uint8_t* p = expr.empty() ? nullptr : expr.data();
  uint32_t len = uint32_t(expr.size());
  uint8_t type = uint8_t(1 + (sel & 3));
  g_Expr.refOnly = (sel >> 4) & 1;
  if ((sel >> 5) & 1) Expr_InitOpTable(0);
  static char out[kExprTextSize];
  switch ((sel >> 2) & 3) {
    case 0: g_ExprEvalInt[type](p, len); break;
    case 1: g_ExprEvalFloat[type](p, len); break;
    case 2: g_ExprEvalDouble[type](p, len); break;
    default: {
      int32_t n = g_ExprEvalStr[type](p, len, out);
      if (n < 0 || n >= kExprTextSize || out[n] != '\0') __builtin_trap();
    }
  }
  g_Expr.refOnly = 0;
  Expr_InitOpTable(1);
  g_QuitRequested = 0;
  return 0;
}
