// Running shell commands from a fixture scene on a headless main window: the
// game is loaded through the compiler store and its system task run for a
// number of passes; everything is taken down again at the end.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "files/files.h"
#include "platform/displays.h"
#include "shell/startup.h"
#include "support/err_capture.h"
#include "support/script_writer.h"
#include "vm/vm.h"
#include "window_fixture.h"

namespace cmdgame {

class ShellGame {
 public:
  // Loads a game of `vars` and the scene body, after a main window of 800 x 600.
  ShellGame(const std::function<void(fx::Game&)>& vars,
            const std::function<void(fx::Scene&)>& body) {
    g_QuitRequested = 0;
    rec = winfix::MainWindow(800, 600);
    Sys_RegisterCommands();
    fx::Game g;
    vars(g);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    body(s);
    s.Label("__end");
    s.Cmd("wait", {{"frames", fx::Int(1)}});
    s.Jump("__end");
    Pack_InitNameTable();
    loaded = fx::UseStore(g.Build()) && Obj_CreateSystemRoots() == 0 && Script_LoadConfig() == 0 &&
             Script_LoadAll() == 0;
  }
  ~ShellGame() {
    Script_FreeAll();
    Win_DestroyAll();
    g_WindowRecs[0] = nullptr;
    PlatDisplay_ClearFake();
    g_QuitRequested = 0;
  }
  void Run(int passes = 1) {
    for (int i = 0; i < passes && !g_QuitRequested; ++i) Vm_RunFramePasses();
  }

  WindowRec* rec = nullptr;
  bool loaded = false;
  ErrCapture log;
};

}  // namespace cmdgame
