// A fixture game run end to end: scenes written with the fixture writer,
// loaded through Script_LoadAll into the compiler store, run frame by frame.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "files/files.h"
#include "platform/clock.h"
#include "shell/shell.h"
#include "support/script_writer.h"
#include "vm/vm.h"
#include "flow_testutil.h"

class FlowGame : public testing::Test {
 protected:
  // Scene 0, with the start label at its first instruction.
  fx::Scene& Main() {
    fx::Scene& s = game.Scene(0);
    if (s.Pc() == 0 && s.Labels().empty()) s.Label("SYSTEM_START");
    return s;
  }
  // Ends the system task's work: waits a pass at a time for ever.
  static void Idle(fx::Scene& s, const std::string& label = "idle") {
    s.Label(label);
    s.Cmd("wait", {{"frames", fx::Int(1)}});
    s.Jump(label);
  }
  bool Load() {
    Pack_InitNameTable();  // the scene key, as start-up builds it
    if (Obj_CreateSystemRoots() != 0) return false;
    if (!fx::UseStore(game.Build())) return false;
    return Script_LoadAll() == 0;
  }
  void Frames(int n) {
    for (int i = 0; i < n && !g_QuitRequested; ++i) Vm_RunFramePasses();
  }
  static int64_t I(uint32_t var, int64_t index = 0) { return Var_GetIntElement(var, index); }
  static double D(uint32_t var, int64_t index = 0) { return Var_ReadFloatElement(var, index); }
  static std::string T(uint32_t var, int64_t index = 0) {
    const char* s = Var_GetStringElement(var, index);
    return s ? s : "<null>";
  }
  static TaskRec* SystemTask() { return static_cast<TaskRec*>(Task_SystemNode()->record); }
  static fx::Expr Eq(const fx::Expr& a, int64_t v) { return fx::Bin(a, fx::Int(v), '='); }
  static fx::Expr Lt(const fx::Expr& a, int64_t v) { return fx::Bin(a, fx::Int(v), '<'); }

  fx::Game game;
};
