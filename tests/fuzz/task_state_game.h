// The fixture game of the task state fuzzer and its seed writer: two scenes
// whose blocks (IF, LOOP, CALL across scenes) give a state string every kind
// of frame. The system task idles, or (for the seed writer) works through
// the blocks, taking a state string at each of its waits.
#pragma once
#include <string>

#include "files/files.h"
#include "files/script_data.h"
#include "support/script_writer.h"
#include "vm/vm.h"

namespace fuzzgame {

inline fx::Game TaskStateGame(bool systemWorks) {
  fx::Game g;
  g.IntVar(1000).IntVar(1001, {4}).TextVar(1002, {8});
  fx::Scene& s = g.Scene(0, "main.txt");
  s.Label("SYSTEM_START");
  s.Jump(systemWorks ? "work" : "idle");
  s.Label("idle");
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Jump("idle");
  s.Label("work");
  s.If(fx::Asm("H$1000 L0 ="));
  s.Loop(fx::Int(3));
  s.Let(fx::Var(1000), fx::Asm("H$1000 L1 +"));
  s.Call("sub", {fx::Var(1000)});
  s.If(fx::Asm("H$1000 L2 >"));
  s.Break();
  s.EndIf();
  s.EndLoop();
  s.Loop(fx::Int(-1));
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Continue();
  s.EndLoop();
  s.EndIf();
  s.Jump("idle");
  fx::Scene& t = g.Scene(1, "sub.txt");
  t.Label("sub");
  t.Loop(fx::Int(2));
  t.Let(fx::Elem(1001, {fx::Int(1)}), fx::Int(1), fx::kOpAdd);
  t.Cmd("wait", {{"frames", fx::Int(1)}});
  t.EndLoop();
  t.Return({fx::Int(7)});
  return g;
}

// Loads the game as start-up does; false when it does not load.
inline bool LoadTaskStateGame(bool systemWorks) {
  Pack_InitNameTable();
  if (Obj_CreateSystemRoots() != 0) return false;
  if (!fx::UseStore(TaskStateGame(systemWorks).Build())) return false;
  if (Script_LoadAll() != 0) return false;
  return Scene_Load(0) == 1 && Scene_Load(1) == 1;
}

}  // namespace fuzzgame
