// The fixture game of the scene fuzzer and its seed writer: scene 0 uses
// every command of the script VM (blocks, calls, assignments planned and
// general, declarations, tasks, waits); scene 1 is a call target. The
// fuzzer replaces scene 0's file with its input.
#pragma once
#include <string>

#include "files/files.h"
#include "files/script_data.h"
#include "support/script_writer.h"

namespace fuzzgame {

constexpr const char* kScene0File = "qvbin\\qvt00000.qbn";

inline fx::Game SceneGame() {
  fx::Game g;
  g.IntVar(1000).IntVar(1001, {3, 4}).DoubleVar(1002, {}, 0.5).TextVar(1003, {2}, "t").IntVar(1004);
  fx::Scene& s = g.Scene(0, "main.txt");
  s.Label("SYSTEM_START");
  s.Let(fx::Var(1000), fx::Asm("H$1000 L1 +"));
  s.Let(fx::Elem(1001, {fx::Int(1), fx::Int(2)}), fx::Asm("H$1000 L3 *"));
  s.Let(fx::Var(1002), fx::Asm("H$1002 F1.5 *", fx::kTypeDouble), fx::kOpAdd);
  s.Let(fx::Elem(1003, {fx::Int(1)}), fx::Asm("M\"ab\" H$1000 s +", fx::kTypeText), 1);
  s.Dim(fx::Elem(1004, {fx::Int(5)}), fx::Int(2));
  s.If(fx::Asm("H$1000 L2 <"));
  s.Loop(fx::Int(3));
  s.Call("sub", {fx::Var(1000)}, {fx::Dbl(2)}, {fx::Text("s")});
  s.If(fx::Asm("H$1000 L5 >"));
  s.Break();
  s.ElseIf(fx::Asm("H$1000 L4 ="));
  s.Continue();
  s.Else();
  s.IfBreak();
  s.EndIf();
  s.EndLoop();
  s.ElseIf(fx::Int(1));
  s.Cmd("taskstart", {{"path", fx::Text("t1")}, {"label", fx::Text("worker")}});
  s.EndIf();
  s.Label("idle");
  s.Cmd("wait", {{"frames", fx::Int(1)}});
  s.Jump("idle");
  s.Label("worker");
  s.Cmd("taskquery", {{"path", fx::Text("t1")}, {"query", fx::Int(1)}, {"state", fx::Int(1)},
                      {"out", fx::Elem(1003, {fx::Int(0)})}});
  s.Cmd("wait", {{"ms", fx::Int(1)}});
  s.Cmd("taskend", {{"path", fx::Text("t1")}});
  fx::Scene& t = g.Scene(1, "sub.txt");
  t.Label("sub");
  t.Let(fx::Var(1000), fx::Asm("H$53 L1 +"), fx::kOpAdd);
  t.Cmd("wait", {{"frames", fx::Int(1)}});
  t.Return({fx::Int(7)});
  return g;
}

}  // namespace fuzzgame
