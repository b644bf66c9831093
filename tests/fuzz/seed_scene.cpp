// Writes seed inputs for fuzz_scene into the folder argv[1]: the fixture
// game's scene 0 file and the call target's, both as whole scene files.
#include <cstdio>
#include <fstream>
#include <string>

#include "scene_game.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  fx::Files f = fuzzgame::SceneGame().Build();
  const char* names[] = {fuzzgame::kScene0File, "qvbin\\qvt00001.qbn"};
  for (int k = 0; k < 2; ++k) {
    std::ofstream out(std::string(argv[1]) + "/seed_" + std::to_string(k), std::ios::binary);
    out << f.at(names[k]);
  }
  return 0;
}
