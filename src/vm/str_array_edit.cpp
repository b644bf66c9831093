// Command 100, edits of one-dimensional arrays (ids 13, 14, 15) and the
// reset of variables by group (id 16).
#include <string>

#include "platform/text.h"
#include "base/base.h"
#include "vm/math.h"
#include "vm/vm.h"

namespace {

// The boxes' texts, converted once.
const std::string& Box(int which) {
  static const std::string kTexts[4] = {
      Text_Utf8ToSjis("配列サイズを変更しようとしましたが、この変数は１次元配列ではありません。"),
      Text_Utf8ToSjis("変更後の配列サイズが不正です。"),
      Text_Utf8ToSjis("配列挿入処理をしようとしましたが、この変数は１次元配列ではありません。"),
      Text_Utf8ToSjis("配列削除処理をしようとしましたが、この変数は１次元配列ではありません。"),
  };
  return kTexts[which];
}

int32_t ShowBox(int which) {
  Sys_MessageBoxF(nullptr, "%s", Box(which).c_str());
  return -1;
}

// The variable when it is a one-dimensional array, else null.
Variable* OneDim(uint32_t var) {
  if (var >= g_VarTable.count) return nullptr;
  Variable* v = &g_VarTable.vars[var];
  return v->dimCount == 1 ? v : nullptr;
}

// Element `to` takes the value of element `from`, by the variable's type.
void Move(uint32_t var, uint8_t type, int64_t to, int64_t from) {
  if (type == 1) {
    Var_SetIntElement(var, to, Var_GetIntElement(var, from));
  } else if (type == 2) {
    Var_SetDoubleElement(var, to, Var_ReadFloatElement(var, from));
  } else if (type == 3) {
    const char* s = Var_GetStringElement(var, from);
    std::string copy = s ? s : "";
    Var_SetStringElement(var, to, copy.c_str());
  }
}

void Clear(uint32_t var, uint8_t type, int64_t i) {
  if (type == 1) Var_SetIntElement(var, i, 0);
  else if (type == 2) Var_SetDoubleElement(var, i, 0.0);
  else if (type == 3) Var_SetStringElement(var, i, "");
}

}  // namespace

int32_t StrArr_Resize(uint32_t var, uint8_t op, int64_t v) {
  Variable* a = OneDim(var);
  if (!a) return ShowBox(0);
  int64_t n = a->dims[0];
  int64_t size = Cmd_ApplyOp(op, n, v);
  if (size < 1) return ShowBox(1);
  if (size != n && Var_Resize(var, size) != 0) return -1;
  return 0;
}

// The array keeps its size: the last value is lost. A negative position
// changes nothing.
int32_t StrArr_Insert(uint32_t var, int64_t q) {
  Variable* a = OneDim(var);
  if (!a) return ShowBox(2);
  if (q < 0) return 0;
  int64_t n = a->dims[0];
  uint8_t type = a->type;
  for (int64_t i = n - 1; i > q; --i) Move(var, type, i, i - 1);
  Clear(var, type, q < n - 1 ? q : n - 1);
  return 0;
}

// The array keeps its size: the last element is cleared. A position beyond
// the end, or a negative one, changes nothing.
int32_t StrArr_Delete(uint32_t var, int64_t q) {
  Variable* a = OneDim(var);
  if (!a) return ShowBox(3);
  if (q < 0) return 0;
  int64_t n = a->dims[0];
  uint8_t type = a->type;
  for (int64_t i = q; i <= n - 2; ++i) Move(var, type, i, i + 1);
  int64_t last = q > n - 1 ? q : n - 1;
  if (last < n) Clear(var, type, last);
  return 0;
}

// Ids 17..20 choose the int64 groups 1..4, 21..24 the double groups and
// 25..28 the text groups.
int32_t StrArr_ResetGroups() {
  uint32_t masks[3] = {0, 0, 0};
  for (int id = strarg::kResetFirst; id <= strarg::kResetLast; ++id) {
    int k = id - strarg::kResetFirst;
    if (g_ArgGiven[id]) masks[k / 4] |= 1u << (k % 4);
  }
  return Var_ResetGroups(masks[0], masks[1], masks[2]) == 0 ? 0 : -1;
}
