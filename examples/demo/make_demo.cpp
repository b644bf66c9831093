// Writes the demo game (demo_game.h) packed into "data.qpf" in the folder
// given as the first argument; "--frame-thread" after it writes the variant
// whose frames run on the frame thread.
#include <cstdio>
#include <fstream>
#include <string>

#include "demo_game.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
  bool frameThread = argc == 3 && std::string(argv[2]) == "--frame-thread";
  if (argc < 2 || (argc == 3 && !frameThread) || argc > 3) {
    std::fprintf(stderr, "usage: make_demo <output folder> [--frame-thread]\n");
    return 2;
  }
  Sys_RegisterCommands();  // the same command table the engine runs with
  std::string pack = fx::PackImage(demo::BuildFiles(frameThread), true);
  std::string path = std::string(argv[1]) + "/data.qpf";
  std::ofstream out(path, std::ios::binary);
  out.write(pack.data(), std::streamsize(pack.size()));
  if (!out) {
    std::fprintf(stderr, "make_demo: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
