// Helpers of the script-data, scene, expression and variable tests: the
// shared error capture, and a fixture game loaded
// through the compiler store and run for some passes.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "files/files.h"
#include "shell/frame.h"
#include "shell/shell.h"
#include "support/err_capture.h"
#include "support/script_writer.h"
#include "text/text.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

// The engine state a loaded game needs, without a window.
inline int LoadGame(const fx::Game& g) {
  Pack_InitNameTable();
  if (!fx::UseStore(g.Build())) return 99;
  if (Obj_CreateSystemRoots() != 0) return 98;
  if (Script_LoadConfig() != 0) return 97;
  g_SysVarHooks.shell = SysVar_GetShell;  // clock, counters and keys, as the start-up installs
  Msg_InstallSysVars();                 // message texts 122 and 123
  return Script_LoadAll();
}

// Runs passes until the quit flag is set or `frames` frames have passed.
inline void RunFrames(int frames) {
  for (int i = 0; i < frames && !g_QuitRequested; ++i) Vm_RunFramePasses();
}

// Integer value of a variable element.
inline int64_t IntVar(uint32_t n, int64_t i = 0) { return Var_GetIntElement(n, i); }
inline double DblVar(uint32_t n, int64_t i = 0) { return Var_ReadFloatElement(n, i); }
inline std::string StrVar(uint32_t n, int64_t i = 0) {
  const char* s = Var_GetStringElement(n, i);
  return s ? s : "<null>";
}

// A scene whose last instruction keeps the task waiting, so that running off
// the end never happens in tests that look at variables afterwards.
inline void EndWithWait(fx::Scene& s) {
  s.Label("__end");
  s.Raw(102, {{0, fx::kTypeInt, 0, fx::Int(1), {}, {}}});  // wait one pass (id 0)
  s.Jump("__end");
}
