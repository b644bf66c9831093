// Commands 104 and 105, the window commands' schema entries and the result
// writers of the query commands.
#include <iterator>

#include "base/base.h"
#include "platform/window.h"
#include "shell/shell.h"
#include "shell/wincmd.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {

using namespace wininfoarg;

// Window index: the table's check 28 keeps it within 0 to 3.
constexpr uint8_t kCheckWindow = 28;

constexpr CmdArgSchema kWindowArgs[] = {
    {winarg::kIndex, "index", kArgInt, kCheckWindow, 0},
    {winarg::kTitle, "title", kArgText, 0, 0},
    {winarg::kAlpha, "alpha", kArgInt, 0, 0},
    {winarg::kShow, "show", kArgInt, 0, 0},
    {winarg::kX, "x", kArgInt, 0, 0},
    {winarg::kY, "y", kArgInt, 0, 0},
    {winarg::kZOrder, "z", kArgInt, 0, 0},
    {winarg::kWidth, "width", kArgInt, 0, 0},
    {winarg::kHeight, "height", kArgInt, 0, 0},
    {winarg::kClientWidth, "clientwidth", kArgInt, 0, 0},
    {winarg::kClientHeight, "clientheight", kArgInt, 0, 0},
    {winarg::kForeground, "foreground", kArgInt, 0, 0},
    {winarg::kMaxBox, "maxbox", kArgInt, 0, 0},
    {winarg::kScreenMode, "screenmode", kArgInt, 0, 0},
    {winarg::kMinimize, "minimize", kArgInt, 0, 0},
    {winarg::kMaximize, "maximize", kArgInt, 0, 0},
    {winarg::kMaxAllowed, "maxallowed", kArgInt, 0, 0},
    {winarg::kMinAllowed, "minallowed", kArgInt, 0, 0},
    {winarg::kCloseMode, "closemode", kArgInt, 0, 0},
    {winarg::kFlash, "flash", kArgInt, 0, 0},
    {winarg::kFlashInterval, "flashinterval", kArgInt, 0, 0},
    {winarg::kLayerSet, "layer", kArgText, 0, 0},
    {winarg::kMenu, "menu", kArgText, 0, 0},
    {winarg::kShape, "shape", kArgText, 0, 0},
    {winarg::kDragLayer, "drag", kArgText, 0, 0},
    {winarg::kThickFrame, "thickframe", kArgInt, 0, 0},
};
static_assert(std::size(kWindowArgs) == winarg::kCount, "one entry per id of command 103");

constexpr CmdArgSchema kHideArgs[] = {{0, "index", kArgInt, kCheckWindow, 0}};

// The queries count only by whether they are given.
constexpr CmdArgSchema kInfoArgs[] = {
    {kIndex, "index", kArgInt, kCheckWindow, 0}, {kTarget, "target", kArgInt, 0, 0},
    {kExists, "exists", kArgRaw, 0, 1},         {kAlpha, "alpha", kArgRaw, 0, 1},
    {kShow, "show", kArgRaw, 0, 1},             {kActive, "active", kArgRaw, 0, 1},
    {kTitle, "title", kArgRaw, 0, 1},           {kLeft, "left", kArgRaw, 0, 1},
    {kTop, "top", kArgRaw, 0, 1},               {kWidth, "width", kArgRaw, 0, 1},
    {kHeight, "height", kArgRaw, 0, 1},         {kClientWidth, "clientwidth", kArgRaw, 0, 1},
    {kClientHeight, "clientheight", kArgRaw, 0, 1}, {kMonitor, "monitor", kArgRaw, 0, 1},
    {kFullScreen, "fullscreen", kArgRaw, 0, 1}, {kMaximized, "maximized", kArgRaw, 0, 1},
    {kMinimized, "minimized", kArgRaw, 0, 1},
};

constexpr CmdSchemaEntry kWindowCmds[] = {
    {kCmdWindow, "window", Cmd_Window, winarg::kCount, kWindowArgs, uint8_t(std::size(kWindowArgs))},
    {kCmdWindowHide, "windowhide", Cmd_WindowHide, 1, kHideArgs, uint8_t(std::size(kHideArgs))},
    {kCmdWindowInfo, "windowinfo", Cmd_WindowInfo, 18, kInfoArgs, uint8_t(std::size(kInfoArgs))},
};

const Variable* VarOf(uint32_t var) {
  return var < g_VarTable.count && g_VarTable.vars ? &g_VarTable.vars[var] : nullptr;
}

bool Inside(const Variable* v, int64_t index) { return v && index >= 0 && index < v->count; }

// The order in which the first given query is looked for.
constexpr uint8_t kQueryOrder[] = {kExists, kAlpha,  kShow,       kActive,        kTitle,
                                   kLeft,   kTop,    kWidth,      kHeight,        kClientWidth,
                                   kClientHeight, kFullScreen, kMaximized, kMonitor, kMinimized};

int Answer(WindowRec* rec, int n, uint8_t query, uint32_t var, int64_t index) {
  const Variable* v = VarOf(var);
  auto number = [&](int64_t value) {
    if (v && v->type == 3) return Var_SetStringElement(var, index, std::to_string(value).c_str());
    return Var_SetIntElement(var, index, value);
  };
  PlatRect client;
  bool haveClient = rec->handle && PlatWin_GetClientRect(rec->handle, &client);
  int32_t l = 0, t = 0, r = 0, b = 0;
  switch (query) {
    case kExists: return Cmd_WriteFlagResult(var, index, true);
    case kAlpha: return number(rec->alpha);
    case kShow: return number(rec->showAtFirstFrame);
    case kActive: return number(rec->active);
    case kTitle:
      if (v && v->type == 3) Var_SetStringElement(var, index, rec->title.c_str());
      return 0;
    case kLeft:
    case kTop:
      if (Wnd_GetWindowRect(rec, &l, &t, &r, &b)) {
        rec->x = l;
        rec->y = t;
      }
      return number(query == kLeft ? rec->x : rec->y);
    case kWidth: return number(rec->logicalW);
    case kHeight: return number(rec->logicalH);
    case kClientWidth: return number(haveClient ? client.w : 0);
    case kClientHeight: return number(haveClient ? client.h : 0);
    case kFullScreen: return number(g_FullScreen);
    case kMaximized: return number(n == 0 ? g_MainSize.maximized : 0);
    case kMonitor: return number(g_CurrentMonitor);
    case kMinimized:
      return Cmd_WriteFlagResult(var, index, rec->handle && PlatWin_IsMinimized(rec->handle));
    default: return 0;
  }
}

}  // namespace

void Cmd_WriteZeroResult(uint32_t var, int64_t index) {
  const Variable* v = VarOf(var);
  if (!Inside(v, index)) return;
  if (v->type == 1 || v->type == 2) Var_SetIntElement(var, index, 0);
  else if (v->type == 3) Var_SetStringElement(var, index, "");
}

int Cmd_WriteFlagResult(uint32_t var, int64_t index, bool yes) {
  const Variable* v = VarOf(var);
  if (!Inside(v, index)) return 0;
  if (v->type == 1 || v->type == 2) return Var_SetIntElement(var, index, yes ? 1 : 0);
  Err_Script(101140, 1);
  return -1;
}

int32_t Cmd_WindowHide() {
  if (Cmd_FetchArgs(kCmdWindowHide) != 0) return -1;
  if (!g_ArgGiven[0]) return 0;
  int64_t n = Arg_Int(0, 0);
  if (n == 0) {
    Err_ScriptF(101330, 1, Cmd_Name(kCmdWindowHide), Cmd_ArgName(kCmdWindowHide, 0), n);
    return -1;
  }
  if (Cmd_CheckArg(kCmdWindowHide, 0, kCheckWindow, n) != 0) return -1;
  WinCmd_OnMain([n] {
    WindowRec* rec = g_WindowRecs[n];
    if (rec && rec->handle) PlatWin_Hide(rec->handle);
  });
  return 0;
}

int32_t Cmd_WindowInfo() {
  if (Cmd_FetchArgs(kCmdWindowInfo) != 0) return -1;
  int64_t n = Arg_Int(kIndex, 0);
  if (Cmd_CheckArg(kCmdWindowInfo, kIndex, kCheckWindow, n) != 0) return -1;
  uint32_t var = 0;
  int64_t index = 0;
  if (!Arg_Target(kTarget, &var, &index)) return 0;
  WindowRec* rec = g_WindowRecs[n];
  if (!rec || g_WindowState[n] != 1) {
    Cmd_WriteZeroResult(var, index);
    return 0;
  }
  for (uint8_t q : kQueryOrder) {
    if (!g_ArgGiven[q]) continue;
    WinCmd_OnMain([&] { Answer(rec, int(n), q, var, index); });
    break;
  }
  return 0;
}

void CmdSchema_RegisterWindows() { CmdSchema_Add(kWindowCmds, std::size(kWindowCmds)); }
