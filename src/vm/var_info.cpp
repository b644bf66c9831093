// Command 101: type, shape, text length and search of a variable, stored
// into a target element.
#include <cstring>

#include "files/script_data.h"
#include "platform/text.h"
#include "base/base.h"
#include "vm/math.h"
#include "vm/vm.h"

namespace {

constexpr int kCmdVarInfo = 101;

// A missing reference, or one that names no variable, refers to no record.
struct Ref {
  uint32_t var = kNoVarRef;
  int64_t index = 0;
};
const Variable* Rec(uint32_t n) { return n < g_VarTable.count ? &g_VarTable.vars[n] : nullptr; }

Ref RefOf(int id) {
  Ref r;
  Arg_Target(id, &r.var, &r.index);
  return r;
}

// A target that is not a number was reported (101140) by the setter and
// ends the command with -1; a bad index stores nothing silently.
int32_t Store(int64_t v) {
  Ref t = RefOf(varinfoarg::kTarget);
  if (Var_SetIntElement(t.var, t.index, v) == 0) return 0;
  const Variable* r = Rec(t.var);
  return r && r->type != 1 && r->type != 2 ? -1 : 0;
}

int64_t CharCount(const char* s) {
  int64_t n = 0;
  for (size_t i = 0; s[i]; ++n) i += (Sjis_IsLead(uint8_t(s[i])) && s[i + 1]) ? 2 : 1;
  return n;
}

// Id 3: written straight into an int or double target element; any other
// target is left alone.
int32_t CharWidth(const Ref& src) {
  const char* s = Var_GetStringElement(src.var, src.index);
  if (!s || !s[0]) {
    Err_ScriptF(101450, 1, Cmd_Name(kCmdVarInfo), Cmd_ArgName(kCmdVarInfo, varinfoarg::kCharWidth));
    return -1;
  }
  int64_t w = Sjis_IsLead(uint8_t(s[0])) && s[1] ? 2 : 1;
  Ref t = RefOf(varinfoarg::kTarget);
  const Variable* tv = Rec(t.var);
  // System variables are left to their own setters.
  if (tv && t.var >= kVarFirstUser && (tv->type == 1 || tv->type == 2) && t.index >= 0 &&
      t.index < tv->count) {
    if (tv->type == 1) tv->ints[t.index] = w;
    else tv->dbls[t.index] = double(w);
  }
  return 0;
}

// The first index from the start whose element equals the key, or -1. The
// search runs along the first dimension (a scalar has its one element).
int64_t Search(const Variable& v, uint32_t number) {
  using namespace varinfoarg;
  int64_t end = v.dimCount ? int64_t(v.dims[0]) : v.count;
  if (end > v.count) end = v.count;
  int64_t i = Arg_Int(kStart, 0);
  if (i < 0) i = 0;
  if (v.type == 1) {
    int64_t key = Arg_Int(kKeyInt, 0);
    for (; i < end; ++i) if (v.ints[i] == key) return i;
  } else if (v.type == 2) {
    double key = 0;
    if (int s = g_ArgGiven[kKeyDouble]) {
      uint8_t t = uint8_t(g_ArgSlot[s].type);
      key = g_ExprEvalFloat[t >= 1 && t <= 4 ? t : 2](g_ArgSlot[s].raw, g_ArgSlot[s].length);
    }
    for (; i < end; ++i) if (v.dbls[i] == key) return i;
  } else if (v.type == 3) {
    const char* key = Arg_Str(kKeyText);
    if (!key) key = "";
    for (; i < end; ++i) {
      const char* e = Var_GetStringElement(number, i);
      if (e && std::strcmp(e, key) == 0) return i;
    }
  } else {
    return 0;
  }
  return -1;
}

}  // namespace

int32_t Cmd_VarInfo() {
  using namespace varinfoarg;
  if (Cmd_FetchArgs(kCmdVarInfo) != 0) return -1;
  Ref src = RefOf(kSource);
  const Variable* v = Rec(src.var);
  static const Variable kNone;
  if (!v) v = &kNone;
  auto given = [](int id) { return g_ArgGiven[id] != 0; };
  if (given(kType)) return Store(v->type);
  if (given(kCharWidth)) return CharWidth(src);
  if (given(kDimCount)) return Store(v->dimCount);
  for (int id = kDim1; id <= kDim8; ++id)
    if (given(id)) return Store(v->dims[id - kDim1]);
  if (given(kLength)) {
    const char* s = v->type == 3 ? Var_GetStringElement(src.var, src.index) : nullptr;
    if (!s) {
      Err_Script(108220, 1);
      return -1;
    }
    return Store(CharCount(s));
  }
  if (given(kSearch)) {
    int64_t r = Search(*v, src.var);
    if (g_Expr.status != 0) return -1;
    return Store(r);
  }
  return 0;
}
