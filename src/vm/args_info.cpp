// Commands 92 (script information) and 50 (input options).
#include "files/script_data.h"
#include "base/base.h"
#include "vm/host.h"
#include "vm/vm.h"

namespace {
// The scene at list position `pos` (1-based), or -1 outside the list.
int64_t ScenePos(int64_t pos) {
  if (pos < 1 || pos > int64_t(g_SceneList.count) || !g_SceneList.numbers) return -1;
  return g_SceneList.numbers[pos - 1];
}

bool ElementExists(const ArgSlot& a) {
  if (!a.varNamed || a.var >= g_VarTable.count) return false;
  const Variable& v = g_VarTable.vars[a.var];
  return a.varIndex >= 0 && a.varIndex < v.count;
}

// The result goes into the variable element that argument `id` named; a
// missing element takes nothing.
int Store(int id, int64_t v) {
  const ArgSlot& a = g_ArgSlot[g_ArgGiven[id]];
  return ElementExists(a) ? Var_SetIntElement(a.var, a.varIndex, v) : 0;
}
}  // namespace

int32_t Cmd_ScriptInfo() {
  if (Cmd_FetchArgs(92)) return -1;
  int r = 0;
  if (g_ArgGiven[1]) {
    r = Store(1, g_SceneList.count);
  } else if (g_ArgGiven[2] && g_ArgGiven[4]) {
    int64_t n = ScenePos(Arg_Int(4, 0));
    r = Store(2, n < 0 ? 0 : n);
  } else if (g_ArgGiven[0] && g_ArgGiven[4]) {
    int64_t n = ScenePos(Arg_Int(4, 0));
    const ArgSlot& a = g_ArgSlot[g_ArgGiven[0]];
    const char* name = n < 0 ? "" : Scene_FileName(uint32_t(n));
    if (ElementExists(a)) r = Var_SetStringElement(a.var, a.varIndex, name);
  } else if (g_ArgGiven[3]) {
    r = Store(3, 0);  // GPU composition is not available yet
  }
  return r ? -1 : 0;
}

int32_t Cmd_InputOptions() {
  if (Cmd_FetchArgs(50)) return -1;
  // The input state code (shell) owns the options; the cursor request that
  // a mouse-keys change makes belongs to the cursor code.
  if (g_ArgGiven[0]) g_InputOptions.keyboard = uint8_t(Arg_Int(0, 0));
  if (g_ArgGiven[1]) g_InputOptions.joysticks = uint8_t(Arg_Int(1, 0));
  if (g_ArgGiven[2]) {
    uint8_t was = g_InputOptions.mouseKeys;
    g_InputOptions.mouseKeys = uint8_t(Arg_Int(2, 0));
    // Mouse keys off hide the cursor, on show it again.
    bool change = (was == 1 && g_InputOptions.mouseKeys == 0) || (was == 0 && g_InputOptions.mouseKeys == 1);
    if (change && g_VmHostHooks.requestCursor) g_VmHostHooks.requestCursor(g_InputOptions.mouseKeys == 1);
  }
  return 0;
}
