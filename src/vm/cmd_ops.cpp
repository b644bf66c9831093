// Assignment operators of numeric keyword arguments (=, +=, -=, *=, /=).
#include "vm/vm.h"

int64_t Cmd_ApplyOp(int op, int64_t old, int64_t v) {
  // Wrapping arithmetic: a script's overflow must not be undefined behaviour.
  switch (op) {
    case 0: return v;
    case 1: return int64_t(uint64_t(old) + uint64_t(v));
    case 2: return int64_t(uint64_t(old) - uint64_t(v));
    case 3: return int64_t(uint64_t(old) * uint64_t(v));
    case 4:
      if (v == 0) return old;
      if (v == -1) return int64_t(0 - uint64_t(old));  // INT64_MIN / -1 wraps
      return old / v;
    default: return old;
  }
}

int64_t Cmd_ApplyOpClampMax(int op, int64_t old, int64_t v, int64_t min, int64_t max) {
  int64_t r = Cmd_ApplyOp(op, old, v);
  if (op == 1 || op == 3 || op == 4) r = r > max ? max : r;
  if (op == 2 || op == 3 || op == 4) r = r < min ? min : r;
  return r;
}

int64_t Cmd_ApplyOpClampMin(int op, int64_t old, int64_t v, int64_t min) {
  int64_t r = Cmd_ApplyOp(op, old, v);
  if (op >= 2 && op <= 4 && r < min) r = min;
  return r;
}
