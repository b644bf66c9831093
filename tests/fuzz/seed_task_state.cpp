// Writes seed inputs for fuzz_task_state into the folder argv[1]: the state
// strings of the fixture game's system task at each of its first waits
// (inside IF, LOOP and a call into the second scene), and a few variants.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "task_state_game.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  if (!fuzzgame::LoadTaskStateGame(true)) {
    std::fprintf(stderr, "fixture game did not load\n");
    return 1;
  }
  std::vector<std::string> seeds;
  const TaskRec* sys = static_cast<const TaskRec*>(Task_SystemNode()->record);
  for (int frame = 0; frame < 12 && !g_QuitRequested; ++frame) {
    Vm_RunFramePasses();
    std::string s;
    Task_EncodeState(sys, &s);
    seeds.push_back(s);
  }
  // Damaged forms: cut short, a letter out of range, depths at the limit.
  std::string last = seeds.back();
  seeds.push_back(last.substr(0, last.size() / 2));
  std::string bad = last;
  bad[9] = 'z';
  seeds.push_back(bad);
  std::string deep = last;
  deep.replace(8, 2, "dp");  // IF depth 63
  seeds.push_back(deep);
  for (size_t k = 0; k < seeds.size(); ++k) {
    std::ofstream out(std::string(argv[1]) + "/seed_" + std::to_string(k), std::ios::binary);
    out << seeds[k];
  }
  return 0;
}
