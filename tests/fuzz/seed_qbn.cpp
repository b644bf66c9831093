// Writes seed inputs for fuzz_qbn into the folder argv[1]: each compiled
// data file of a small fixture game, prefixed by its reader's selector byte.
#include <cstdio>
#include <fstream>
#include <string>

#include "files/script_data.h"
#include "support/script_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  fx::Game g;
  g.ErrorText(101000, "range %s %d").IntVar(1000, {2, 3}).TextVar(1001, {}, "t").DoubleVar(1002);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.Let(fx::Elem(1000, {fx::Int(1), fx::Int(2)}), fx::Asm("H$1002 F2.5 *", fx::kTypeDouble));
  s.If(fx::Asm("H$1000 L1 ="));
  s.Let(fx::Var(1001), fx::Text("yes"));
  s.Else();
  s.Loop(fx::Int(3));
  s.Break();
  s.EndLoop();
  s.EndIf();
  s.Jump("SYSTEM_START");
  s.Call("SYSTEM_START", {fx::Int(1)}, {fx::Dbl(2)}, {fx::Text("s")});
  fx::Files f = g.Build();
  const std::pair<int, const char*> picks[] = {
      {0, kFileErrTexts}, {1, kFileCmdTable}, {2, kFileVarCounts}, {3, kFileSceneList},
      {4, kFileVarDefs},  {5, kFileLabels},   {6, kFileConfig},    {7, "qvbin\\qvt00000.qbn"},
  };
  for (const auto& [sel, name] : picks) {
    std::string path = std::string(argv[1]) + "/seed_" + std::to_string(sel);
    std::ofstream out(path, std::ios::binary);
    out.put(char(sel));
    out << f.at(name);
  }
  return 0;
}
